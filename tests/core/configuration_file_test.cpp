// Configuration files without a window: the file a panel becomes, the files that are refused
// and where, the fingerprint, the limits' ranges, and the example files against the presets
// they come from.

#include "settings/configuration_fields.h"
#include "settings/configuration_file.h"
#include "settings/country_presets.h"

#include "configuration_unit.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <tuple>

namespace pv {
namespace {

using namespace pv::test;

const char UnitFile[]
    = "# PV inverter configuration (UTF-8, one \"key = value\" per line, \".\" "
      "as the decimal point)\n"
      "# saved 2025-03-04 05:06:07\n"
      "# read from inverter ID 7, model \"PV?3600\", operating firmware V1000700\n"
      "vmax_l2_v = 264\nvmax_l1_v = 253\nvmin_l1_v = 195\nvmin_l2_v = 184\n"
      "vmax_l2_disconnect_ms = 200\nvmax_l1_disconnect_ms = 2000\n"
      "vmin_l1_disconnect_ms = 2000\nvmin_l2_disconnect_ms = 200\n"
      "fmax_50hz_grid_hz = 50.2\nfmin_50hz_grid_hz = 47.5\n"
      "fmax_60hz_grid_hz = 60.5\nfmin_60hz_grid_hz = 59.5\n"
      "fmax_disconnect_ms = 200\nfmin_disconnect_ms = 65535\n"
      "sleep_power_percent = 5\nrated_power_kw = 3.6\nretry_time_s = 600\n"
      "country_code = 255\ndc_input = parallel\ncommunication = mbus\n"
      "flag_bit_5 = 0\nflag_bit_4 = 0\nflag_bit_3 = 0\nflag_bit_2 = 1\n"
      "flag_bit_1 = 0\nflag_bit_0 = 1\n";

// SHA-256 of UnitFile's lines below its header, as sha256sum gives it. UnitFile itself is a file
// saved before the header carried the fingerprint.
const std::string UnitFingerprintLine
    = "# fingerprint sha256:7c417803bbc8010ec47b26858bf08794524a02ce620c50f2e1ab81f0a538b738";

TEST(ConfigurationFile, IsWrittenWithPointDecimalsAndTheInverterAndFingerprintInItsHeader)
{
    // A line break in a model name read from the unit must not start a line of its own.
    const ConfigurationFileHeader header{"2025-03-04 05:06:07",
                                         InverterIdentity{"7", "PV\n3600", "V1000700"}};
    std::string saved = UnitFile;
    saved.insert(saved.find("vmax_l2_v = 264"), UnitFingerprintLine + "\n");
    EXPECT_EQ(FormatConfigurationFile(Unit(), header), saved);
    const std::string unread = FormatConfigurationFile(Unit(), {"2025-03-04 05:06:07", {}});
    EXPECT_EQ(unread.find("# read from"), std::string::npos);
}

// The header names the unit of the read while the panel holds what that read showed, and says
// the values were changed after it otherwise; without a read it names no unit.
struct HeaderRow
{
    const char *name;
    bool read;
    std::function<void(ConfigurationPanelTexts &)> change;
    const char *line; // the header's third line; nullptr: none, the fingerprint comes third
};
const HeaderRow HeaderRows[] = {
    {"NothingRead", false, [](ConfigurationPanelTexts &) {}, nullptr},
    {"AsRead", true, [](ConfigurationPanelTexts &) {},
     "# read from inverter ID 40000, model \"PV\", operating firmware V1000700"},
    {"EntryEdited", true, [](ConfigurationPanelTexts &p) { p.limits[3] = "185"; },
     "# edited after reading from inverter ID 40000, model \"PV\", operating firmware V1000700"},
    {"CountryChosen", true, [](ConfigurationPanelTexts &p) { p.countryCode = 6; },
     "# edited after reading from inverter ID 40000, model \"PV\", operating firmware V1000700"},
    {"FlagTicked", true, [](ConfigurationPanelTexts &p) { p.flags[7] = false; },
     "# edited after reading from inverter ID 40000, model \"PV\", operating firmware V1000700"},
};

class ConfigurationFileHeaders : public ::testing::TestWithParam<HeaderRow>
{
};

TEST_P(ConfigurationFileHeaders, NameTheUnitOnlyForWhatItsReadShowed)
{
    const HeaderRow &row = GetParam();
    const ConfigurationPanelTexts shown = ConfigurationEntryTexts(Unit(), CommaDecimal);
    std::optional<ConfigurationRead> read;
    if (row.read)
        read = ConfigurationRead{{"40000", "PV", "V1000700"}, shown};
    ConfigurationPanelTexts panel = shown;
    row.change(panel);
    const std::string file
        = FormatConfigurationFile(Unit(), ConfigurationHeaderFor("now", read, panel));
    std::istringstream lines(file);
    std::string line;
    for (int i = 0; i < 3; ++i)
        std::getline(lines, line);
    EXPECT_EQ(line, row.line != nullptr ? row.line : UnitFingerprintLine);
}

INSTANTIATE_TEST_SUITE_P(ConfigurationFile, ConfigurationFileHeaders,
                         ::testing::ValuesIn(HeaderRows),
                         [](const auto &info) { return std::string(info.param.name); });

class ConfigurationFileFormats : public ::testing::TestWithParam<NumberFormat>
{
};

TEST_P(ConfigurationFileFormats, PanelToFileToPanelKeepsEveryValue)
{
    const NumberFormat format = GetParam();
    const ConfigurationPanelTexts shown = ConfigurationEntryTexts(Unit(), format);
    const char separator = format.decimalSeparator;
    EXPECT_EQ(shown.ratedPower, std::string("3") + separator + "6");
    EXPECT_EQ(shown.limits[8], std::string("50") + separator + "2");
    const PanelReading panel = ReadConfigurationPanel(shown, format);
    ASSERT_TRUE(panel.values) << static_cast<int>(panel.problem.fault);
    const ConfigurationFileReading file = ParseConfigurationFile(
        FormatConfigurationFile(*panel.values, {"now", {}}), ListCodes, format);
    ASSERT_TRUE(file.values) << file.problem.line;
    EXPECT_EQ(*file.values, Unit());
    EXPECT_EQ(file.lines[CountryCodeField], 21); // three header lines, then the keys in order
    ConfigurationValues whole = Unit();
    whole.ratedPower = 4;
    EXPECT_EQ(ConfigurationEntryTexts(whole, format).ratedPower, std::string("4") + separator + "0")
        << "one decimal, as a read shows it";
}

INSTANTIATE_TEST_SUITE_P(Formats, ConfigurationFileFormats,
                         ::testing::Values(PointDecimal, CommaDecimal), [](const auto &info) {
                             return info.param.decimalSeparator == '.' ? "Point" : "Comma";
                         });

// A line of UnitFile replaced (or the text appended) and what the refusal names.
struct FileCase
{
    const char *name;
    std::string file;
    ConfigurationFault fault;
    int line;
    std::string key{}, value{}, first{}, second{};
};

std::string Replaced(const std::string &line, const std::string &with)
{
    std::string file = UnitFile;
    const auto at = file.find(line);
    return file.replace(at, line.size(), with);
}

class RefusedFile : public ::testing::TestWithParam<FileCase>
{
};

TEST_P(RefusedFile, NamesItsLineAndWhatIsWrong)
{
    const FileCase &c = GetParam();
    const ConfigurationFileReading reading
        = ParseConfigurationFile(c.file, ListCodes, CommaDecimal);
    EXPECT_FALSE(reading.values);
    const ConfigurationProblem &p = reading.problem;
    EXPECT_EQ(p.fault, c.fault);
    EXPECT_EQ(p.line, c.line);
    EXPECT_EQ(p.key + "|" + p.value + "|" + p.first + "|" + p.second,
              c.key + "|" + c.value + "|" + c.first + "|" + c.second);
}

using F = ConfigurationFault;
const FileCase FileCases[] = {
    {"UnknownKey", Replaced("vmin_l2_v = 184", "vmin_l3_v = 184"), F::UnknownKey, 7, "vmin_l3_v"},
    {"RepeatedKey", std::string(UnitFile) + "vmax_l2_v = 264\n", F::RepeatedKey, 30, "vmax_l2_v"},
    {"MissingKeyNamedAfterTheLastLine", Replaced("retry_time_s = 600\n", ""), F::MissingKey, 29,
     "retry_time_s"},
    {"NotKeyValue", Replaced("# saved", "saved"), F::NotKeyValue, 2, "",
     "saved 2025-03-04 05:06:07"},
    {"CommaIsNoDecimalPointInAFile", Replaced("= 47.5", "= 47,5"), F::NotNumber, 13,
     "fmin_50hz_grid_hz", "47,5"},
    {"NoExponent", Replaced("= 50.2", "= 5.02e1"), F::NotNumber, 12, "fmax_50hz_grid_hz", "5.02e1"},
    {"VoltageWithDecimals", Replaced("= 195", "= 195.5"), F::FinerThanUnit, 6, "vmin_l1_v", "195.5",
     "1"},
    {"ZeroDisconnectTime", Replaced("fmax_disconnect_ms = 200", "fmax_disconnect_ms = 0"),
     F::OutOfRangeAboveLow, 16, "fmax_disconnect_ms", "0", "0", "65535"},
    {"SleepPowerAbove20", Replaced("= 5\n", "= 21\n"), F::OutOfRange, 18, "sleep_power_percent",
     "21", "0", "20"},
    {"RetryTimeZero", Replaced("= 600", "= 0"), F::OutOfRange, 20, "retry_time_s", "0", "1", "600"},
    {"RatedPowerPastItsWord", Replaced("= 3.6\n", "= 6553.6\n"), F::OutOfRange, 19,
     "rated_power_kw", "6553.6", "0", "6553,5"},
    // A value finer than its register's unit would go out as one the file never named.
    {"RatedPowerFinerThanItsTenths", Replaced("= 3.6\n", "= 4.65\n"), F::FinerThanUnit, 19,
     "rated_power_kw", "4.65", "0,1"},
    {"FrequencyFinerThanItsTenths", Replaced("= 50.2", "= 51.25"), F::FinerThanUnit, 12,
     "fmax_50hz_grid_hz", "51.25", "0,1"},
    {"FlagNotABit", Replaced("flag_bit_0 = 1", "flag_bit_0 = 2"), F::NotChoice, 29, "flag_bit_0",
     "2", "0, 1"},
    {"CountryWithoutAListPosition", Replaced("= 255", "= 9"), F::NotChoice, 21, "country_code", "9",
     "6, 17, 5, 255"},
    {"BinaryByte", Replaced("vmax_l1_v", std::string("vmax\0l1_v", 9)), F::NotText, 5},
    {"NotUtf8", Replaced("# saved", "# saved \xE9t\xE9"), F::NotText, 2},
    {"OnlyBlankLines", "\r\n  \n\t", F::EmptyFile, 1},
    {"TenMegabytesOnNoLine", std::string(10 << 20, '\n'), F::TooLarge, 0, "", "", "64"},
    {"KeyClippedInTheMessage", std::string(UnitFile) + std::string(100, 'k') + " = 1\n",
     F::UnknownKey, 30, std::string(40, 'k') + "\u2026"},
};

INSTANTIATE_TEST_SUITE_P(ConfigurationFile, RefusedFile, ::testing::ValuesIn(FileCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ConfigurationFile, TakesAByteOrderMarkCrLfCommentsAndBlanks)
{
    std::string file = UnitFile;
    for (auto at = file.find('\n'); at != std::string::npos; at = file.find('\n', at + 2))
        file.replace(at, 1, "\r\n");
    file = "\xEF\xBB\xBF\r\n  # note\r\n" + Replaced("vmax_l2_v = 264", "\tvmax_l2_v=264  ");
    const auto reading = ParseConfigurationFile(file, ListCodes, PointDecimal);
    ASSERT_TRUE(reading.values) << reading.problem.line;
    EXPECT_EQ(*reading.values, Unit());
}

// The unit's file with one field's value written as text.
std::string FileWith(int field, const std::string &text)
{
    std::string file = FormatConfigurationFile(Unit(), {"now", {}});
    const std::string key = std::string(ConfigurationKey(field)) + " = ";
    const auto at = file.find("\n" + key) + 1;
    return file.replace(at, file.find('\n', at) - at, key + text);
}

// The same settings give the same fingerprint however their numbers were written, in a file
// with or without the fingerprint line or on a panel in either format.
struct SameSettingsRow
{
    const char *name;
    std::function<std::optional<ConfigurationValues>()> values;
};

std::optional<ConfigurationValues> FileValues(const std::string &file)
{
    return ParseConfigurationFile(file, ListCodes, CommaDecimal).values;
}

std::optional<ConfigurationValues> PanelValues(const NumberFormat &format, int limit,
                                               const std::string &text)
{
    ConfigurationPanelTexts panel = ConfigurationEntryTexts(Unit(), format);
    panel.limits[static_cast<std::size_t>(limit)] = text;
    return ReadConfigurationPanel(panel, format).values;
}

const SameSettingsRow SameSettingsRows[] = {
    {"SavedFile",
     [] {
         return FileValues(FormatConfigurationFile(Unit(), {"now", {}}));
     }},
    {"FileWithoutFingerprintLine", [] { return FileValues(UnitFile); }},
    {"FileWithTrailingZeros", [] { return FileValues(FileWith(9, "47.50")); }},
    {"CommaPanelWithTrailingZeros", [] { return PanelValues(CommaDecimal, 9, "47,50"); }},
    {"PointPanel", [] { return PanelValues(PointDecimal, 8, "50.20"); }},
    {"ValueOffItsUnitIsRounded",
     [] {
         ConfigurationValues values = Unit();
         values.limits[9] = 47.51f;
         values.limits[0] = 263.9f;
         return std::optional(values);
     }},
};

class SameSettings : public ::testing::TestWithParam<SameSettingsRow>
{
};

TEST_P(SameSettings, GiveTheSavedFilesFingerprint)
{
    const auto values = GetParam().values();
    ASSERT_TRUE(values);
    EXPECT_EQ("# fingerprint sha256:" + ConfigurationFingerprint(*values), UnitFingerprintLine);
}

INSTANTIATE_TEST_SUITE_P(ConfigurationFingerprint, SameSettings,
                         ::testing::ValuesIn(SameSettingsRows),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ConfigurationFingerprint, ChangesWithEverySetting)
{
    const std::string unit = ConfigurationFingerprint(Unit());
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        SCOPED_TRACE(ConfigurationKey(field));
        ConfigurationValues changed = Unit();
        if (field >= FirstFlagField) {
            auto &flag = changed.flags[static_cast<std::size_t>(field - FirstFlagField)];
            flag = !flag;
        } else if (field == CountryCodeField) {
            changed.countryCode = 6;
        } else {
            // One step of its register's unit down.
            configfield::NumberOf(changed, field)
                -= 1.0f / static_cast<float>(configfield::DeclarationOf(field).scale);
        }
        EXPECT_NE(ConfigurationFingerprint(changed), unit);
    }
}

// The range of a file's limit is the write check's: a value loads exactly when the check of the
// limits grid sends it as it stands (the 50 Hz limits, which the check replaces by a default
// rather than refuse, load only within the range it sends unchanged).
TEST(ConfigurationFile, LimitsLoadExactlyWhenTheWriteCheckSendsThem)
{
    const GridLimitTexts valid = ConfigurationEntryTexts(Unit(), PointDecimal).limits;
    for (int entry = 0; entry < GridLimitEntryCount; ++entry) {
        const RegisterDeclaration &limit = decl::GridLimits[static_cast<std::size_t>(entry)];
        const auto low = static_cast<float>(LowValue(limit));
        const auto high = static_cast<float>(HighValue(limit));
        const float step = 1.0f / static_cast<float>(limit.scale);
        for (const float value : {low, high, low - step, high + step, low + step}) {
            const std::string text = GeneralNumberText(value, PointDecimal);
            SCOPED_TRACE(std::string(ConfigurationKey(entry)) + " = " + text);
            GridLimitTexts limits = valid;
            limits[static_cast<std::size_t>(entry)] = text;
            const GridLimitCheck check = CheckGridLimitEntries(limits, PointDecimal);
            const float entered = ParseDecimal(text);
            const bool defaulted = (entry == 8 && check.EnteredFmax50 != entered)
                                   || (entry == 9 && check.EnteredFmin50 != entered);
            const auto reading
                = ParseConfigurationFile(FileWith(entry, text), ListCodes, PointDecimal);
            EXPECT_EQ(reading.values.has_value(), !check.refusal && !defaulted);
        }
    }
}

// The shipped examples hold their preset's record: Germany record 1, Australia 2, the United
// Kingdom 0 of CountryParameter.txt.
TEST(ConfigurationFile, ExamplesHoldTheirPresetRecords)
{
    const auto read = [](const std::string &name) {
        std::ifstream in(std::string(PV_DEFAULTS_DIR) + "/" + name, std::ios::binary);
        return std::string{std::istreambuf_iterator<char>(in), {}};
    };
    std::istringstream presets(read("CountryParameter.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(presets, line);)
        lines.push_back(line.substr(0, line.find('\r')));
    ASSERT_EQ(lines.size(), 5u);
    const std::tuple<const char *, std::uint8_t, int> examples[]
        = {{"germany", 6, 1}, {"australia", 17, 2}, {"united-kingdom", 5, 0}};
    for (const auto &[name, code, record] : examples) {
        SCOPED_TRACE(name);
        const std::string text = read(std::string("profiles/example-") + name + ".pvcfg");
        EXPECT_NE(text.find("Check every value against the local grid code"), std::string::npos);
        const auto reading = ParseConfigurationFile(text, ListCodes, CommaDecimal);
        ASSERT_TRUE(reading.values) << reading.problem.line;
        PresetValues preset{};
        ParsePresetRecord(lines[static_cast<std::size_t>(2 + record)], preset);
        EXPECT_TRUE(std::equal(preset.begin(), preset.begin() + GridLimitEntryCount,
                               reading.values->limits.begin()));
        EXPECT_EQ(reading.values->retryTime, preset[RetryTimeSlot]);
        EXPECT_EQ(reading.values->countryCode, code);
    }
}

} // namespace
} // namespace pv
