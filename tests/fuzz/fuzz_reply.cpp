// Whatever comes back on the line, in whichever exchange: the reply dispatcher, the decoder, the
// write mirror and the calibration read-back must neither crash nor read outside a reply, and a
// reply is filed only into the block its request asked for.

#include "calibration/calibration_frames.h"
#include "fuzz_input.h"
#include "link/exchange_machine.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"

#include <algorithm>
#include <cstdlib>

namespace {

using namespace pv;

// A port whose every take finds the fuzzer's reply.
struct Line : SerialPort
{
    Bytes reply;
    int CommPort() const override { return 1; }
    void SetCommPort(int) override {}
    void SetSettings(const std::string &) override {}
    void Open() override { open = true; }
    void Close() override { open = false; }
    bool IsOpen() const override { return open; }
    void Output(ByteView) override {}
    Bytes Input() override { return reply; }
    bool open = false;
};

// The front end around the machine: it hears every outcome and does nothing.
struct Windows : ExchangeEvents, ExchangeTimers
{
    void IntentsAllowed(bool) override {}
    void LinkStatusShown(LinkStatus) override {}
    void ReadDone(ExchangeState exchange) override
    {
        // The calibration window lays out a read that served.
        if (exchange == ExchangeState::CalibrationRead && machine != nullptr)
            (void)LayOutCalibrationReply(machine->ExchangeChannel().reply);
    }
    void ReadFailed(ExchangeState) override {}
    void WriteDone(ExchangeState) override {}
    void WriteFailed(ExchangeState) override {}
    void RequestRefused(ExchangeState) override {}
    void FirmwareRefused() override {}
    void PortFailed() override {}
    void CalibrationDue() override {}
    void SetTimerEnabled(ExchangeTimer, bool) override {}
    void SetTimerInterval(ExchangeTimer, int) override {}

    const ExchangeMachine *machine = nullptr;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    fuzz::Input input(data, size);
    const int exchange = input.Byte() % 6;
    const std::uint8_t groups = input.Byte();
    const int ticks = 1 + input.Byte() % 16;

    Line line;
    const std::string_view rest = input.Rest();
    line.reply.assign(rest.begin(), rest.end());
    ValueStore store;
    Windows windows;
    ConfigurationWrite write{};
    write.groups = {(groups & 1) != 0, (groups & 2) != 0, (groups & 4) != 0, (groups & 8) != 0};
    ExchangeMachine machine(line, store, windows, windows);
    windows.machine = &machine;
    machine.SelectPort(0);

    // The version check and then monitoring, or the exchange a panel or the menu asks for, with
    // the real frames of every step.
    switch (exchange) {
    case 1:
        machine.Prepare(ExchangeState::PrepareIdentifyRead, IdentifyRun(std::nullopt));
        break;
    case 2:
        machine.Prepare(ExchangeState::PrepareIdentifyWrite, IdentifyRun(IdentifyWriteValues{}));
        break;
    case 3:
        machine.Prepare(ExchangeState::PrepareConfigurationRead, ConfigurationRun(std::nullopt));
        break;
    case 4:
        machine.Prepare(ExchangeState::PrepareConfigurationWrite, ConfigurationRun(write));
        break;
    case 5:
        machine.OpenCalibrationOnNextTick();
        break;
    default:
        break;
    }
    const RegisterImage before = store.Image();
    for (int tick = 0; tick < ticks; ++tick) {
        machine.MonitorExchangeStep();
        machine.IdentifyExchangeStep();
        machine.ConfigurationExchangeStep();
        if (exchange == 5) {
            if (tick == 1)
                machine.BeginCalibration(ExchangeState::CalibrationRead,
                                         CalibrationRun({DesignCalibrationTexts(), NumberFormat{}},
                                                        CalibrationReadStart));
            machine.CalibrationExchangeStep();
        }
    }
    // Only a reply that passes its CRC may change the image.
    std::uint16_t unreadable = 0;
    const bool changed
        = !std::equal(before.Bytes().begin(), before.Bytes().end(), store.Image().Bytes().begin());
    if (changed && !CheckReplyCrc(line.reply, unreadable))
        std::abort();
    return 0;
}
