// The simulated inverter's registers: what a new unit holds, its texts, its energy counter and
// the live readings it shows at a given time.

#include "inverter_simulator.h"

#include "link/codepage.h"
#include "live_readings.h"
#include "simulator_frames.h"

#include <cmath>
#include <stdexcept>

namespace pv {

namespace {

// The inverter's register map is the one the tool speaks (link/register_map.h).
using reg::CalibrationLast;
using reg::ImageLast;
using reg::NameLength;
using sim::WordAt;

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

} // namespace pv
