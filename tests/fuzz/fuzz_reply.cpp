// Whatever comes back on the line, in whichever exchange: the reply dispatcher, the decoder, the
// write mirror and the calibration read-back must neither crash nor read outside a reply, and a
// reply is filed only into the block its request asked for.

#include "calibration/calibration_frames.h"
#include "fuzz_input.h"
#include "link/exchange_machine.h"
#include "settings/configuration.h"
#include "settings/identifiers.h"
#include "settings/write_mirror.h"

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

// The windows around the machine, building the real frames of every step.
struct Windows : ExchangeHost
{
    void SetInputControlsEnabled(bool) override {}
    void SetTimerEnabled(MainTimer, bool) override {}
    void SetTimerInterval(MainTimer, int) override {}
    void PaintLinkStatus(Lamp, int) override {}
    void ShowMessage(int) override {}
    void ShowIdentifierValues() override {}
    void ShowConfiguration() override {}
    bool ShowCalibrationValues() override
    {
        return LayOutCalibrationReply(calibration.reply).has_value();
    }
    void OpenCalibrationWindow() override {}
    bool WriteGroupTicked(int index) const override
    {
        return write.groups.at(static_cast<std::size_t>(index));
    }
    void BuildIdentifyRequest(int step, Channel &channel) override
    {
        BuildIdentifyStepRequest(step, &identify, channel);
    }
    void BuildConfigurationRequest(int step, Channel &channel) override
    {
        BuildConfigurationFrame(step, write, channel);
    }

    IdentifyWriteValues identify{};
    ConfigurationWrite write{};
    Channel calibration;
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
    windows.write.groups
        = {(groups & 1) != 0, (groups & 2) != 0, (groups & 4) != 0, (groups & 8) != 0};
    ExchangeMachine machine(line, store, windows);
    WriteMirror mirror(machine);
    store.SetWriteAcknowledge(&mirror);
    machine.SelectPort(0);

    const auto buildCalibration = [](int step, Channel &channel) {
        BuildCalibrationRequest(step, DesignCalibrationTexts(), NumberFormat{}, channel);
    };
    // The version check and then monitoring, or the exchange a panel or the menu asks for.
    using Prepare = void (ExchangeMachine::*)();
    constexpr Prepare Exchanges[] = {nullptr,
                                     &ExchangeMachine::PrepareIdentifyRead,
                                     &ExchangeMachine::PrepareIdentifyWrite,
                                     &ExchangeMachine::PrepareConfigurationRead,
                                     &ExchangeMachine::PrepareConfigurationWrite,
                                     &ExchangeMachine::OpenCalibrationOnNextTick};
    if (Exchanges[exchange] != nullptr)
        (machine.*Exchanges[exchange])();
    const RegisterImage before = store.Image();
    int calibrationStep = 0;
    for (int tick = 0; tick < ticks; ++tick) {
        machine.MonitorExchangeStep();
        machine.IdentifyExchangeStep();
        machine.ConfigurationExchangeStep();
        if (exchange == 5) {
            if (tick == 1)
                machine.BeginCalibrationRead();
            machine.CalibrationExchangeStep(calibrationStep, windows.calibration, buildCalibration);
            calibrationStep = AdvanceCalibrationStep(calibrationStep);
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
