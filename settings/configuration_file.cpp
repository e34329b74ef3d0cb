// The configuration file itself: its keys, writing it with its header, and reading it back.

#include "configuration_file.h"

#include "configuration_fields.h"
#include "text_lines.h"

#include "link/sha256.h"
#include "link/text_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>
#include <utility>

namespace pv {

namespace {

using namespace configfield;

// What the file holds for a field.
enum class Kind {
    Number,  // a number for the field's register, read and checked by its declaration
    Country, // a whole number, one of the codes the country list can choose
    Choice,  // one of two words: the flag box unticked, ticked
};

struct FieldRule
{
    std::string_view key;
    Kind kind;
    std::string_view unticked, ticked;
};

// In file order; the limits in Text7 order, as the records of the preset file list them.
// Disconnect times are in milliseconds, as the preset file's header says.
constexpr FieldRule Fields[ConfigurationFieldCount] = {
    {"vmax_l2_v", Kind::Number, {}, {}},
    {"vmax_l1_v", Kind::Number, {}, {}},
    {"vmin_l1_v", Kind::Number, {}, {}},
    {"vmin_l2_v", Kind::Number, {}, {}},
    {"vmax_l2_disconnect_ms", Kind::Number, {}, {}},
    {"vmax_l1_disconnect_ms", Kind::Number, {}, {}},
    {"vmin_l1_disconnect_ms", Kind::Number, {}, {}},
    {"vmin_l2_disconnect_ms", Kind::Number, {}, {}},
    {"fmax_50hz_grid_hz", Kind::Number, {}, {}},
    {"fmin_50hz_grid_hz", Kind::Number, {}, {}},
    {"fmax_60hz_grid_hz", Kind::Number, {}, {}},
    {"fmin_60hz_grid_hz", Kind::Number, {}, {}},
    {"fmax_disconnect_ms", Kind::Number, {}, {}},
    {"fmin_disconnect_ms", Kind::Number, {}, {}},
    {"sleep_power_percent", Kind::Number, {}, {}},
    {"rated_power_kw", Kind::Number, {}, {}},
    {"retry_time_s", Kind::Number, {}, {}},
    {"country_code", Kind::Country, {}, {}},
    // Flag bit 7 and bit 6 are the two modes; bits 5..0 have no name on the panel.
    {"dc_input", Kind::Choice, "standard", "parallel"},
    {"communication", Kind::Choice, "jbus", "mbus"},
    {"flag_bit_5", Kind::Choice, "0", "1"},
    {"flag_bit_4", Kind::Choice, "0", "1"},
    {"flag_bit_3", Kind::Choice, "0", "1"},
    {"flag_bit_2", Kind::Choice, "0", "1"},
    {"flag_bit_1", Kind::Choice, "0", "1"},
    {"flag_bit_0", Kind::Choice, "0", "1"},
};

constexpr NumberFormat FileFormat{'.', ','};
constexpr std::string_view FingerprintComment = "# fingerprint sha256:";

// A number as the file writes it: an optional minus, digits, and an optional "." with digits.
std::optional<double> FileNumber(std::string_view text)
{
    const std::size_t digitsFrom = !text.empty() && text[0] == '-' ? 1 : 0;
    const auto point = text.find('.');
    const auto digits = [&](std::size_t from, std::size_t to) {
        return to > from
               && std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from),
                              text.begin() + static_cast<std::ptrdiff_t>(to),
                              [](char c) { return c >= '0' && c <= '9'; });
    };
    const bool wellFormed = point == std::string_view::npos
                                ? digits(digitsFrom, text.size())
                                : digits(digitsFrom, point) && digits(point + 1, text.size());
    double value = 0;
    if (!wellFormed
        || std::from_chars(text.data(), text.data() + text.size(), value).ec != std::errc())
        return std::nullopt;
    return value;
}

std::string CodesText(const std::vector<std::uint8_t> &codes)
{
    std::string text;
    for (std::uint8_t code : codes)
        text += (text.empty() ? "" : ", ") + std::to_string(code);
    return text;
}

// One value of a file into values; a problem when it is refused.
ConfigurationProblem TakeFileValue(int field, std::string_view written,
                                   const std::vector<std::uint8_t> &countryCodes,
                                   const NumberFormat &format, ConfigurationValues &values)
{
    const FieldRule &rule = Fields[field];
    if (rule.kind == Kind::Choice) {
        if (written != rule.unticked && written != rule.ticked)
            return Problem(ConfigurationFault::NotChoice, field, written,
                           std::string(rule.unticked) + ", " + std::string(rule.ticked));
        values.flags[static_cast<std::size_t>(field - FirstFlagField)] = written == rule.ticked;
        return {};
    }
    const auto value = FileNumber(written);
    if (!value)
        return Problem(ConfigurationFault::NotNumber, field, written);
    if (rule.kind == Kind::Country) {
        const auto listed = std::find(countryCodes.begin(), countryCodes.end(), *value);
        if (*value != std::floor(*value))
            return Problem(ConfigurationFault::NotWhole, field, written);
        if (listed == countryCodes.end())
            return Problem(ConfigurationFault::NotChoice, field, written, CodesText(countryCodes));
        values.countryCode = *listed;
        return {};
    }
    ConfigurationProblem problem = CheckNumber(field, *value, written, format);
    if (problem.fault == ConfigurationFault::None)
        NumberOf(values, field) = static_cast<float>(*value);
    return problem;
}

// A number in its register's unit: rounded to the unit as the write rounds it, then the
// shortest text that reads back as that value, so any way of writing one setting gives one text.
std::string UnitNumberText(int field, float value)
{
    const int scale = DeclarationOf(field).scale;
    const double atUnit = RoundHalfEven(static_cast<double>(value) * scale) / scale;
    return PlainNumberText(static_cast<float>(atUnit), FileFormat.decimalSeparator);
}

} // namespace

std::string_view ConfigurationWord(int field, bool ticked)
{
    return ticked ? Fields[field].ticked : Fields[field].unticked;
}

WriteGroup FieldWriteGroup(int field)
{
    switch (field) {
    case SleepPowerField:
        return SleepPowerGroup;
    case RatedPowerField:
        return RatedPowerGroup;
    case RetryTimeField:
        return RetryTimeGroup;
    default:
        return CountryGroup;
    }
}

int ConfigurationFaultText(ConfigurationFault fault)
{
    switch (fault) {
    case ConfigurationFault::UnknownKey:
        return 243;
    case ConfigurationFault::RepeatedKey:
        return 244;
    case ConfigurationFault::MissingKey:
        return 245;
    case ConfigurationFault::NotKeyValue:
        return 246;
    case ConfigurationFault::NotNumber:
        return 247;
    case ConfigurationFault::NotWhole:
        return 248;
    case ConfigurationFault::FinerThanUnit:
        return 284;
    case ConfigurationFault::OutOfRange:
        return 249;
    case ConfigurationFault::OutOfRangeAboveLow:
        return 250;
    case ConfigurationFault::TooLong:
        return 251;
    case ConfigurationFault::NotChoice:
        return 252;
    case ConfigurationFault::NotText:
        return 253;
    case ConfigurationFault::EmptyFile:
        return 254;
    case ConfigurationFault::TooLarge:
        return 255;
    case ConfigurationFault::None:
    case ConfigurationFault::EmptyPanel:
    case ConfigurationFault::EmptyEntry:
    case ConfigurationFault::NoCountry:
        break;
    }
    return text::EntryRefused;
}

std::string_view ConfigurationKey(int field)
{
    return Fields[field].key;
}

ConfigurationFileHeader ConfigurationHeaderFor(std::string savedAt,
                                               const std::optional<ConfigurationRead> &read,
                                               const ConfigurationPanelTexts &panel)
{
    ConfigurationFileHeader header{std::move(savedAt), {}};
    if (read) {
        header.inverter = read->inverter;
        header.editedAfterRead = panel != read->shown;
    }
    return header;
}

std::string CanonicalConfigurationText(const ConfigurationValues &values)
{
    std::string text;
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        const FieldRule &rule = Fields[field];
        std::string value;
        if (rule.kind == Kind::Choice)
            value = values.flags[static_cast<std::size_t>(field - FirstFlagField)] ? rule.ticked
                                                                                   : rule.unticked;
        else if (rule.kind == Kind::Country)
            value = std::to_string(values.countryCode);
        else
            value = UnitNumberText(field, NumberOf(values, field));
        text += std::string(rule.key) + " = " + value + "\n";
    }
    return text;
}

std::string SettingNumberText(int field, double value)
{
    return UnitNumberText(field, static_cast<float>(value));
}

std::string ConfigurationFingerprint(const ConfigurationValues &values)
{
    return Sha256Hex(CanonicalConfigurationText(values));
}

std::string FormatConfigurationFile(const ConfigurationValues &values,
                                    const ConfigurationFileHeader &header)
{
    std::string file = "# PV inverter configuration (UTF-8, one \"key = value\" per line, \".\" "
                       "as the decimal point)\n";
    file += "# saved " + SingleLineText(header.savedAt) + "\n";
    if (const auto &inverter = header.inverter)
        file += std::string(header.editedAfterRead ? "# edited after reading from" : "# read from")
                + " inverter ID " + SingleLineText(inverter->id) + ", model \""
                + SingleLineText(inverter->modelName) + "\", operating firmware "
                + SingleLineText(inverter->operatingVersion) + "\n";
    const std::string settings = CanonicalConfigurationText(values);
    file += std::string(FingerprintComment) + Sha256Hex(settings) + "\n";
    return file + settings;
}

ConfigurationFileReading ParseConfigurationFile(std::string_view bytes,
                                                const std::vector<std::uint8_t> &countryCodes,
                                                const NumberFormat &format)
{
    ConfigurationFileReading reading;
    const auto refuse = [&](ConfigurationProblem problem, int line) {
        problem.line = line;
        reading.problem = std::move(problem);
        return reading;
    };
    if (bytes.size() > MaxConfigurationFileBytes)
        return refuse(Problem(ConfigurationFault::TooLarge, -1, {},
                              std::to_string(MaxConfigurationFileBytes / 1024)),
                      0); // a fault of the whole file, on no line of it
    // Editors on Windows put a byte order mark first.
    constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, ByteOrderMark.size()) == ByteOrderMark)
        bytes.remove_prefix(ByteOrderMark.size());
    if (const auto offending = FirstNonTextByte(bytes))
        return refuse(Problem(ConfigurationFault::NotText, -1), LineAt(bytes, *offending));
    if (bytes.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return refuse(Problem(ConfigurationFault::EmptyFile, -1), 1);

    ConfigurationValues values;
    int line = 0;
    for (std::size_t start = 0; start < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', start), bytes.size());
        std::string_view text = bytes.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        text = TrimmedBlanks(text);
        if (text.empty() || text.front() == '#')
            continue;
        const auto equals = text.find('=');
        if (equals == std::string_view::npos)
            return refuse(Problem(ConfigurationFault::NotKeyValue, -1, text), line);
        const std::string_view key = TrimmedBlanks(text.substr(0, equals));
        const auto field = std::find_if(std::begin(Fields), std::end(Fields),
                                        [&](const FieldRule &rule) { return rule.key == key; })
                           - std::begin(Fields);
        if (field == ConfigurationFieldCount) {
            ConfigurationProblem unknown = Problem(ConfigurationFault::UnknownKey, -1);
            unknown.key = ClippedText(key, MessageClip);
            return refuse(unknown, line);
        }
        const auto at = static_cast<std::size_t>(field);
        if (reading.lines[at] != 0)
            return refuse(Problem(ConfigurationFault::RepeatedKey, static_cast<int>(field)), line);
        reading.lines[at] = line;
        ConfigurationProblem problem
            = TakeFileValue(static_cast<int>(field), TrimmedBlanks(text.substr(equals + 1)),
                            countryCodes, format, values);
        if (problem.fault != ConfigurationFault::None)
            return refuse(problem, line);
    }
    // A missing key is named where the file ends, on the line after its last.
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        if (reading.lines[static_cast<std::size_t>(field)] == 0)
            return refuse(Problem(ConfigurationFault::MissingKey, field), line + 1);
    }
    reading.values = values;
    return reading;
}

} // namespace pv
