// The recorder's side of the exchange machine and of the port: which exchange and step a port
// call belongs to, the wrapper that reports every call, and the texts of the list that need no
// language.

#include "line_recorder.h"

#include "numbers.h"

#include <algorithm>

namespace pv {

namespace {

bool IsIdentifyState(ExchangeState state)
{
    return state == ExchangeState::IdentifyRead || state == ExchangeState::IdentifyWrite;
}

bool IsConfigurationState(ExchangeState state)
{
    return state == ExchangeState::ConfigurationRead || state == ExchangeState::ConfigurationWrite;
}

bool IsCalibrationState(ExchangeState state)
{
    return state == ExchangeState::CalibrationRead || state == ExchangeState::CalibrationWrite;
}

} // namespace

LineContext LineContextOf(const ExchangeMachine &machine)
{
    LineContext context;
    const ExchangeState state = machine.State();
    if (IsIdentifyState(state) || IsConfigurationState(state) || IsCalibrationState(state)) {
        context.exchange = state;
        context.step = machine.Step();
        context.request = machine.ExchangeChannel().sent;
        context.calibration = IsCalibrationState(state);
    } else if (state == ExchangeState::CalibrationWindowOpen) {
        context.exchange = state;
        context.dispatched = false;
    } else {
        // Monitoring, the version check, or a panel's exchange waiting for the next monitor
        // tick to hand over: the monitor cycle uses the port, and the dispatcher ignores what
        // it takes while an exchange waits.
        const bool monitoring
            = state == ExchangeState::Monitor || state == ExchangeState::CheckOperatingVersion;
        context.exchange = monitoring ? state : ExchangeState::Monitor;
        context.step = machine.MonitorStep();
        context.request = machine.MonitorChannel().sent;
        context.dispatched = monitoring;
    }
    return context;
}

RecordingPort::RecordingPort(SerialPort &port, LineRecorder &recorder)
    : port_(port), recorder_(recorder)
{}

LineContext RecordingPort::Context() const
{
    return context_ ? context_() : LineContext{};
}

void RecordingPort::Open()
{
    port_.Open();
    recorder_.StartLine();
}

void RecordingPort::Output(ByteView bytes)
{
    const LineContext context = Context();
    try {
        port_.Output(bytes);
    } catch (const PortError &) {
        recorder_.RecordOutputFailed(context, bytes);
        throw;
    }
    recorder_.RecordOutput(context, bytes);
}

Bytes RecordingPort::Input()
{
    const LineContext context = Context();
    const std::uint64_t echoesBefore = port_.EchoesDropped();
    Bytes taken;
    try {
        taken = port_.Input();
    } catch (const PortError &) {
        recorder_.RecordInputFailed(context);
        throw;
    }
    recorder_.RecordInput(context, taken, port_.EchoesDropped() != echoesBefore,
                          port_.LastArrival());
    return taken;
}

std::string HexText(ByteView bytes)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 3);
    for (const std::uint8_t b : bytes) {
        if (!text.empty())
            text += ' ';
        text += Digits[b >> 4];
        text += Digits[b & 0x0F];
    }
    return text;
}

std::string RegisterText(std::uint16_t reg)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    std::string text = "0x";
    for (int shift = 12; shift >= 0; shift -= 4)
        text += Digits[(reg >> shift) & 0x0F];
    return text;
}

std::string ElapsedText(LineClock::duration elapsed)
{
    using namespace std::chrono;
    const auto total = std::max<std::int64_t>(0, duration_cast<milliseconds>(elapsed).count());
    const auto padded = [](std::int64_t value, std::size_t width) {
        std::string digits = IntegerText(value);
        return std::string(width - std::min(width, digits.size()), '0') + digits;
    };
    return IntegerText(total / 3600000) + ':' + padded(total / 60000 % 60, 2) + ':'
           + padded(total / 1000 % 60, 2) + '.' + padded(total % 1000, 3);
}

} // namespace pv
