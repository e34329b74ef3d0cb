#include "gain_calculation.h"

#include "link/registers.h"

#include <cmath>
#include <limits>

namespace pv {
namespace {

constexpr int BytesPerWord = 256;

// RoundHalfEven in the precision the value was worked in.
long double RoundHalfEvenExtended(long double value)
{
    const long double below = std::floor(value);
    const long double fraction = value - below;
    if (fraction > 0.5L)
        return below + 1.0L;
    if (fraction < 0.5L)
        return below;
    return std::fmod(below, 2.0L) == 0.0L ? below : below + 1.0L;
}

// A 16-bit meter voltage as its high byte (truncated toward zero) and low byte (remainder with
// the sign of the value), the two cells of the row that carry it.
void PutWordCells(std::int32_t value, std::string &high, std::string &low)
{
    high = IntegerText(value / BytesPerWord);
    low = IntegerText(value % BytesPerWord);
}

std::optional<VoltageCalibration> StringVoltage(const std::array<std::string, 4> &points,
                                                const NumberFormat &format)
{
    std::array<double, 4> v{};
    for (std::size_t i = 0; i < points.size(); ++i) {
        const auto value = StrictNumber(points[i], format);
        if (!value)
            return std::nullopt;
        v[i] = *value;
    }
    return VoltageGainAndOffset(v[MeterLowerPoint], v[LcdLowerPoint], v[MeterUpperPoint],
                                v[LcdUpperPoint]);
}

template <std::size_t N>
std::array<std::string, 4> VoltagePoints(const std::array<std::string, N> &texts)
{
    return {texts[MeterLowerPoint], texts[LcdLowerPoint], texts[MeterUpperPoint],
            texts[LcdUpperPoint]};
}

} // namespace

std::optional<std::int16_t> NearestWord(long double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    const long double rounded = RoundHalfEvenExtended(value);
    if (rounded < std::numeric_limits<std::int16_t>::min()
        || rounded > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(rounded);
}

std::optional<std::int16_t> CurrentGain(float meter, float lcd)
{
    if (lcd == 0.0f)
        return std::nullopt;
    const long double factor = static_cast<long double>(meter) / lcd;
    return NearestWord(factor * GainScale - GainShift);
}

std::vector<std::string> CalculateCurrentGains(const CalibrationTexts &texts)
{
    std::vector<std::string> gains;
    for (std::size_t pair = 0; pair < std::size(CurrentGainTargets); ++pair) {
        const std::size_t meter = FirstCurrentReading + 2 * pair;
        const auto gain
            = CurrentGain(ParseDecimal(texts.text3[meter]), ParseDecimal(texts.text3[meter + 1]));
        if (!gain)
            break;
        gains.push_back(IntegerText(*gain));
    }
    return gains;
}

std::optional<VoltageCalibration> VoltageGainAndOffset(double m1, double l1, double m2, double l2)
{
    if (l2 == l1)
        return std::nullopt;
    const double k = (m2 - m1) / (l2 - l1);
    const auto gain = NearestWord(static_cast<long double>(k) * GainScale - GainShift);
    const auto offset = NearestWord(m2 - k * l2 + OffsetBias);
    if (!gain || !offset)
        return std::nullopt;
    return VoltageCalibration{*gain, *offset};
}

std::optional<std::array<std::string, Text8Count>>
FillWriteSettingData(const CalibrationTexts &texts, const NumberFormat &format)
{
    // Everything is computed before any cell changes, so a refused write leaves the row as the
    // technician last saw it.
    const auto stringA = StringVoltage(VoltagePoints(texts.text3), format);
    const auto stringB = StringVoltage(VoltagePoints(texts.text4), format);
    const auto dcBus = StrictInteger(texts.text5, format);
    const auto ac = StrictInteger(texts.text6, format);
    if (!stringA || !stringB || !dcBus || !ac)
        return std::nullopt;

    std::array<std::string, Text8Count> row;
    row[0] = IntegerText(stringA->gain);
    row[1] = IntegerText(stringA->offset);
    row[2] = IntegerText(stringB->gain);
    row[3] = IntegerText(stringB->offset);
    PutWordCells(*dcBus, row[4], row[5]);
    row[6] = texts.text3[CurrentGainIndex];
    row[7] = texts.text4[CurrentGainIndex];
    PutWordCells(*ac, row[8], row[9]);
    row[10] = texts.text7;
    return row;
}

std::string StepAcCurrentOffset(const std::string &text2, int index)
{
    // Worked in floating point so that any text, however long its number, ends in the range.
    double value = RoundHalfEven(NumericPrefixValue(text2));
    if (index == OffsetUpButton)
        value += 1.0;
    else if (index == OffsetDownButton)
        value -= 1.0;
    const double lowest = LowValue(decl::AcCurrentOffset);
    const double highest = HighValue(decl::AcCurrentOffset);
    if (!(value >= lowest))
        value = lowest;
    if (value > highest)
        value = highest;
    return IntegerText(static_cast<std::int64_t>(value));
}

} // namespace pv
