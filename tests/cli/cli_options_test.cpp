// The command line of pv-service-cli: what each command takes, and what it refuses before
// anything is opened.

#include "cli/cli_options.h"

#include <gtest/gtest.h>

#include <charconv>

#include <string>
#include <vector>

namespace pv::cli {
namespace {

// Without the C library's locale, which the comma run changes.
std::string Plain(double value)
{
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

// The parsed options as one line, or "error" / "help".
std::string Described(const ParsedCommandLine &parsed)
{
    if (parsed.help)
        return "help";
    if (!parsed.options)
        return "error";
    const Options &o = *parsed.options;
    std::string groups;
    for (bool group : o.groups)
        groups += group ? '1' : '0';
    const char *formats[] = {"text", "csv", "jsonl"};
    return std::string(CommandName(o.command)) + " port=" + std::to_string(o.port)
           + " groups=" + groups + (o.confirmed ? " yes" : "") + (o.json ? " json" : "")
           + (o.record ? "" : " no-record")
           + (o.language ? " language=" + std::to_string(*o.language) : "")
           + (o.durationSeconds ? " duration=" + Plain(*o.durationSeconds) : "")
           + " format=" + formats[static_cast<int>(o.format)] + " file=" + o.file.string()
           + (o.save ? " save=" + o.save->string() : "");
}

struct LineCase
{
    const char *name;
    std::vector<std::string> args;
    std::string parsed;
};
using CommandLine = ::testing::TestWithParam<LineCase>;

TEST_P(CommandLine, IsParsedOrRefused)
{
    const ParsedCommandLine parsed = ParseCommandLine(GetParam().args);
    EXPECT_EQ(Described(parsed), GetParam().parsed) << parsed.error;
    EXPECT_EQ(parsed.error.empty(), GetParam().parsed != "error");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLine,
    ::testing::Values(
        LineCase{"PortsNeedsNoPort",
                 {"ports", "--json"},
                 "ports port=0 groups=1111 json format=text file="},
        LineCase{"IdentifyWithLanguage",
                 {"identify", "--port", "com3", "--language", "6", "--no-record"},
                 "identify port=3 groups=1111 no-record language=6 format=text file="},
        LineCase{"ReadConfigSaves",
                 {"read-config", "--port", "COM16", "--save", "a.pvcfg"},
                 "read-config port=16 groups=1111 format=text file= save=a.pvcfg"},
        LineCase{"WriteConfigGroupsAndYes",
                 {"write-config", "--port", "1", "unit.pvcfg", "--groups", "sleep,retry", "--yes"},
                 "write-config port=1 groups=1001 yes format=text file=unit.pvcfg"},
        LineCase{"MonitorDurationAndFormat",
                 {"monitor", "--port", "COM2", "--duration", "2.5", "--format", "csv"},
                 "monitor port=2 groups=1111 duration=2.5 format=csv file="},
        LineCase{"HelpWinsOverAnything", {"identify", "--port", "COM99", "--help"}, "help"},
        LineCase{"NoCommand", {"--port", "COM1"}, "error"},
        LineCase{"UnknownCommand", {"erase", "--port", "COM1"}, "error"},
        LineCase{"PortMissing", {"identify"}, "error"},
        LineCase{"PortBeyondSixteen", {"identify", "--port", "COM17"}, "error"},
        LineCase{"PortValueMissing", {"identify", "--port"}, "error"},
        LineCase{"LanguageThePickerNeverOffers",
                 {"identify", "--port", "COM1", "--language", "9"},
                 "error"},
        LineCase{"OptionOfAnotherCommand", {"identify", "--port", "COM1", "--yes"}, "error"},
        LineCase{"UnknownGroup",
                 {"write-config", "--port", "COM1", "f", "--groups", "sleep,volts"},
                 "error"},
        LineCase{"WriteConfigWithoutFile", {"write-config", "--port", "COM1"}, "error"},
        LineCase{"OperandOfAReadingCommand", {"identify", "--port", "COM1", "f"}, "error"},
        LineCase{"DurationNotAbove0", {"monitor", "--port", "COM1", "--duration", "0"}, "error"},
        LineCase{
            "JsonWithFormat", {"monitor", "--port", "COM1", "--json", "--format", "csv"}, "error"}),
    [](const auto &info) { return std::string(info.param.name); });

// A usage error under --json is reported as JSON too.
TEST(CommandLineJson, AskedForEvenWhenTheLineIsRefused)
{
    EXPECT_TRUE(ParseCommandLine({"erase", "--json"}).json);
    EXPECT_FALSE(ParseCommandLine({"erase"}).json);
}

} // namespace
} // namespace pv::cli
