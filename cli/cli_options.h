#pragma once
// The command line of pv-service-cli: its commands, their options, and the exit codes a script
// can tell the outcomes apart by.

#include "settings/configuration.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv::cli {

// What ended the command; the values are the program's exit codes, which scripts rely on.
enum class ExitCode {
    Done = 0,
    NotDone = 1,         // the write not confirmed, a file not written, the program's own files
                         // unreadable, or ended from outside before done
    Usage = 2,           // the command line cannot be used (a FILE that cannot be read included)
    NoPort = 3,          // the port cannot be opened
    NoAnswer = 4,        // no valid answer: no reply, a bad CRC, refused or short
    FirmwareRefused = 5, // the firmware version is one the tool must not write to
    EntryRefused = 6,    // a check refused a value; nothing was sent
    WriteNotAcknowledged = 7,
    ReadBackDiffers = 8, // the unit holds other values than those written
};

enum class Command { Ports, Identify, ReadConfig, ReadCalibration, WriteConfig, Monitor };
std::string_view CommandName(Command command); // "read-config"

// How the monitor writes its readings.
enum class RowFormat { Text, Csv, Jsonl };

struct Options
{
    Command command = Command::Ports;
    int port = 0; // 1..16; every command but ports needs one
    std::optional<int> language;
    bool json = false;
    bool record = true;
    std::optional<std::filesystem::path> save; // read-config
    std::filesystem::path file;                // write-config
    WriteGroups groups{true, true, true, true};
    bool confirmed = false; // write-config --yes
    std::optional<double> durationSeconds;
    RowFormat format = RowFormat::Text;
    // monitor --mqtt URL and its companions: the readings published to that broker.
    std::optional<std::string> mqttUrl;
    std::filesystem::path mqttPasswordFile;
    std::filesystem::path mqttCaFile;
    std::string topicPrefix;
    std::string discoveryPrefix;
};

// The words --groups takes, by write group (Check1 order): sleep, kw, country, retry.
inline constexpr std::string_view GroupWords[] = {"sleep", "kw", "country", "retry"};

struct ParsedCommandLine
{
    std::optional<Options> options; // nothing for --help or a usage error
    bool help = false;
    std::string error; // why the command line cannot be used (English, as the usage text)
    // --json was asked for, so that even a usage error is reported as JSON.
    bool json = false;
};

// The arguments after the program's name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string> &args);

// --help: the commands, the options and the exit codes.
std::string HelpText();

} // namespace pv::cli
