#pragma once
// Where every value the tool reads or writes lives in the inverter's register space. The
// decoder, the request builders of every panel and the simulator all take their addresses
// from here; what each register holds (unit, sign, accepted range) is declared in registers.h.

#include <cstddef>
#include <cstdint>

namespace pv::reg {

// The read/write block 0xC000..0xC0FF, held by the tool as its register image.
inline constexpr std::uint16_t ImageFirst = 0xC000;
inline constexpr std::uint16_t ImageLast = 0xC0FF;

// Live readings, read by the monitor cycle as one block of 32 registers.
inline constexpr std::uint16_t ReadingsBlock = 0xC020;
inline constexpr std::uint16_t ReadingsCount = 32;
inline constexpr std::uint16_t OutputPower = 0xC020;
inline constexpr std::uint16_t AcVoltage = 0xC021;
inline constexpr std::uint16_t AcCurrent = 0xC024;
inline constexpr std::uint16_t AcFrequency = 0xC026;
inline constexpr std::uint16_t DcBusVoltage = 0xC027;
inline constexpr std::uint16_t InputAVoltage = 0xC02B;
inline constexpr std::uint16_t InputBVoltage = 0xC02C;
inline constexpr std::uint16_t InputACurrent = 0xC02D;
inline constexpr std::uint16_t InputBCurrent = 0xC02E;
inline constexpr std::uint16_t InputAPower = 0xC02F;
inline constexpr std::uint16_t InputBPower = 0xC030;
inline constexpr std::uint16_t EnergyHigh = 0xC031; // energy counter, kWh, high word
inline constexpr std::uint16_t EnergyLow = 0xC032;

// Identity and configuration, read by the monitor cycle as one block of 22 registers.
inline constexpr std::uint16_t SettingsBlock = 0xC080;
inline constexpr std::uint16_t SettingsCount = 22;
inline constexpr std::uint16_t InverterId = 0xC080;   // the ID minus one
inline constexpr std::uint16_t FlagsCountry = 0xC081; // flag bits (high byte), country code
inline constexpr std::uint16_t SleepPower = 0xC084;
inline constexpr std::uint16_t RetryTime = 0xC085;
inline constexpr std::uint16_t GridLimits = 0xC088; // fourteen limits, 0xC088..0xC095
inline constexpr std::uint16_t GridLimitCount = 14;
inline constexpr int FirstFrequencyLimit = 8; // limits 8..11 are the frequencies
inline constexpr int LastFrequencyLimit = 11;

// Names and firmware texts, read by the monitor cycle as one block of 19 registers.
inline constexpr std::uint16_t NamesBlock = 0xC0B0;
inline constexpr std::uint16_t NamesCount = 19;
inline constexpr std::uint16_t RatedPowerCopy = 0xC0B0; // written with the same value as 0xC0B1
inline constexpr std::uint16_t RatedPower = 0xC0B1;
inline constexpr std::uint16_t ModelName = 0xC0B2;          // 10 bytes
inline constexpr std::uint16_t CompanyName = 0xC0B7;        // 10 bytes
inline constexpr std::uint16_t OperatingVersion = 0xC0BC;   // 8 bytes
inline constexpr std::uint16_t CertificateVersion = 0xC0C0; // 6 bytes
inline constexpr std::size_t NameLength = 10;
inline constexpr std::size_t OperatingVersionLength = 8;
inline constexpr std::size_t CertificateVersionLength = 6;

// The calibration block 0xCF00..0xCF0F, written with the inverter's own function 0x64.
inline constexpr std::uint16_t CalibrationFirst = 0xCF00;
inline constexpr std::uint16_t CalibrationLast = 0xCF0F;
inline constexpr std::uint16_t CalibrationReadCount = 15;    // 0xCF00..0xCF0E
inline constexpr std::uint16_t EnergyHighSelector = 0xCF01;  // writes the high word of 0xC031
inline constexpr std::uint16_t EnergyLowSelector = 0xCF02;   // writes the low word, 0xC032
inline constexpr std::uint16_t CalibrationSettings = 0xCF03; // seven words, 0xCF03..0xCF09
inline constexpr std::uint16_t CalibrationSettingsCount = 7;
inline constexpr std::uint16_t AcCurrentOffset = 0xCF0A;

// Image index of the high byte of register r of the 0xC000 block.
constexpr std::size_t ImageIndex(std::uint16_t r)
{
    return 2u * static_cast<std::size_t>(r - ImageFirst);
}

} // namespace pv::reg
