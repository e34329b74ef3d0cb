#pragma once
// What each register the tool decodes, checks, packs, saves, compares or shows holds: its unit,
// its sign, the values a write accepts and how an entry's text is read for it. The decoder, the
// checks of every panel, the configuration files and the calibration window all go through
// these declarations and the one path below (read, round to the unit, check the rounded value,
// pack), so the word that passed a check is the word sent, filed and shown.

#include "numbers.h"
#include "register_map.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace pv {

// How an entry's text becomes its value.
enum class Reading {
    Regional, // the whole text a number in the window's regional format
    Decimal,  // every "," read as ".", then the whole text a number (single precision)
    Prefix,   // every "," read as ".", then the number the text starts with (single precision;
              // never fails)
};

struct RegisterDeclaration
{
    std::uint16_t address;
    // Register steps per unit shown: 10 for a register in tenths.
    int scale;
    // A word of 0x8000 or above is read as negative. The settings are unsigned, as their checks
    // accept values up to 65535 steps; live readings that can fall below zero are signed.
    bool isSigned;
    // The rounded values a write accepts, in register steps: low (included or not) up to high.
    std::int64_t low;
    bool lowIncluded;
    std::int64_t high;
    Reading reading;
    // Shown steps = word + bias: the inverter counts its ID from 0, people from 1.
    int bias = 0;
};

namespace decl {

inline constexpr std::int64_t WordMax = 65535;
inline constexpr std::int64_t ByteMax = 255;
// A live reading is never written; its range is the signed word's.
inline constexpr std::int64_t SignedMin = -32768;
inline constexpr std::int64_t SignedMax = 32767;

constexpr RegisterDeclaration LiveReading(std::uint16_t address, int scale)
{
    return {address, scale, true, SignedMin, true, SignedMax, pv::Reading::Regional};
}

// Live readings (0xC020 block): signed, as a current or power may be reported below zero.
inline constexpr RegisterDeclaration OutputPower = LiveReading(reg::OutputPower, 100);
inline constexpr RegisterDeclaration AcVoltage = LiveReading(reg::AcVoltage, 1);
inline constexpr RegisterDeclaration AcCurrent = LiveReading(reg::AcCurrent, 10);
inline constexpr RegisterDeclaration AcFrequency = LiveReading(reg::AcFrequency, 10);
inline constexpr RegisterDeclaration DcBusVoltage = LiveReading(reg::DcBusVoltage, 1);
inline constexpr RegisterDeclaration InputAVoltage = LiveReading(reg::InputAVoltage, 1);
inline constexpr RegisterDeclaration InputBVoltage = LiveReading(reg::InputBVoltage, 1);
inline constexpr RegisterDeclaration InputACurrent = LiveReading(reg::InputACurrent, 10);
inline constexpr RegisterDeclaration InputBCurrent = LiveReading(reg::InputBCurrent, 10);
inline constexpr RegisterDeclaration InputAPower = LiveReading(reg::InputAPower, 100);
inline constexpr RegisterDeclaration InputBPower = LiveReading(reg::InputBPower, 100);

// The IDs people use are 1..65535, kept by the inverter as 0..65534.
inline constexpr RegisterDeclaration InverterId{reg::InverterId,       1, false, 1, true, WordMax,
                                                pv::Reading::Regional, 1};
// The energy counter, kWh, spans 0xC031..0xC032 (high word first) and is written through
// function 0x64 half by half; it takes 0..2147483646.
inline constexpr RegisterDeclaration Energy{reg::EnergyHigh,      1, true, 0, true, 2147483646,
                                            pv::Reading::Regional};
// Sleep power, %: only the upper bound is the inverter's; below zero no word holds it.
inline constexpr RegisterDeclaration SleepPower{reg::SleepPower,      1, false, 0, true, 20,
                                                pv::Reading::Regional};
// Retry time, s.
inline constexpr RegisterDeclaration RetryTime{reg::RetryTime,       1, false, 1, true, 600,
                                               pv::Reading::Regional};
// Rated power, kW in tenths, read with "," as the decimal point whatever the regional format
// (so "3,5" is 3.5 kW); up to what one word holds.
inline constexpr RegisterDeclaration RatedPower{reg::RatedPower,     10, false, 0, true, WordMax,
                                                pv::Reading::Decimal};

// The fourteen limits 0xC088..0xC095, by Text7 index. Voltages in V; the frequencies in tenths
// of a Hz (the 50 Hz ones read by their number prefix, as a value out of range falls back to a
// default rather than being refused); the disconnect times in ms, where zero would be no time.
constexpr RegisterDeclaration Voltage(int index, std::int64_t low)
{
    return {static_cast<std::uint16_t>(reg::GridLimits + index),
            1,
            false,
            low,
            true,
            300,
            pv::Reading::Regional};
}
constexpr RegisterDeclaration Frequency(int index, std::int64_t low, std::int64_t high,
                                        pv::Reading reading)
{
    return {
        static_cast<std::uint16_t>(reg::GridLimits + index), 10, false, low, true, high, reading};
}
constexpr RegisterDeclaration DisconnectTime(int index)
{
    return {static_cast<std::uint16_t>(reg::GridLimits + index),
            1,
            false,
            0,
            false,
            WordMax,
            pv::Reading::Regional};
}
inline constexpr std::array<RegisterDeclaration, reg::GridLimitCount> GridLimits = {
    Voltage(0, 100),                               // Vmax_L2
    Voltage(1, 150),                               // Vmax_L1
    Voltage(2, 150),                               // Vmin_L1
    Voltage(3, 100),                               // Vmin_L2
    DisconnectTime(4),                             // Vmax_L2
    DisconnectTime(5),                             // Vmax_L1
    DisconnectTime(6),                             // Vmin_L1
    DisconnectTime(7),                             // Vmin_L2
    Frequency(8, 501, 549, pv::Reading::Prefix),   // Fmax(50HZ)
    Frequency(9, 451, 499, pv::Reading::Prefix),   // Fmin(50HZ)
    Frequency(10, 601, 650, pv::Reading::Decimal), // Fmax(60HZ)
    Frequency(11, 551, 599, pv::Reading::Decimal), // Fmin(60HZ)
    DisconnectTime(12),                            // Fmax
    DisconnectTime(13),                            // Fmin
};

// The calibration settings 0xCF03..0xCF09 are written byte by byte, each 0..255.
inline constexpr RegisterDeclaration CalibrationByte{
    reg::CalibrationSettings, 1, false, 0, true, ByteMax, pv::Reading::Regional};
// The AC current offset: the calibration window's buttons step it within 118..138, and a value
// typed by hand is held to the same range.
inline constexpr RegisterDeclaration AcCurrentOffset{reg::AcCurrentOffset, 1, false, 118, true, 138,
                                                     pv::Reading::Regional};

} // namespace decl

// The comma-tolerant reading of a decimal entry: every "," read as "." and the whole text a
// number; nothing otherwise.
std::optional<float> DecimalEntryValue(std::string_view text);

// The number an entry's text holds, read as the declaration says; nothing when it holds none.
std::optional<double> EntryNumber(Reading reading, std::string_view text,
                                  const NumberFormat &format);

// A value rounded to its register's unit (halves to the even neighbour); nothing when the
// rounded value is not one the write accepts.
std::optional<std::int64_t> AcceptedSteps(const RegisterDeclaration &r, double value);

// The one path from an entry's text to its register: read, round, check the rounded value.
// Nothing when the text holds no number or the rounded value is refused.
std::optional<std::int64_t> EntrySteps(const RegisterDeclaration &r, std::string_view text,
                                       const NumberFormat &format);
std::optional<std::uint16_t> EntryWord(const RegisterDeclaration &r, std::string_view text,
                                       const NumberFormat &format);

// The word that carries accepted steps (its 16-bit pattern; the ID less its bias).
std::uint16_t StepsWord(const RegisterDeclaration &r, std::int64_t steps);

// The value a word stands for, by the register's sign, bias and unit.
double WordValue(const RegisterDeclaration &r, std::uint16_t word);

// The value has digits below its register's unit, judged in the precision its reading gives.
bool FinerThanUnit(const RegisterDeclaration &r, double value);

// The accepted range's bounds in the unit shown.
double LowValue(const RegisterDeclaration &r);
double HighValue(const RegisterDeclaration &r);

} // namespace pv
