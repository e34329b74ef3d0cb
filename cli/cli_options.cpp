#include "cli_options.h"

#include "language/language_choice.h"
#include "link/serial_port.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

namespace pv::cli {

namespace {

struct CommandRow
{
    Command command;
    std::string_view name;
};
constexpr CommandRow Commands[] = {
    {Command::Ports, "ports"},
    {Command::Identify, "identify"},
    {Command::ReadConfig, "read-config"},
    {Command::ReadCalibration, "read-calibration"},
    {Command::WriteConfig, "write-config"},
    {Command::Monitor, "monitor"},
};

// An option that only some commands take.
struct OwnOption
{
    std::string_view name;
    Command command;
};
constexpr OwnOption OwnOptions[] = {
    {"--save", Command::ReadConfig},
    {"--groups", Command::WriteConfig},
    {"--yes", Command::WriteConfig},
    {"--duration", Command::Monitor},
    {"--format", Command::Monitor},
    {"--mqtt", Command::Monitor},
    {"--mqtt-password-file", Command::Monitor},
    {"--mqtt-ca-file", Command::Monitor},
    {"--topic-prefix", Command::Monitor},
    {"--discovery-prefix", Command::Monitor},
};

constexpr std::string_view ValueOptions[]
    = {"--port",         "--language",           "--save",
       "--groups",       "--duration",           "--format",
       "--mqtt",         "--mqtt-password-file", "--mqtt-ca-file",
       "--topic-prefix", "--discovery-prefix"};

std::optional<int> WholeNumber(std::string_view text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

// "COM3", "com3" or "3".
std::optional<int> PortNumber(std::string_view text)
{
    if (text.size() > 3 && std::equal(text.begin(), text.begin() + 3, "COM", [](char a, char b) {
            return (a & ~0x20) == b;
        }))
        text.remove_prefix(3);
    const auto number = WholeNumber(text);
    if (!number || *number < FirstPortNumber || *number > LastPortNumber)
        return std::nullopt;
    return number;
}

std::optional<WriteGroups> Groups(std::string_view text)
{
    WriteGroups groups{};
    bool any = false;
    while (true) {
        const auto comma = text.find(',');
        const std::string_view word = text.substr(0, comma);
        const auto found = std::find(std::begin(GroupWords), std::end(GroupWords), word);
        if (found == std::end(GroupWords))
            return std::nullopt;
        groups[static_cast<std::size_t>(found - std::begin(GroupWords))] = true;
        any = true;
        if (comma == std::string_view::npos)
            break;
        text.remove_prefix(comma + 1);
    }
    return any ? std::optional(groups) : std::nullopt;
}

std::optional<double> Seconds(std::string_view text)
{
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size()
        || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

std::optional<RowFormat> Format(std::string_view text)
{
    if (text == "text")
        return RowFormat::Text;
    if (text == "csv")
        return RowFormat::Csv;
    if (text == "jsonl")
        return RowFormat::Jsonl;
    return std::nullopt;
}

// Takes one option and its value into options; the reason when they cannot be used.
std::string TakeOption(std::string_view name, std::string_view value, Options &options,
                       bool &formatGiven)
{
    if (name == "--port") {
        const auto port = PortNumber(value);
        if (!port)
            return "--port takes COM1..COM16";
        options.port = *port;
    } else if (name == "--language") {
        const auto language = WholeNumber(value);
        if (!language || !IsPickerLanguage(*language))
            return "--language takes 1..8, 11 or 12";
        options.language = *language;
    } else if (name == "--save") {
        options.save = std::filesystem::path(std::string(value));
    } else if (name == "--groups") {
        const auto groups = Groups(value);
        if (!groups)
            return "--groups takes a comma-separated list of sleep, kw, country, retry";
        options.groups = *groups;
    } else if (name == "--duration") {
        const auto seconds = Seconds(value);
        if (!seconds)
            return "--duration takes a number of seconds above 0";
        options.durationSeconds = *seconds;
    } else if (name == "--format") {
        const auto format = Format(value);
        if (!format)
            return "--format takes text, csv or jsonl";
        options.format = *format;
        formatGiven = true;
    } else if (name == "--mqtt") {
        options.mqttUrl = std::string(value);
    } else if (name == "--mqtt-password-file") {
        options.mqttPasswordFile = std::filesystem::path(std::string(value));
    } else if (name == "--mqtt-ca-file") {
        options.mqttCaFile = std::filesystem::path(std::string(value));
    } else if (name == "--topic-prefix") {
        options.topicPrefix = std::string(value);
    } else if (name == "--discovery-prefix") {
        options.discoveryPrefix = std::string(value);
    }
    return {};
}

} // namespace

std::string_view CommandName(Command command)
{
    for (const CommandRow &row : Commands) {
        if (row.command == command)
            return row.name;
    }
    return {};
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string> &args)
{
    ParsedCommandLine parsed;
    parsed.json = std::find(args.begin(), args.end(), "--json") != args.end();
    if (std::find_if(args.begin(), args.end(),
                     [](const std::string &arg) { return arg == "--help" || arg == "-h"; })
        != args.end()) {
        parsed.help = true;
        return parsed;
    }
    const auto refuse = [&parsed](std::string reason) {
        parsed.error = std::move(reason);
        return parsed;
    };
    Options options;
    std::optional<Command> command;
    std::vector<std::string_view> operands;
    std::vector<std::string_view> given;
    bool formatGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "--json" || arg == "--no-record" || arg == "--yes") {
            options.json = options.json || arg == "--json";
            options.record = options.record && arg != "--no-record";
            options.confirmed = options.confirmed || arg == "--yes";
            given.push_back(arg);
        } else if (std::find(std::begin(ValueOptions), std::end(ValueOptions), arg)
                   != std::end(ValueOptions)) {
            if (i + 1 >= args.size())
                return refuse(std::string(arg) + " needs a value");
            if (std::string reason = TakeOption(arg, args[++i], options, formatGiven);
                !reason.empty())
                return refuse(reason);
            given.push_back(arg);
        } else if (arg.starts_with("-")) {
            return refuse("unknown option " + std::string(arg));
        } else if (!command) {
            const auto row = std::find_if(std::begin(Commands), std::end(Commands),
                                          [&](const CommandRow &r) { return r.name == arg; });
            if (row == std::end(Commands))
                return refuse("unknown command " + std::string(arg));
            command = row->command;
        } else {
            operands.push_back(arg);
        }
    }
    if (!command)
        return refuse("a command is needed");
    options.command = *command;
    for (std::string_view name : given) {
        for (const OwnOption &own : OwnOptions) {
            if (own.name == name && own.command != options.command)
                return refuse(std::string(name) + " belongs to "
                              + std::string(CommandName(own.command)));
        }
    }
    if (options.command != Command::Ports && options.port == 0)
        return refuse(std::string(CommandName(options.command)) + " needs --port COMn");
    if (options.json && formatGiven)
        return refuse("--format and --json exclude each other");
    const std::size_t operandsTaken = options.command == Command::WriteConfig ? 1 : 0;
    if (operands.size() != operandsTaken)
        return refuse(operandsTaken == 1 ? "write-config needs one FILE"
                                         : "unexpected " + std::string(operands.front()));
    if (operandsTaken == 1)
        options.file = std::filesystem::path(std::string(operands.front()));
    parsed.options = options;
    return parsed;
}

std::string HelpText()
{
    return R"(usage: pv-service-cli COMMAND [OPTIONS]

The service work of pv-service without a window, for scripts, batch commissioning and a
headless logger: the same service session, timers and frames as the window.

Commands:
  ports
      COM1..COM16: the device each port stands for on this machine, and whether it exists.
  identify --port COMn
      The identifiers (ID, energy counter, model and company name, rated power) and the
      firmware versions; the operating firmware is rated as the window rates it.
  read-config --port COMn [--save FILE]
      The grid-protection configuration; --save writes it as a configuration file, in the
      window's format and with its header.
  read-calibration --port COMn
      The calibration bytes, as the calibration window's Read shows them.
  write-config --port COMn FILE [--groups sleep,kw,country,retry] [--yes]
      Writes the groups of a configuration file (all four when --groups is left out). The file
      is checked as the window's Load checks it and the entries as its Write does, before
      anything is sent; then the unit's values are read and those the write changes shown, a
      "y" on standard input confirms (--yes: no question), the groups are written and read
      back, and what is read back must equal what was written.
  monitor --port COMn [--duration SECONDS] [--format text|csv|jsonl]
      The readings, one line for each accepted reading (every monitor cycle, 2.1 s), until the
      duration ends or SIGINT or SIGTERM ends it; the port is closed on the way out. csv is
      the window's recording (header and rows), jsonl one JSON object per line.
      With --mqtt URL the identifiers are read first (the unit's ID names its topics) and
      every accepted reading is published to that MQTT broker as well, with Home Assistant's
      discovery (see README "Publishing to MQTT"); nothing received makes the tool write:
        --mqtt mqtt://[user@]host[:1883] | mqtts://[user@]host[:8883]
        --mqtt-password-file FILE   its first line is the password (never on the command line)
        --mqtt-ca-file FILE         the certificate authority of an mqtts:// broker
        --topic-prefix P            the unit's topics (default pv-service/<ID>)
        --discovery-prefix P        Home Assistant's discovery prefix (default homeassistant)

Options of every command:
  --port COMn      the port: COM1..COM16 (or 1..16)
  --language N     the language of the messages: 1 English, 2 Traditional Chinese, 3 French,
                   4 Spanish, 5 Portuguese, 6 German, 7 Italian, 8 Dutch, 11 Simplified
                   Chinese, 12 Korean; by default the one the window was last set to
  --json           one JSON document on standard output, a failure included (its exit code,
                   message number and text); not with --format
  --no-record      leave the exchanges out of the service record
  --help           this text

Messages go to standard error, results to standard output.

Exit codes:
  0  done
  1  not done for another reason: the write was not confirmed, a file could not be written,
     the program's own files cannot be read, or a signal ended the command before it was done
  2  usage error, or a FILE that cannot be read (MQTT settings refused included)
  3  the port cannot be opened
  4  no valid answer: no reply, a bad CRC, a refused or short reply (monitor: not one
     reading in the whole run)
  5  the firmware version is refused (message 151)
  6  a check refused a value of the file or the unit; nothing was sent
  7  the write was not acknowledged
  8  the values read back differ from those written
)";
}

} // namespace pv::cli
