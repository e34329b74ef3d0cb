#pragma once
// Configuration files: what the configuration panel shows, kept as a UTF-8 text of
// "key = value" lines, so that a technician can carry one unit's settings to another or keep a
// site's grid code beside the tool. A file only ever fills the panel's entries: whatever reaches
// the inverter still passes the write's own checks.
//
// The file, line by line: comment lines starting with "#" (the header), then one line per key,
// each key exactly once, numbers with "." as the decimal point whatever the regional format:
//   vmax_l2_v = 264
//   fmin_50hz_grid_hz = 47.5
//   country_code = 6
//   dc_input = standard

#include "configuration.h"
#include "grid_limit_checks.h"

#include "link/numbers.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// The settings of a file, in file order: fields 0..13 are the limits Text7(0..13), then the
// single values, the country code, and the flag boxes Check2(0..7) (box 0 is the DC input mode,
// box 1 the communication mode, boxes 2..7 flag bits 5..0).
inline constexpr int SleepPowerField = GridLimitEntryCount;
inline constexpr int RatedPowerField = SleepPowerField + 1;
inline constexpr int RetryTimeField = SleepPowerField + 2;
inline constexpr int CountryCodeField = SleepPowerField + 3;
inline constexpr int FirstFlagField = SleepPowerField + 4;
inline constexpr int DcInputField = FirstFlagField;           // Check2(0), Option1
inline constexpr int CommunicationField = FirstFlagField + 1; // Check2(1), Option2
inline constexpr int ConfigurationFieldCount = FirstFlagField + FlagCount;
constexpr int FlagField(int box)
{
    return FirstFlagField + box;
}

// The key of a field in the file, e.g. "vmax_l2_v".
std::string_view ConfigurationKey(int field);

// Larger files are refused before they are looked at: a configuration file is about 1 KiB.
inline constexpr std::size_t MaxConfigurationFileBytes = 64 * 1024;

// The panel's settings as numbers.
struct ConfigurationValues
{
    std::array<float, GridLimitEntryCount> limits{}; // Text7(0..13)
    float sleepPower = 0;                            // Text5, %
    float ratedPower = 0;                            // Text6, kW
    float retryTime = 0;                             // Text8, s
    std::uint8_t countryCode = 0;                    // SelectedCountryCode
    FlagBoxes flags{};                               // Check2(0..7)
    bool operator==(const ConfigurationValues &) const = default;
};

// What the panel shows, as the entries hold it.
struct ConfigurationPanelTexts
{
    GridLimitTexts limits; // Text7(0..13)
    std::string sleepPower, ratedPower, retryTime;
    std::optional<std::uint8_t> countryCode; // nothing while the list stands for no country
    FlagBoxes flags{};
    bool operator==(const ConfigurationPanelTexts &) const = default;
};

enum class ConfigurationFault {
    None,
    // Saving the panel.
    EmptyPanel, // no entry holds anything
    EmptyEntry, // this entry is empty while others are not
    NoCountry,  // the list stands for no country
    // Reading a file.
    NotText,     // a byte that is not UTF-8 text, or a control character
    TooLarge,    // larger than MaxConfigurationFileBytes
    EmptyFile,   // no byte at all, or nothing but blanks
    NotKeyValue, // a line that is not "key = value" nor a comment
    UnknownKey,
    RepeatedKey,
    MissingKey, // named at the line after the last one
    // A value, from a file or an entry.
    NotNumber,
    NotWhole,      // a country code with decimals
    FinerThanUnit, // finer than its register's unit (steps of `first`): the write would round it
    OutOfRange,    // below `first` or above `second`
    OutOfRangeAboveLow, // at most `first` or above `second` (a lower bound not included)
    TooLong,            // its entry takes at most `first` characters
    NotChoice,          // not one of the words in `first`
};

// The text (language table) that says why a value or file was refused, with %1 the key, %2 the
// value, %3 and %4 the bounds, the length or the choices (ConfigurationProblem); text 132 for
// the faults of a panel that no reason text names.
int ConfigurationFaultText(ConfigurationFault fault);

// What a refused file or panel names: the line (from 1; 0 for the panel and for a fault of the
// whole file, its size), the field, and texts ready for the message: the key, the value as
// written, and the bounds (regional format), the length or the choices.
struct ConfigurationProblem
{
    ConfigurationFault fault = ConfigurationFault::None;
    int line = 0;
    int field = -1;
    std::string key, value, first, second;
};

// Saving: the entries read as the write's checks read them (voltages, times, sleep power, retry
// time in the regional format; the frequencies and the rated power with "," or "." as the
// decimal point), each a number that loading would accept.
struct PanelReading
{
    std::optional<ConfigurationValues> values;
    ConfigurationProblem problem;
};
PanelReading ReadConfigurationPanel(const ConfigurationPanelTexts &panel,
                                    const NumberFormat &format);

// The header of a saved file: when, and the inverter whose read filled the panel, if one did,
// with whether the panel was changed since (by hand, by a country preset, by a language change
// that chose the country again). The ID as the panel shows it, 1..65536.
struct InverterIdentity
{
    std::string id, modelName, operatingVersion;
};
struct ConfigurationFileHeader
{
    std::string savedAt;
    std::optional<InverterIdentity> inverter;
    bool editedAfterRead = false;
};

// What a configuration read showed on the panel, and the unit it was read from as it was known
// at that read (not whichever unit is connected when the file is saved).
struct ConfigurationRead
{
    InverterIdentity inverter;
    ConfigurationPanelTexts shown;
};
// The header for the panel as it stands: the unit's read while the panel holds exactly what
// that read showed, edited after reading from it otherwise; no unit without a read.
ConfigurationFileHeader ConfigurationHeaderFor(std::string savedAt,
                                               const std::optional<ConfigurationRead> &read,
                                               const ConfigurationPanelTexts &panel);
// The settings as one text that does not depend on how their numbers were written: the lines
// the file holds below its header ("key = value\n" in file order), each number rounded to its
// register's unit and written in its shortest "." form, so 47.5, 47.50 and an entry's "47,5"
// give the same text.
std::string CanonicalConfigurationText(const ConfigurationValues &values);
// SHA-256 of that text as 64 lowercase hexadecimal digits: a report and a file that name the
// same fingerprint hold the same settings, whichever panel or file they came from.
std::string ConfigurationFingerprint(const ConfigurationValues &values);

// The whole file, UTF-8 with LF line ends; its header ends with the settings' fingerprint
// ("# fingerprint sha256:<hex>", the digest of the lines that follow it). Loading reads no
// comment, so files saved before the fingerprint load as they did.
std::string FormatConfigurationFile(const ConfigurationValues &values,
                                    const ConfigurationFileHeader &header);

// Loading: every byte checked, every key exactly once, every value a number (or word) that the
// panel's entry takes and the write's checks accept; the country code one of countryCodes (the
// codes the country list can choose, and the code the connected unit reported when the list
// does not offer it). The first fault refuses the whole file. lines[field] is
// the line the field stood on.
struct ConfigurationFileReading
{
    std::optional<ConfigurationValues> values;
    ConfigurationProblem problem;
    std::array<int, ConfigurationFieldCount> lines{};
};
ConfigurationFileReading ParseConfigurationFile(std::string_view bytes,
                                                const std::vector<std::uint8_t> &countryCodes,
                                                const NumberFormat &format);

// The texts the entries show for the values, in the regional format, as a read shows them
// (the rated power with one decimal at least). Each fits its entry when the values came from
// ParseConfigurationFile.
ConfigurationPanelTexts ConfigurationEntryTexts(const ConfigurationValues &values,
                                                const NumberFormat &format);

// What a configuration read shows on the panel, as its entries then hold them: the values in
// the format, and the country code the unit reported.
ConfigurationPanelTexts ReadConfigurationTexts(const InverterData &data,
                                               const NumberFormat &format);

// A field as the panel holds it, as text: an entry's text as it stands, the country code in
// digits (empty while no country is chosen), a flag box as the word of its file line.
std::string PanelFieldText(const ConfigurationPanelTexts &panel, int field);

// The word of a flag field's file line for the box ticked or not ("standard", "parallel").
std::string_view ConfigurationWord(int field, bool ticked);

// The write group that sends a field: the limits, the country code and the flags go with the
// Country group.
WriteGroup FieldWriteGroup(int field);

// The fields whose value on the panel differs from the file's, in field order. Numbers are
// compared as numbers (an entry's "47,50" equals 47.5); an entry that holds no number differs.
std::vector<int> CompareConfiguration(const ConfigurationPanelTexts &panel,
                                      const ConfigurationValues &file, const NumberFormat &format);

// One numeric setting (fields 0..RetryTimeField) as the canonical text writes it: rounded to its
// register's unit as the write rounds it, in the shortest "." form ("47.5" for 47.50 or 47.54).
std::string SettingNumberText(int field, double value);
// The number a numeric field's entry holds, read as saving and comparing read it; nothing when
// it holds none.
std::optional<double> SettingEntryNumber(int field, const std::string &text,
                                         const NumberFormat &format);

} // namespace pv
