// A confirmed write shows at once: the exchange machine runs real write frames against a port
// that acknowledges them, and the register image then holds what each write sent.

#include "settings/packing.h"
#include "settings/write_mirror.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>

namespace pv {
namespace {

// Acknowledges a function-0x10 write with its start and count, and repeats a 0x64 write.
std::optional<Bytes> Acknowledge(ByteView request)
{
    Bytes reply(request.begin(), request.begin() + 6);
    AppendCrc(reply);
    return reply;
}

struct Host : ExchangeHost
{
    void SetInputControlsEnabled(bool) override {}
    void SetTimerEnabled(MainTimer t, bool on) override { timerOn[static_cast<int>(t)] = on; }
    void SetTimerInterval(MainTimer, int) override {}
    void PaintLinkStatus(Lamp, int) override {}
    void ShowMessage(int text) override { messages.push_back(text); }
    void ShowIdentifierValues() override {}
    void ShowConfiguration() override {}
    bool ShowCalibrationValues() override { return true; }
    void OpenCalibrationWindow() override {}
    bool WriteGroupTicked(int) const override { return true; }
    void BuildIdentifyRequest(int step, Channel &channel) override { frames.at(step)(channel); }
    void BuildConfigurationRequest(int step, Channel &channel) override
    {
        frames.at(step)(channel);
    }

    std::map<int, std::function<void(Channel &)>> frames;
    std::array<bool, 4> timerOn{};
    std::vector<int> messages;
};

Bytes Words(std::initializer_list<std::uint16_t> words)
{
    Bytes data;
    for (std::uint16_t w : words)
        AppendWord(data, w);
    return data;
}

class WriteMirrorTest : public ::testing::Test
{
protected:
    WriteMirrorTest()
    {
        store.SetWriteAcknowledge(&mirror);
        port.responder = Acknowledge;
        machine.SelectPort(0);
    }

    // Runs the write the intent prepares to its end, every request acknowledged.
    void Write(void (ExchangeMachine::*prepare)(), MainTimer timer)
    {
        (machine.*prepare)();
        machine.MonitorExchangeStep(); // hands the exchange over
        for (int tick = 0; tick < 20 && host.timerOn[static_cast<int>(timer)]; ++tick)
            timer == MainTimer::Timer2 ? machine.IdentifyExchangeStep()
                                       : machine.ConfigurationExchangeStep();
        EXPECT_EQ(host.messages, std::vector<int>{129}) << "the write went through";
    }

    Bytes Image(std::uint16_t firstRegister, std::size_t length) const
    {
        const ByteView image = store.Image().Bytes();
        const auto first = image.begin() + static_cast<std::ptrdiff_t>(reg::ImageIndex(firstRegister));
        return Bytes(first, first + static_cast<std::ptrdiff_t>(length));
    }

    test::FakeSerialPort port;
    ValueStore store;
    Host host;
    ExchangeMachine machine{port, store, host};
    WriteMirror mirror{machine};
};

TEST_F(WriteMirrorTest, IdentifyWriteShowsTheNamesTheIdAndTheEnergyHalves)
{
    host.frames[6] = [](Channel &c) {
        BuildNamesBlockWrite(c, 35, *PackName("AB"), *PackName("Sun\xC3\xA9"));
    };
    host.frames[8] = [](Channel &c) { BuildWriteRequest(c, WriteFunction, reg::InverterId, Words({6})); };
    host.frames[10] = [](Channel &c) { BuildSingleWordWrite(c, reg::EnergyHighSelector, 0x0001); };
    host.frames[12] = [](Channel &c) { BuildSingleWordWrite(c, reg::EnergyLowSelector, 0x1170); };
    Write(&ExchangeMachine::PrepareIdentifyWrite, MainTimer::Timer2);

    EXPECT_EQ(Image(reg::ModelName, 10), (Bytes{'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Image(reg::CompanyName, 10), (Bytes{'S', 'u', 'n', 0xE9, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(Image(reg::InverterId, 2), (Bytes{0x00, 0x06}));
    EXPECT_EQ(Image(reg::RatedPower, 2), (Bytes{0, 0})) << "the identify write's rated power is not mirrored";
    const InverterData &data = store.Data();
    EXPECT_EQ(data.ModelName(), "AB");
    EXPECT_EQ(data.CompanyName(), "Sun\xC3\xA9");
    EXPECT_EQ(data.InverterId(), 7.0f);
    EXPECT_EQ(data.EnergyTotal(), 70000);
}

TEST_F(WriteMirrorTest, ConfigurationWriteShowsEveryGroupAsSent)
{
    const Bytes limits = Words({264, 253, 195, 184, 1, 2, 3, 4, 502, 475, 605, 595, 5, 6});
    host.frames[4] = [](Channel &c) { BuildWriteRequest(c, WriteFunction, reg::SleepPower, Words({7})); };
    host.frames[6] = [](Channel &c) { BuildNamesBlockWrite(c, 35, *PackName("M"), *PackName("C")); };
    host.frames[8] = [](Channel &c) { BuildWriteRequest(c, WriteFunction, reg::FlagsCountry, Bytes{0x7F, 17}); };
    host.frames[10] = [&limits](Channel &c) { BuildWriteRequest(c, WriteFunction, reg::GridLimits, limits); };
    host.frames[12] = [](Channel &c) { BuildWriteRequest(c, WriteFunction, reg::RetryTime, Words({600})); };
    Write(&ExchangeMachine::PrepareConfigurationWrite, MainTimer::Timer3);

    EXPECT_EQ(Image(reg::SleepPower, 2), Words({7}));
    EXPECT_EQ(Image(reg::RatedPowerCopy, 4), Words({0, 35})) << "0xC0B1 only";
    EXPECT_EQ(Image(reg::ModelName, 1), Bytes{0}) << "the names are the identify write's";
    EXPECT_EQ(Image(reg::FlagsCountry, 2), (Bytes{0x7F, 17}));
    EXPECT_EQ(Image(reg::GridLimits, 28), limits);
    EXPECT_EQ(Image(reg::RetryTime, 2), Words({600}));
    EXPECT_EQ(store.Data().PowerKw(), 3.5);
    EXPECT_EQ(store.Data().GridLimits(9), 47.5f);
}

TEST_F(WriteMirrorTest, OwnWriteRepliesLandInTheEnergyHalfTheyNameAndNothingElseMoves)
{
    // Reply body; image bytes 0x62..0x65 afterwards (the energy counter's two halves).
    const std::pair<Bytes, Bytes> cases[] = {
        {{0xFF, 0x64, 0xCF, 0x02, 0x12, 0x34}, {0, 0, 0x12, 0x34}},
        {{0xFF, 0x64, 0xCF, 0x01, 0x56, 0x78}, {0x56, 0x78, 0, 0}},
        {{0xFF, 0x64, 0xCF, 0x0A, 0x12, 0x34}, {0, 0, 0, 0}}, // the AC current offset
        {{0xFF, 0x64, 0xCF, 0x01}, {0, 0, 0, 0}},             // too short to repeat a word
        {{0xFF, 0x10, 0xC0, 0x80, 0x00, 0x01}, {0, 0, 0, 0}}, // a 0x10 reply outside a write
    };
    for (const auto &[body, energy] : cases) {
        Bytes reply = body;
        AppendCrc(reply);
        RegisterImage image;
        mirror.ApplyWriteAcknowledge(reply, image);
        const ByteView bytes = image.Bytes();
        EXPECT_EQ(Bytes(bytes.begin() + 0x62, bytes.begin() + 0x66), energy);
        EXPECT_EQ(std::count(bytes.begin(), bytes.end(), 0), 1025 - std::count_if(energy.begin(), energy.end(), [](auto b) { return b != 0; }));
    }
}

} // namespace
} // namespace pv
