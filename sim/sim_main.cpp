// inverter-sim: serves the simulated inverter on a new pseudo-terminal and links it as
// <folder>/ports/COMn, where the tool's port list finds it: the tool's writable folder (the
// program folder, or the user's own folder when the program folder is read-only, as in an
// installed tree), or the folder given with --program-dir.

#include "inverter_simulator.h"
#include "link/serial_port.h"
#include "platform/port_names.h"
#include "platform/pseudo_terminal.h"
#include "platform/writable_folder.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Short enough that a reply goes out within a few milliseconds of its due time.
constexpr int PollIntervalMs = 10;

volatile std::sig_atomic_t stopRequested = 0;

extern "C" void RequestStop(int)
{
    stopRequested = 1;
}

struct Options
{
    int port = 1;
    std::optional<fs::path> programDir;
    std::string version = "01000700";
    std::string certificate = "1.02";
    std::vector<pv::SimFault> faults;
    double rate = 1.0;
    std::optional<std::pair<std::int64_t, std::int64_t>> lateMs;
    std::uint64_t seed = 1;
    bool echo = false;
    bool logWrites = false;
    bool logFaults = false;
    bool flood = false;
    // --set REG=VALUE, in the order given.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> registers;
    // --keep REG: registers that acknowledge writes and keep their value.
    std::vector<std::uint16_t> kept;
};

constexpr const char *Usage
    = "usage: inverter-sim [--port COM1] [--program-dir DIR] [--version 01000700]\n"
      "                    [--certificate 1.02] [--fault KIND[,KIND...] --rate R]\n"
      "                    [--late-ms MS[-MS]] [--seed N] [--echo] [--log-writes]\n"
      "                    [--log-faults] [--flood] [--set REG=VALUE ...] [--keep REG ...]\n"
      "--program-dir DIR  link the port as DIR/ports/COMn; by default the tool's writable\n"
      "              folder: the program folder, or ~/.local/share/pv-service when the\n"
      "              program folder is read-only (an installed package)\n"
      "fault kinds: no-reply, wrong-crc, truncated, delayed, exception, noise-before,\n"
      "             noise-instead, or all of them; each kind listed strikes a request with\n"
      "             chance R (0..1, default 1)\n"
      "--late-ms     how late a delayed reply comes: a fixed time, or a range that each\n"
      "              late reply draws from (default 600)\n"
      "--echo        return every received byte at once, ahead of the reply, like a\n"
      "              two-wire RS-485 adapter without echo suppression\n"
      "--log-writes  print one line per accepted write to standard output:\n"
      "              write fn=10 start=C088 values=010E,0104 ms=1234\n"
      "--log-faults  print one line per request a fault struck: fault no-reply ms=1234\n"
      "--flood       answer nothing and send random bytes as fast as the line takes them\n"
      "--set REG=VALUE  start with register REG (hexadecimal, C000..C0FF or CF00..CF0F)\n"
      "              holding VALUE (decimal, or hexadecimal after 0x), e.g. --set C088=270\n"
      "              or --set C081=0x4011 (flags 0x40, country code 17); may be repeated\n"
      "--keep REG    acknowledge every write to register REG (hexadecimal) but keep its\n"
      "              value, like a unit that does not take a setting; may be repeated\n";

std::optional<int> ParsePort(std::string text)
{
    if (text.size() > 3 && text.compare(0, 3, "COM") == 0)
        text.erase(0, 3);
    try {
        std::size_t used = 0;
        const int number = std::stoi(text, &used);
        if (used == text.size() && number >= pv::FirstPortNumber && number <= pv::LastPortNumber)
            return number;
    } catch (const std::exception &) {
    }
    return std::nullopt;
}

// "C088=270" or "C081=0x4011": a register the simulator holds and a 16-bit value.
std::pair<std::uint16_t, std::uint16_t> ParseRegisterSetting(const std::string &text)
{
    const auto equals = text.find('=');
    if (equals == std::string::npos)
        throw std::invalid_argument("expected REG=VALUE");
    const auto number = [](const std::string &digits, int base) {
        std::size_t used = 0;
        const unsigned long value = std::stoul(digits, &used, base);
        if (used != digits.size() || value > 0xFFFF)
            throw std::invalid_argument("not a 16-bit number: " + digits);
        return static_cast<std::uint16_t>(value);
    };
    const std::string valueText = text.substr(equals + 1);
    const bool hex = valueText.rfind("0x", 0) == 0 || valueText.rfind("0X", 0) == 0;
    const std::uint16_t reg = number(text.substr(0, equals), 16);
    if (!pv::InverterSimulator::Holds(reg))
        throw std::invalid_argument("the simulator holds no register " + text.substr(0, equals));
    return {reg, number(hex ? valueText.substr(2) : valueText, hex ? 16 : 10)};
}

// "C085": a register the simulator holds.
std::uint16_t ParseRegister(const std::string &text)
{
    std::size_t used = 0;
    const unsigned long value = std::stoul(text, &used, 16);
    if (used != text.size() || value > 0xFFFF
        || !pv::InverterSimulator::Holds(static_cast<std::uint16_t>(value)))
        throw std::invalid_argument("the simulator holds no register " + text);
    return static_cast<std::uint16_t>(value);
}

// "600" or "400-2600"; throws std::invalid_argument for anything else.
std::pair<std::int64_t, std::int64_t> ParseRange(const std::string &text)
{
    const auto dash = text.find('-');
    const auto number = [](const std::string &digits) {
        std::size_t used = 0;
        const long long value = std::stoll(digits, &used);
        if (used != digits.size() || digits.empty() || digits[0] == '-' || digits[0] == '+')
            throw std::invalid_argument("not a number of milliseconds");
        return static_cast<std::int64_t>(value);
    };
    if (dash == std::string::npos)
        return {number(text), number(text)};
    return {number(text.substr(0, dash)), number(text.substr(dash + 1))};
}

// Returns false after printing why the command line cannot be used.
bool ParseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << Usage;
            std::exit(0);
        }
        if (bool *flag = name == "--echo"         ? &options.echo
                         : name == "--log-writes" ? &options.logWrites
                         : name == "--log-faults" ? &options.logFaults
                         : name == "--flood"      ? &options.flood
                                                  : nullptr) {
            *flag = true;
            continue;
        }
        if (i + 1 >= argc) {
            std::cerr << "inverter-sim: " << name << " needs a value\n" << Usage;
            return false;
        }
        const std::string value = argv[++i];
        try {
            if (name == "--port") {
                const auto port = ParsePort(value);
                if (!port)
                    throw std::invalid_argument("port must be COM1..COM16");
                options.port = *port;
            } else if (name == "--program-dir") {
                options.programDir = value;
            } else if (name == "--version") {
                options.version = value;
            } else if (name == "--certificate") {
                options.certificate = value;
            } else if (name == "--fault") {
                const auto faults = pv::SimFaultsFromList(value);
                if (!faults)
                    throw std::invalid_argument("unknown fault kind");
                options.faults = *faults;
            } else if (name == "--late-ms") {
                options.lateMs = ParseRange(value);
            } else if (name == "--rate") {
                options.rate = std::stod(value);
            } else if (name == "--seed") {
                options.seed = std::stoull(value);
            } else if (name == "--set") {
                options.registers.push_back(ParseRegisterSetting(value));
            } else if (name == "--keep") {
                options.kept.push_back(ParseRegister(value));
            } else {
                std::cerr << "inverter-sim: unknown option " << name << "\n" << Usage;
                return false;
            }
        } catch (const std::exception &e) {
            std::cerr << "inverter-sim: bad value for " << name << " (" << value
                      << "): " << e.what() << "\n";
            return false;
        }
    }
    return true;
}

std::int64_t ElapsedMs(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now()
                                                                 - start)
        .count();
}

// The --flood peer: random bytes as fast as the terminal takes them, until asked to stop. What
// the tool sends is read and counted (a monitor request is eight bytes), so that its writes never
// block and the caller can tell how often it still polled.
void Flood(pv::PseudoTerminal &terminal, std::uint64_t seed)
{
    constexpr std::size_t ChunkBytes = 4096;
    std::uint64_t state = seed | 1;
    pv::Bytes chunk(ChunkBytes);
    std::size_t received = 0;
    while (!stopRequested) {
        for (auto &byte : chunk) {
            state ^= state << 13, state ^= state >> 7, state ^= state << 17;
            byte = static_cast<std::uint8_t>(state >> 24);
        }
        terminal.Write(chunk);
        received += terminal.Read(0).size();
    }
    std::cout << "inverter-sim: received " << received << " bytes while flooding" << std::endl;
}

// Replaces a link left behind by an earlier run; refuses to replace anything else.
bool MakePortLink(const fs::path &link, const std::string &target)
{
    std::error_code ec;
    fs::create_directories(link.parent_path(), ec);
    const auto status = fs::symlink_status(link, ec);
    if (fs::exists(status)) {
        if (!fs::is_symlink(status)) {
            std::cerr << "inverter-sim: " << link.string() << " exists and is not a link\n";
            return false;
        }
        fs::remove(link, ec);
    }
    fs::create_symlink(target, link, ec);
    if (ec) {
        std::cerr << "inverter-sim: cannot create " << link.string() << ": " << ec.message()
                  << "\n";
        return false;
    }
    return true;
}

void RemovePortLink(const fs::path &link, const std::string &target)
{
    std::error_code ec;
    // Another simulator may have taken the name over meanwhile; its link is not ours to remove.
    if (fs::is_symlink(fs::symlink_status(link, ec)) && fs::read_symlink(link, ec) == target)
        fs::remove(link, ec);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options))
        return 2;

    pv::InverterSimulator inverter(options.seed);
    try {
        inverter.SetOperatingVersion(options.version);
        inverter.SetCertificateVersion(options.certificate);
        for (const pv::SimFault fault : options.faults)
            inverter.SetFaultRate(fault, options.rate);
        if (options.lateMs)
            inverter.SetDelayedReplyMs(options.lateMs->first, options.lateMs->second);
        inverter.SetEcho(options.echo);
        for (const auto &[reg, value] : options.registers)
            inverter.SetRegister(reg, value);
        for (const std::uint16_t reg : options.kept)
            inverter.KeepOnWrite(reg);
    } catch (const std::exception &e) {
        std::cerr << "inverter-sim: " << e.what() << "\n";
        return 2;
    }

    auto terminal = pv::PseudoTerminal::Create();
    if (!terminal) {
        std::cerr << "inverter-sim: no pseudo-terminal available\n";
        return 1;
    }
    const fs::path programFolder = pv::ProgramFolder();
    const fs::path programDir = options.programDir.value_or(pv::WritableFolderFor(
        programFolder, pv::FolderIsWritable(programFolder), pv::UserDataFolder()));
    const fs::path link = pv::PortLinkFolder(programDir) / pv::PortName(options.port);
    if (!MakePortLink(link, terminal->SlavePath()))
        return 1;

    // Ctrl+C, kill, and the end of the terminal that started it all remove the link on the way
    // out.
    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);
    std::signal(SIGHUP, RequestStop);

    std::cout << "inverter-sim: " << pv::PortName(options.port) << " -> " << terminal->SlavePath()
              << " (link " << link.string() << ")" << std::endl;

    if (options.flood) {
        Flood(*terminal, options.seed);
        RemovePortLink(link, terminal->SlavePath());
        return 0;
    }

    std::size_t writesLogged = 0;
    std::size_t faultsLogged = 0;
    const auto start = std::chrono::steady_clock::now();
    while (!stopRequested) {
        int timeoutMs = PollIntervalMs;
        if (const auto due = inverter.NextDueMs())
            timeoutMs = static_cast<int>(
                std::clamp<std::int64_t>(*due - ElapsedMs(start), 0, PollIntervalMs));
        const pv::Bytes received = terminal->Read(timeoutMs);
        const std::int64_t now = ElapsedMs(start);
        if (!received.empty())
            inverter.Feed(received, now);
        for (; options.logWrites && writesLogged < inverter.Writes().size(); ++writesLogged)
            std::cout << pv::FormatWriteRecord(inverter.Writes()[writesLogged]) << std::endl;
        for (; options.logFaults && faultsLogged < inverter.FaultsStruck().size(); ++faultsLogged)
            std::cout << "fault " << pv::SimFaultName(inverter.FaultsStruck()[faultsLogged])
                      << " ms=" << now << std::endl;
        const pv::Bytes reply = inverter.TakeOutput(now);
        if (!reply.empty())
            terminal->Write(reply);
    }

    RemovePortLink(link, terminal->SlavePath());
    return 0;
}
