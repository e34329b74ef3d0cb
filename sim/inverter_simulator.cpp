#include "inverter_simulator.h"

#include "link/codepage.h"
#include "live_readings.h"

#include <cmath>
#include <iterator>
#include <stdexcept>

namespace pv {

namespace {

// The inverter's register map is the one the tool speaks (link/register_map.h).
using reg::CalibrationLast;
using reg::ImageLast;
using reg::NameLength;

// Modbus limits the register count of one read to 125 and of one write to 123.
constexpr std::uint16_t MaxReadCount = 125;
constexpr std::uint16_t MaxWriteCount = 123;

// A country-6 unit for a 230 V / 50 Hz grid: Vmax_L2, Vmax_L1, Vmin_L1, Vmin_L2, their four
// disconnect times, Fmax/Fmin at 50 Hz and at 60 Hz (x 10), the two frequency disconnect times.
constexpr std::array<std::uint16_t, 14> DefaultGridLimits{264, 253, 195, 184, 200, 2000, 2000,
                                                          200, 502, 475, 605, 595, 200,  200};
constexpr std::uint8_t DefaultCountryCode = 6;
constexpr std::uint16_t DefaultSleepPower = 5;  // %
constexpr std::uint16_t DefaultRetryTime = 60;  // s
constexpr std::uint16_t DefaultRatedPower = 36; // 3.6 kW
constexpr std::int32_t DefaultEnergyTotal = 12345;

// Gain and offset bytes sit at mid-scale (128); 0xCF05 and 0xCF08 hold the meter voltages
// 300 V and 230 V of the last calibration.
constexpr std::array<std::uint16_t, 0x10> DefaultCalibration{
    0x8080, 0x8080, 0x8080, 0x8080, 0x8080, 0x012C, 0x8000, 0x8000,
    0x00E6, 0x8000, 0x0080, 0x8080, 0x8080, 0x8080, 0x8080, 0x0000};

std::uint16_t WordAt(ByteView bytes, std::size_t i)
{
    return static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]);
}

void PutWord(Bytes &frame, std::uint16_t value)
{
    frame.push_back(static_cast<std::uint8_t>(value >> 8));
    frame.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

bool CrcMatches(ByteView frame)
{
    std::uint16_t unreadable = 0;
    return CheckReplyCrc(frame, unreadable);
}

Bytes ExceptionReply(std::uint8_t function, std::uint8_t code)
{
    Bytes reply{SlaveAddress, static_cast<std::uint8_t>(function | ExceptionBit), code};
    AppendCrc(reply);
    return reply;
}

bool Within(std::uint16_t start, std::uint16_t count, std::uint16_t first, std::uint16_t last)
{
    return count > 0 && start >= first && start + count - 1u <= last;
}

std::uint16_t Scaled(double value, double scale)
{
    return static_cast<std::uint16_t>(std::lround(value * scale));
}

} // namespace

InverterSimulator::InverterSimulator(std::uint64_t seed)
    : random_(seed ? seed : 0x9E3779B97F4A7C15ull)
{
    LoadDefaults();
}

void InverterSimulator::LoadDefaults()
{
    SetRegister(reg::InverterId, 0); // shown as ID 1
    SetRegister(reg::FlagsCountry, DefaultCountryCode);
    SetRegister(reg::SleepPower, DefaultSleepPower);
    SetRegister(reg::RetryTime, DefaultRetryTime);
    for (std::size_t i = 0; i < DefaultGridLimits.size(); ++i)
        SetRegister(static_cast<std::uint16_t>(reg::GridLimits + i), DefaultGridLimits[i]);
    SetRegister(reg::RatedPowerCopy, DefaultRatedPower);
    SetRegister(reg::RatedPower, DefaultRatedPower);
    SetModelName("PV3600");
    SetCompanyName("PV Works");
    SetOperatingVersion("01000700");
    SetCertificateVersion("1.02");
    calibration_ = DefaultCalibration;
    SetEnergyTotal(DefaultEnergyTotal);

    // Readings of the first moment, without starting the energy count: that starts with the
    // first time the owner gives.
    const bool frozen = frozen_;
    frozen_ = false;
    UpdateReadings(0);
    lastUpdateMs_.reset();
    frozen_ = frozen;
}

bool InverterSimulator::Holds(std::uint16_t reg)
{
    return (reg >= reg::ImageFirst && reg <= ImageLast)
           || (reg >= reg::CalibrationFirst && reg <= CalibrationLast);
}

std::uint16_t InverterSimulator::Register(std::uint16_t reg) const
{
    if (reg >= reg::ImageFirst && reg <= ImageLast)
        return image_[reg - reg::ImageFirst];
    if (reg >= reg::CalibrationFirst && reg <= CalibrationLast)
        return calibration_[reg - reg::CalibrationFirst];
    return 0;
}

void InverterSimulator::SetRegister(std::uint16_t reg, std::uint16_t value)
{
    if (reg >= reg::ImageFirst && reg <= ImageLast)
        image_[reg - reg::ImageFirst] = value;
    else if (reg >= reg::CalibrationFirst && reg <= CalibrationLast)
        calibration_[reg - reg::CalibrationFirst] = value;
    if (reg == reg::EnergyHigh || reg == reg::EnergyLow)
        energyKwh_ = EnergyTotal();
}

void InverterSimulator::SetText(std::uint16_t firstReg, std::size_t length, std::string_view text)
{
    Bytes bytes = Utf8ToCodePage(text);
    if (bytes.size() > length)
        throw std::invalid_argument("text longer than its register field: " + std::string(text));
    bytes.resize(length, 0);
    for (std::size_t k = 0; k < length; k += 2)
        SetRegister(static_cast<std::uint16_t>(firstReg + k / 2), WordAt(bytes, k));
}

void InverterSimulator::SetOperatingVersion(std::string_view text)
{
    SetText(reg::OperatingVersion, OperatingVersionLength, text);
}

void InverterSimulator::SetCertificateVersion(std::string_view text)
{
    SetText(reg::CertificateVersion, CertificateVersionLength, text);
}

void InverterSimulator::SetModelName(std::string_view text)
{
    SetText(reg::ModelName, NameLength, text);
}

void InverterSimulator::SetCompanyName(std::string_view text)
{
    SetText(reg::CompanyName, NameLength, text);
}

std::int32_t InverterSimulator::EnergyTotal() const
{
    const std::uint32_t value
        = std::uint32_t{Register(reg::EnergyHigh)} << 16 | Register(reg::EnergyLow);
    return static_cast<std::int32_t>(value);
}

void InverterSimulator::SetEnergyTotal(std::int32_t kwh)
{
    const auto value = static_cast<std::uint32_t>(kwh);
    image_[reg::EnergyHigh - reg::ImageFirst] = static_cast<std::uint16_t>(value >> 16);
    image_[reg::EnergyLow - reg::ImageFirst] = static_cast<std::uint16_t>(value & 0xFFFF);
    energyKwh_ = kwh;
}

void InverterSimulator::UpdateReadings(std::int64_t nowMs)
{
    if (frozen_) {
        lastUpdateMs_ = nowMs;
        return;
    }
    const LiveReadings r = ReadingsAt(nowMs);
    if (lastUpdateMs_ && nowMs > *lastUpdateMs_) {
        constexpr double MsPerHour = 3600.0 * 1000.0;
        energyKwh_ += r.outputPower * static_cast<double>(nowMs - *lastUpdateMs_) / MsPerHour;
        const auto whole
            = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::floor(energyKwh_)));
        image_[reg::EnergyHigh - reg::ImageFirst] = static_cast<std::uint16_t>(whole >> 16);
        image_[reg::EnergyLow - reg::ImageFirst] = static_cast<std::uint16_t>(whole & 0xFFFF);
    }
    if (!lastUpdateMs_ || nowMs > *lastUpdateMs_)
        lastUpdateMs_ = nowMs;

    // Scaling as the tool decodes it: currents and frequency x 10, powers (kW) x 100.
    image_[reg::OutputPower - reg::ImageFirst] = Scaled(r.outputPower, 100);
    image_[reg::AcVoltage - reg::ImageFirst] = Scaled(r.acVoltage, 1);
    image_[reg::AcCurrent - reg::ImageFirst] = Scaled(r.acCurrent, 10);
    image_[reg::AcFrequency - reg::ImageFirst] = Scaled(r.acFrequency, 10);
    image_[reg::DcBusVoltage - reg::ImageFirst] = Scaled(r.dcBusVoltage, 1);
    image_[reg::InputAVoltage - reg::ImageFirst] = Scaled(r.inputAVoltage, 1);
    image_[reg::InputBVoltage - reg::ImageFirst] = Scaled(r.inputBVoltage, 1);
    image_[reg::InputACurrent - reg::ImageFirst] = Scaled(r.inputACurrent, 10);
    image_[reg::InputBCurrent - reg::ImageFirst] = Scaled(r.inputBCurrent, 10);
    image_[reg::InputAPower - reg::ImageFirst] = Scaled(r.inputAPower, 100);
    image_[reg::InputBPower - reg::ImageFirst] = Scaled(r.inputBPower, 100);
}

void InverterSimulator::SetDelayedReplyMs(std::int64_t minMs, std::int64_t maxMs)
{
    if (minMs < 0 || maxMs < minMs)
        throw std::invalid_argument("the delay of a late reply needs 0 <= least <= most");
    delayedReplyMs_ = minMs;
    delayedReplyMaxMs_ = maxMs;
}

void InverterSimulator::SetFaultRate(SimFault fault, double rate)
{
    if (fault == SimFault::None)
        return;
    if (rate < 0.0 || rate > 1.0)
        throw std::invalid_argument("fault rate must lie in 0..1");
    rates_[fault] = rate;
}

// --- answering -------------------------------------------------------------------------------

void InverterSimulator::HandleFrame(const Bytes &frame, std::int64_t nowMs)
{
    ++framesReceived_;
    SimFault fault = injected_;
    injected_ = SimFault::None;
    if (fault == SimFault::None)
        fault = DrawFault();
    if (fault != SimFault::None)
        faultsStruck_.push_back(fault);

    switch (fault) {
    case SimFault::NoReply:
        return;
    case SimFault::Exception:
        Queue(nowMs + replyDelayMs_, ExceptionReply(frame[1], exceptionCode_));
        return;
    case SimFault::NoiseInstead:
        Queue(nowMs + replyDelayMs_, Noise(3, 12));
        return;
    default:
        break;
    }

    UpdateReadings(nowMs);
    Bytes reply = Answer(frame, nowMs);
    std::int64_t dueMs = nowMs + replyDelayMs_;
    switch (fault) {
    case SimFault::WrongCrc:
        reply.back() ^= 0x5A;
        break;
    case SimFault::Truncated:
        reply.resize(reply.size() / 2);
        break;
    case SimFault::Delayed: {
        const auto spread = static_cast<std::uint64_t>(delayedReplyMaxMs_ - delayedReplyMs_);
        dueMs = nowMs + delayedReplyMs_
                + (spread == 0 ? 0 : static_cast<std::int64_t>(NextRandom() % (spread + 1)));
        break;
    }
    case SimFault::NoiseBefore: {
        Bytes noisy;
        do {
            noisy = Noise(1, 8);
            noisy.insert(noisy.end(), reply.begin(), reply.end());
        } while (CrcMatches(noisy));
        reply = std::move(noisy);
        break;
    }
    default:
        break;
    }
    Queue(dueMs, std::move(reply));
}

Bytes InverterSimulator::Answer(const Bytes &frame, std::int64_t nowMs)
{
    switch (frame[1]) {
    case ReadFunction:
        return AnswerRead(frame);
    case WriteFunction:
        return AnswerWrite(frame, nowMs);
    case OwnWriteFunction:
        return AnswerOwnWrite(frame, nowMs);
    default:
        return ExceptionReply(frame[1], IllegalFunction);
    }
}

Bytes InverterSimulator::AnswerRead(const Bytes &frame)
{
    const std::uint16_t start = WordAt(frame, 2);
    const std::uint16_t count = WordAt(frame, 4);
    if (count == 0 || count > MaxReadCount)
        return ExceptionReply(ReadFunction, IllegalDataValue);
    if (!Within(start, count, reg::ImageFirst, ImageLast)
        && !Within(start, count, reg::CalibrationFirst, CalibrationLast))
        return ExceptionReply(ReadFunction, IllegalDataAddress);

    Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * count)};
    for (std::uint16_t k = 0; k < count; ++k)
        PutWord(reply, Register(static_cast<std::uint16_t>(start + k)));
    AppendCrc(reply);
    return reply;
}

namespace {

// The multi-word write layout shared by 0x10 and 0x64: start, count, byte count, data.
std::optional<std::uint8_t> CheckBlockWrite(const Bytes &frame, std::uint16_t first,
                                            std::uint16_t last)
{
    const std::uint16_t start = WordAt(frame, 2);
    const std::uint16_t count = WordAt(frame, 4);
    if (count == 0 || count > MaxWriteCount || frame[6] != 2 * count)
        return IllegalDataValue;
    if (!Within(start, count, first, last))
        return IllegalDataAddress;
    return std::nullopt;
}

Bytes BlockWriteReply(const Bytes &frame)
{
    Bytes reply(frame.begin(), frame.begin() + 6);
    AppendCrc(reply);
    return reply;
}

} // namespace

void InverterSimulator::RecordWrite(const Bytes &frame, std::vector<std::uint16_t> values,
                                    std::int64_t nowMs)
{
    writes_.push_back(WriteRecord{frame[1], WordAt(frame, 2), std::move(values), nowMs});
}

Bytes InverterSimulator::StoreBlockWrite(const Bytes &frame, std::int64_t nowMs)
{
    const std::uint16_t start = WordAt(frame, 2);
    const std::uint16_t count = WordAt(frame, 4);
    std::vector<std::uint16_t> values;
    for (std::uint16_t k = 0; k < count; ++k) {
        values.push_back(WordAt(frame, 7 + 2u * k));
        SetRegister(static_cast<std::uint16_t>(start + k), values.back());
    }
    RecordWrite(frame, std::move(values), nowMs);
    return BlockWriteReply(frame);
}

Bytes InverterSimulator::AnswerWrite(const Bytes &frame, std::int64_t nowMs)
{
    if (auto code = CheckBlockWrite(frame, reg::ImageFirst, ImageLast))
        return ExceptionReply(WriteFunction, *code);
    return StoreBlockWrite(frame, nowMs);
}

Bytes InverterSimulator::AnswerOwnWrite(const Bytes &frame, std::int64_t nowMs)
{
    if (frame.size() == 8) {
        const std::uint16_t reg = WordAt(frame, 2);
        const std::uint16_t value = WordAt(frame, 4);
        // The energy counter is written half by half through two selectors; the reply
        // repeats the request, so its byte 3 (1 or 2) tells which half it confirms.
        if (reg == reg::EnergyHighSelector)
            SetRegister(reg::EnergyHigh, value);
        else if (reg == reg::EnergyLowSelector)
            SetRegister(reg::EnergyLow, value);
        else if (reg == reg::AcCurrentOffset)
            SetRegister(reg, value);
        else
            return ExceptionReply(OwnWriteFunction, IllegalDataAddress);
        RecordWrite(frame, {value}, nowMs);
        return BlockWriteReply(frame);
    }
    if (auto code = CheckBlockWrite(frame, reg::CalibrationSettings, CalibrationLast))
        return ExceptionReply(OwnWriteFunction, *code);
    return StoreBlockWrite(frame, nowMs);
}

// --- sending ---------------------------------------------------------------------------------

void InverterSimulator::Queue(std::int64_t dueMs, Bytes bytes)
{
    if (!bytes.empty())
        pending_.emplace(dueMs, std::move(bytes));
}

Bytes InverterSimulator::TakeOutput(std::int64_t nowMs)
{
    Bytes out;
    auto it = pending_.begin();
    while (it != pending_.end() && it->first <= nowMs) {
        out.insert(out.end(), it->second.begin(), it->second.end());
        it = pending_.erase(it);
    }
    return out;
}

std::optional<std::int64_t> InverterSimulator::NextDueMs() const
{
    if (pending_.empty())
        return std::nullopt;
    return pending_.begin()->first;
}

// --- chance ----------------------------------------------------------------------------------

// xorshift64*: the same sequence for the same seed on every platform, unlike the standard
// distributions.
std::uint64_t InverterSimulator::NextRandom()
{
    random_ ^= random_ >> 12;
    random_ ^= random_ << 25;
    random_ ^= random_ >> 27;
    return random_ * 0x2545F4914F6CDD1Dull;
}

SimFault InverterSimulator::DrawFault()
{
    for (const auto &[fault, rate] : rates_) {
        if (rate <= 0.0)
            continue;
        const double draw = static_cast<double>(NextRandom() >> 11) * 0x1.0p-53;
        if (draw < rate)
            return fault;
    }
    return SimFault::None;
}

Bytes InverterSimulator::Noise(std::size_t minLength, std::size_t maxLength)
{
    Bytes noise;
    do {
        const std::size_t length = minLength + NextRandom() % (maxLength - minLength + 1);
        noise.clear();
        for (std::size_t k = 0; k < length; ++k)
            noise.push_back(static_cast<std::uint8_t>(NextRandom() >> 56));
    } while (CrcMatches(noise));
    return noise;
}

} // namespace pv
