// inverter-sim: serves the simulated inverter on a new pseudo-terminal and links it as
// <program folder>/ports/COMn, where the tool's port list finds it.

#include "inverter_simulator.h"
#include "link/serial_port.h"
#include "platform/port_names.h"
#include "platform/pseudo_terminal.h"

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
    pv::SimFault fault = pv::SimFault::None;
    double rate = 1.0;
    std::uint64_t seed = 1;
};

constexpr const char *Usage
    = "usage: inverter-sim [--port COM1] [--program-dir DIR] [--version 01000700]\n"
      "                    [--certificate 1.02] [--fault KIND --rate R] [--seed N]\n"
      "fault kinds: no-reply, wrong-crc, truncated, delayed, exception, noise-before,\n"
      "             noise-instead (rate 0..1, default 1)\n";

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

// Returns false after printing why the command line cannot be used.
bool ParseOptions(int argc, char **argv, Options &options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            std::cout << Usage;
            std::exit(0);
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
                const auto fault = pv::SimFaultFromName(value);
                if (!fault)
                    throw std::invalid_argument("unknown fault kind");
                options.fault = *fault;
            } else if (name == "--rate") {
                options.rate = std::stod(value);
            } else if (name == "--seed") {
                options.seed = std::stoull(value);
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
        inverter.SetFaultRate(options.fault, options.rate);
    } catch (const std::exception &e) {
        std::cerr << "inverter-sim: " << e.what() << "\n";
        return 2;
    }

    auto terminal = pv::PseudoTerminal::Create();
    if (!terminal) {
        std::cerr << "inverter-sim: no pseudo-terminal available\n";
        return 1;
    }
    const fs::path programDir = options.programDir.value_or(pv::ProgramFolder());
    const fs::path link = pv::PortLinkFolder(programDir) / pv::PortName(options.port);
    if (!MakePortLink(link, terminal->SlavePath()))
        return 1;

    std::signal(SIGINT, RequestStop);
    std::signal(SIGTERM, RequestStop);

    std::cout << "inverter-sim: " << pv::PortName(options.port) << " -> " << terminal->SlavePath()
              << " (link " << link.string() << ")" << std::endl;

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
        const pv::Bytes reply = inverter.TakeOutput(now);
        if (!reply.empty())
            terminal->Write(reply);
    }

    RemovePortLink(link, terminal->SlavePath());
    return 0;
}
