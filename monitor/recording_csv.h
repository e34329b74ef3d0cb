#pragma once
// The lines of a recording of the readings: a CSV file (RFC 4180, CR LF line ends) with a header
// line and one line per accepted reply of the readings block. Everything in it is meant for
// programs as much as for people, so nothing follows the language or the regional settings:
// numbers carry "." as decimal point and every digit the decoded value has.

#include "monitor_texts.h"

#include "link/codec.h"
#include "link/local_time.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pv {

inline constexpr std::string_view CsvLineEnd = "\r\n";
inline constexpr char CsvSeparator = ',';

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

// The link state of a reading: checking while the firmware version of a newly opened port is
// rated, resumed for the first reading after the link was lost (afterGap, ReadingsAge), else
// connected.
LinkState RecordedLinkState(bool checkingVersion, bool afterGap);

// Whether an accepted reply carried the readings block: only those make a reading (the other
// blocks of the monitor cycle carry names and settings).
bool IsReadingsReply(const RequestInfo &request);

inline constexpr int CsvColumnCount = 12; // time, the ten readings of the panel, link state

// The columns of a recording: their names are the readings panel's own design captions, the
// same in every language, so that a program can read a recording from any installation; every
// program output of the readings names them so.
struct RecordingColumn
{
    std::string_view name;
    std::string_view unit;
};
inline constexpr RecordingColumn TimeColumn{"Time", "ISO 8601"};
inline constexpr std::array<RecordingColumn, MonitorLabelCount> ReadingColumns{{
    {"InputA_V", "V"},
    {"InputB_V", "V"},
    {"DCBus", "V"},
    {"AC_V", "V"},
    {"AC_F", "Hz"},
    {"InputA_C", "A"},
    {"InputB_C", "A"},
    {"AC_C", "A"},
    {"KWH", "kWh"},
    {"Efficiency", "%"},
}};
inline constexpr std::string_view LinkColumn = "Link";

// The ten readings' fields in column order, as the recording writes them.
std::array<std::string, MonitorLabelCount> ReadingFields(const MonitorReadings &readings);

// Names the columns in panel order, each with its unit; ends with CsvLineEnd.
std::string CsvHeaderLine();
// One reading; ends with CsvLineEnd.
std::string CsvRowLine(const LocalTime &time, const MonitorReadings &readings, LinkState link);

} // namespace pv
