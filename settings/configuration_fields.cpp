#include "configuration_fields.h"

#include "text_lines.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace pv::configfield {

namespace {

int EntryLength(int field)
{
    if (field < GridLimitEntryCount)
        return GridLimitEntryLength(field);
    if (field == SleepPowerField)
        return SleepPowerTextLength;
    if (field == RatedPowerField)
        return RatedPowerTextLength;
    return RetryTimeTextLength;
}

} // namespace

const RegisterDeclaration &DeclarationOf(int field)
{
    if (field < GridLimitEntryCount)
        return decl::GridLimits[static_cast<std::size_t>(field)];
    if (field == SleepPowerField)
        return decl::SleepPower;
    if (field == RatedPowerField)
        return decl::RatedPower;
    return decl::RetryTime;
}

std::string PlainNumberText(float value, char separator)
{
    char buffer[64];
    const auto written = std::to_chars(buffer, buffer + sizeof buffer, value == 0.0f ? 0.0f : value,
                                       std::chars_format::fixed);
    std::string text(buffer, written.ptr);
    std::replace(text.begin(), text.end(), '.', separator);
    return text;
}

float &NumberOf(ConfigurationValues &values, int field)
{
    if (field < GridLimitEntryCount)
        return values.limits[static_cast<std::size_t>(field)];
    if (field == SleepPowerField)
        return values.sleepPower;
    if (field == RatedPowerField)
        return values.ratedPower;
    return values.retryTime;
}

float NumberOf(const ConfigurationValues &values, int field)
{
    return NumberOf(const_cast<ConfigurationValues &>(values), field);
}

std::string EntryText(int field, float value, const NumberFormat &format)
{
    std::string text = PlainNumberText(value, format.decimalSeparator);
    if (field == RatedPowerField && text.find(format.decimalSeparator) == std::string::npos)
        text += std::string(1, format.decimalSeparator) + "0";
    return text;
}

ConfigurationProblem Problem(ConfigurationFault fault, int field, std::string_view value,
                             std::string first, std::string second)
{
    ConfigurationProblem problem;
    problem.fault = fault;
    problem.field = field;
    if (field >= 0)
        problem.key = ConfigurationKey(field);
    problem.value = ClippedText(value, MessageClip);
    problem.first = std::move(first);
    problem.second = std::move(second);
    return problem;
}

ConfigurationProblem CheckNumber(int field, double value, std::string_view written,
                                 const NumberFormat &format)
{
    const RegisterDeclaration &r = DeclarationOf(field);
    if (FinerThanUnit(r, value))
        return Problem(ConfigurationFault::FinerThanUnit, field, written,
                       GeneralNumberText(static_cast<float>(1.0 / r.scale), format));
    if (!AcceptedSteps(r, value))
        return Problem(r.lowIncluded ? ConfigurationFault::OutOfRange
                                     : ConfigurationFault::OutOfRangeAboveLow,
                       field, written, GeneralNumberText(static_cast<float>(LowValue(r)), format),
                       GeneralNumberText(static_cast<float>(HighValue(r)), format));
    const std::string shown = EntryText(field, static_cast<float>(value), format);
    if (shown.size() > static_cast<std::size_t>(EntryLength(field)))
        return Problem(ConfigurationFault::TooLong, field, written,
                       std::to_string(EntryLength(field)));
    return {};
}

} // namespace pv::configfield
