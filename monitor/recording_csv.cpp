#include "recording_csv.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <cstdlib>

namespace pv {

namespace {

std::string Named(const RecordingColumn &column)
{
    return std::string(column.name) + " [" + std::string(column.unit) + "]";
}

std::string TwoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

} // namespace

std::string IsoLocalTime(const LocalTime &t)
{
    // Integers only: snprintf's %d does not depend on the locale.
    char date[40];
    std::snprintf(date, sizeof date, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second, t.millisecond);
    const int offset = std::abs(t.offsetMinutes);
    return std::string(date) + (t.offsetMinutes < 0 ? '-' : '+') + TwoDigits(offset / 60) + ":"
           + TwoDigits(offset % 60);
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string NumberField(float value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string_view LinkStateName(LinkState state)
{
    switch (state) {
    case LinkState::Checking:
        return "checking";
    case LinkState::Resumed:
        return "resumed";
    case LinkState::Connected:
        break;
    }
    return "connected";
}

std::string CsvHeaderLine()
{
    std::string line = CsvField(Named(TimeColumn));
    for (const RecordingColumn &column : ReadingColumns)
        line += CsvSeparator + CsvField(Named(column));
    line += CsvSeparator + CsvField(LinkColumn);
    return line += CsvLineEnd;
}

LinkState RecordedLinkState(bool checkingVersion, bool afterGap)
{
    return checkingVersion ? LinkState::Checking
           : afterGap      ? LinkState::Resumed
                           : LinkState::Connected;
}

bool IsReadingsReply(const RequestInfo &request)
{
    // The reply address of the readings block, as the monitor cycle's request records it.
    constexpr std::uint32_t ReadingsReplyAddress
        = reg::ImageFirst + reg::ImageIndex(reg::ReadingsBlock);
    return request.function == ReadFunction && request.replyAddress == ReadingsReplyAddress;
}

std::array<std::string, MonitorLabelCount> ReadingFields(const MonitorReadings &r)
{
    const float efficiency = EfficiencyPercent(r.outputPower, r.inputAPower, r.inputBPower);
    return {NumberField(r.inputAVoltage), NumberField(r.inputBVoltage),
            NumberField(r.dcBusVoltage),  NumberField(r.acVoltage),
            NumberField(r.acFrequency),   NumberField(r.inputACurrent),
            NumberField(r.inputBCurrent), NumberField(r.acCurrent),
            IntegerText(r.energyTotal),   NumberField(efficiency)};
}

std::string CsvRowLine(const LocalTime &time, const MonitorReadings &r, LinkState link)
{
    std::string line = CsvField(IsoLocalTime(time));
    for (const std::string &reading : ReadingFields(r))
        line += CsvSeparator + CsvField(reading);
    line += CsvSeparator + CsvField(LinkStateName(link));
    return line += CsvLineEnd;
}

} // namespace pv
