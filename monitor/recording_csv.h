#pragma once
// The lines of a recording of the readings: a CSV file (RFC 4180, CR LF line ends) with a header
// line and one line per accepted reply of the readings block. Everything in it is meant for
// programs as much as for people, so nothing follows the language or the regional settings:
// numbers carry "." as decimal point and every digit the decoded value has.

#include "monitor_texts.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace pv {

inline constexpr std::string_view CsvLineEnd = "\r\n";
inline constexpr char CsvSeparator = ',';

// A moment as the clock on the wall showed it where the tool runs.
struct LocalTime
{
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    int offsetMinutes = 0; // local time minus UTC
};

// ISO 8601 with milliseconds and the offset from UTC: "2024-05-01T14:03:22.350+02:00".
std::string IsoLocalTime(const LocalTime &time);

// The field as it stands, or in double quotes (each quote doubled) when it holds the separator,
// a quote, a carriage return or a line feed.
std::string CsvField(std::string_view text);

// The shortest text that reads back as the same single-precision value.
std::string NumberField(float value);

// What the link was doing when a reading was recorded.
enum class LinkState {
    Connected, // monitoring, the firmware version accepted
    Checking,  // a port was opened and its firmware version is being checked
    Resumed,   // the first reading after the link was lost (two monitor cycles without one)
};
std::string_view LinkStateName(LinkState state); // "connected", "checking", "resumed"

inline constexpr int CsvColumnCount = 12; // time, the ten readings of the panel, link state

// Names the columns in panel order, each with its unit; ends with CsvLineEnd.
std::string CsvHeaderLine();
// One reading; ends with CsvLineEnd.
std::string CsvRowLine(const LocalTime &time, const MonitorReadings &readings, LinkState link);

} // namespace pv
