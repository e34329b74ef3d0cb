// A confirmed write shows at once: the exchange machine runs real write frames against a port
// that acknowledges them, and the register image then holds what each write sent. The identify
// write's mirror is the identifiers window test's, which checks every register it sends.

#include "settings/packing.h"
#include "settings/write_mirror.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <numeric>

namespace pv {
namespace {

using Frames = std::map<int, std::function<void(Channel &)>>;

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
    void BuildConfigurationRequest(int step, Channel &c) override { frames.at(step)(c); }

    Frames frames;
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

std::function<void(Channel &)> Write(std::uint16_t start, Bytes data)
{
    return [=](Channel &c) { BuildWriteRequest(c, WriteFunction, start, data); };
}

class WriteMirrorTest : public ::testing::Test
{
protected:
    WriteMirrorTest()
    {
        store.SetWriteAcknowledge(&mirror);
        // Acknowledges a function-0x10 write with its start and count, and repeats a 0x64 write.
        port.responder = [](ByteView request) -> std::optional<Bytes> {
            Bytes reply(request.begin(), request.begin() + 6);
            AppendCrc(reply);
            return reply;
        };
        machine.SelectPort(0);
    }

    // Runs the write the intent prepares to its end, every request acknowledged.
    void Run(void (ExchangeMachine::*prepare)(), MainTimer timer, Frames frames)
    {
        host.frames = std::move(frames);
        (machine.*prepare)();
        machine.MonitorExchangeStep(); // hands the exchange over
        for (int tick = 0; tick < 20 && host.timerOn[static_cast<int>(timer)]; ++tick)
            timer == MainTimer::Timer2 ? machine.IdentifyExchangeStep()
                                       : machine.ConfigurationExchangeStep();
        EXPECT_EQ(host.messages, std::vector<int>{129}) << "the write went through";
    }

    Bytes Image(std::uint16_t firstRegister, std::size_t length) const
    {
        const auto first = store.Image().Bytes().begin() + reg::ImageIndex(firstRegister);
        return Bytes(first, first + static_cast<std::ptrdiff_t>(length));
    }

    test::FakeSerialPort port;
    ValueStore store;
    Host host;
    ExchangeMachine machine{port, store, host};
    WriteMirror mirror{machine};
};

TEST_F(WriteMirrorTest, ConfigurationWriteShowsEveryGroupAsSent)
{
    const Bytes limits = Words({264, 253, 195, 184, 1, 2, 3, 4, 502, 475, 605, 595, 5, 6});
    Run(&ExchangeMachine::PrepareConfigurationWrite, MainTimer::Timer3,
        {{4, Write(reg::SleepPower, Words({7}))},
         {6, [](Channel &c) { BuildNamesBlockWrite(c, 35, *PackName("M"), *PackName("C")); }},
         {8, Write(reg::FlagsCountry, Bytes{0x7F, 17})},
         {10, Write(reg::GridLimits, limits)},
         {12, Write(reg::RetryTime, Words({600}))}});
    EXPECT_EQ(Image(reg::SleepPower, 2), Words({7}));
    EXPECT_EQ(Image(reg::RatedPowerCopy, 4), Words({0, 35})) << "0xC0B1 only";
    EXPECT_EQ(Image(reg::ModelName, 1), Bytes{0}) << "the names are the identify write's";
    EXPECT_EQ(Image(reg::FlagsCountry, 2), (Bytes{0x7F, 17}));
    EXPECT_EQ(Image(reg::GridLimits, 28), limits);
    EXPECT_EQ(Image(reg::RetryTime, 2), Words({600}));
    EXPECT_EQ(store.Data().PowerKw(), 3.5) << "decoded at once";
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
    for (auto [reply, energy] : cases) {
        AppendCrc(reply);
        RegisterImage image;
        mirror.ApplyWriteAcknowledge(reply, image);
        const ByteView bytes = image.Bytes();
        EXPECT_EQ(Bytes(bytes.begin() + 0x62, bytes.begin() + 0x66), energy);
        EXPECT_EQ(std::accumulate(bytes.begin(), bytes.end(), 0),
                  std::accumulate(energy.begin(), energy.end(), 0));
    }
}

} // namespace
} // namespace pv
