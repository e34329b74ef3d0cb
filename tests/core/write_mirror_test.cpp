// A confirmed write shows at once: the exchange machine runs the real write tables against a
// port that acknowledges every request, and the register image then holds what each write
// sent, as the tables' mirror rows place it.

#include "settings/configuration.h"
#include "settings/identifiers.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

namespace pv {
namespace {

struct Listener : ExchangeEvents, ExchangeTimers
{
    void IntentsAllowed(bool) override {}
    void LinkStatusShown(LinkStatus) override {}
    void ReadDone(ExchangeState) override {}
    void ReadFailed(ExchangeState) override { ++failed; }
    void WriteDone(ExchangeState) override { ++done; }
    void WriteFailed(ExchangeState) override { ++failed; }
    void RequestRefused(ExchangeState) override { ++failed; }
    void FirmwareRefused() override {}
    void PortFailed() override {}
    void CalibrationDue() override {}
    void SetTimerEnabled(ExchangeTimer t, bool on) override { timerOn[static_cast<int>(t)] = on; }
    void SetTimerInterval(ExchangeTimer, int) override {}

    std::array<bool, 4> timerOn{};
    int done = 0, failed = 0;
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
        // Acknowledges a function-0x10 write with its start and count, and repeats a 0x64 write.
        port.responder = [](ByteView request) -> std::optional<Bytes> {
            Bytes reply(request.begin(), request.begin() + 6);
            AppendCrc(reply);
            return reply;
        };
        machine.SelectPort(0);
    }

    // Runs the write to its end, every request acknowledged.
    void Run(ExchangeState prepared, ExchangeRun run, ExchangeTimer timer)
    {
        machine.Prepare(prepared, std::move(run));
        machine.MonitorExchangeStep(); // hands the exchange over
        for (int tick = 0; tick < 20 && events.timerOn[static_cast<int>(timer)]; ++tick)
            timer == ExchangeTimer::Identify ? machine.IdentifyExchangeStep()
                                             : machine.ConfigurationExchangeStep();
        EXPECT_EQ(std::pair(events.done, events.failed), std::pair(1, 0)) << "went through";
    }

    Bytes Image(std::uint16_t firstRegister, std::size_t length) const
    {
        const auto first = store.Image().Bytes().begin() + reg::ImageIndex(firstRegister);
        return Bytes(first, first + static_cast<std::ptrdiff_t>(length));
    }

    test::FakeSerialPort port;
    ValueStore store;
    Listener events;
    ExchangeMachine machine{port, store, events, events};
};

TEST_F(WriteMirrorTest, ConfigurationWriteShowsEveryGroupAsSent)
{
    const Bytes limits = Words({264, 253, 195, 184, 1, 2, 3, 4, 502, 475, 605, 595, 5, 6});
    ConfigurationWrite write;
    write.groups = {true, true, true, true};
    write.sleepPower = 7;
    write.ratedPower = 35;
    write.modelName = *PackName("M");
    write.companyName = *PackName("C");
    write.flags = 0x7F;
    write.countryCode = 17;
    for (std::size_t i = 0; i < write.limits.size(); ++i)
        write.limits[i] = static_cast<std::uint16_t>(limits[2 * i] << 8 | limits[2 * i + 1]);
    write.retryTime = 600;
    Run(ExchangeState::PrepareConfigurationWrite, ConfigurationRun(write),
        ExchangeTimer::Configuration);
    EXPECT_EQ(Image(reg::SleepPower, 2), Words({7}));
    EXPECT_EQ(Image(reg::RatedPowerCopy, 4), Words({0, 35})) << "0xC0B1 only";
    EXPECT_EQ(Image(reg::ModelName, 1), Bytes{0}) << "the names are the identify write's";
    EXPECT_EQ(Image(reg::FlagsCountry, 2), (Bytes{0x7F, 17}));
    EXPECT_EQ(Image(reg::GridLimits, 28), limits);
    EXPECT_EQ(Image(reg::RetryTime, 2), Words({600}));
    EXPECT_EQ(store.Data().PowerKw(), 3.5) << "decoded at once";
}

// The names and the ID from the block writes' requests, each energy half from the 0x64 write
// whose acknowledgement repeats it; the rated power the names block carries is not mirrored.
TEST_F(WriteMirrorTest, IdentifyWriteShowsNamesIdAndBothEnergyHalves)
{
    const IdentifyWriteValues values{35, *PackName("Model"), *PackName("Maker"), 41, 0x56781234};
    Run(ExchangeState::PrepareIdentifyWrite, IdentifyRun(values), ExchangeTimer::Identify);
    EXPECT_EQ(Image(reg::ModelName, reg::NameLength),
              Bytes(values.modelName.begin(), values.modelName.end()));
    EXPECT_EQ(Image(reg::CompanyName, reg::NameLength),
              Bytes(values.companyName.begin(), values.companyName.end()));
    EXPECT_EQ(Image(reg::InverterId, 2), Words({41}));
    EXPECT_EQ(Image(reg::EnergyHigh, 4), Words({0x5678, 0x1234}));
    EXPECT_EQ(Image(reg::RatedPowerCopy, 4), Words({0, 0}));
}

} // namespace
} // namespace pv
