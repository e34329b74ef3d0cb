// The inverter-sim program on a real pseudo-terminal: it links the terminal as ports/COM1 beside
// the program, answers the tool's frames there (echoing them first and logging writes when asked)
// and removes the link when ended by SIGTERM, SIGINT or SIGHUP.

#include "link/codec.h"
#include "platform/port_names.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <regex>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

// Polls `done` every 10 ms for up to five seconds.
template <typename Done>
bool Within5s(Done done)
{
    bool ok = false;
    for (int i = 0; i < 500 && !(ok = done()); ++i)
        ::usleep(10'000);
    return ok;
}

struct Child
{
    pid_t pid = -1;
    int output = -1; // read end of the child's standard output
    ~Child()
    {
        if (pid > 0 && ::kill(pid, SIGKILL) == 0)
            ::waitpid(pid, nullptr, 0);
        if (output >= 0)
            ::close(output);
    }
};

// Starts inverter-sim with its standard output on a pipe.
void Spawn(Child &child, std::vector<std::string> args)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    ::posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    args.insert(args.begin(), INVERTER_SIM_PATH);
    std::vector<char *> argv;
    for (auto &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = ::posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    child.output = pipeEnds[0];
    ::fcntl(child.output, F_SETFL, O_NONBLOCK);
    ASSERT_EQ(spawned, 0);
}

// Makes a fresh program folder for the run and removes it afterwards.
struct ProgramDir
{
    char pattern[32] = "/tmp/inverter-sim-test-XXXXXX";
    fs::path dir = ::mkdtemp(pattern), link = dir / "ports" / "COM1";
    ~ProgramDir() { fs::remove_all(dir); }
};

// Sends the request on ports/COM1 and reads until `expected` bytes came back (or five seconds).
pv::Bytes Ask(const fs::path &dir, const pv::Bytes &request, std::size_t expected)
{
    const int fd = ::open(pv::DevicePathForPort(1, dir).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    EXPECT_GE(fd, 0);
    EXPECT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    pv::Bytes reply;
    std::uint8_t buffer[128];
    Within5s([&] {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        reply.insert(reply.end(), buffer, buffer + std::max<ssize_t>(n, 0));
        return reply.size() >= expected;
    });
    ::close(fd);
    return reply;
}

// Waits for the child to end; its exit status, or -1 when it did not end.
int Ended(Child &child)
{
    int status = -1;
    if (!Within5s([&] { return ::waitpid(child.pid, &status, WNOHANG) == child.pid; }))
        return -1;
    child.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The answers on ports/COM1, the echo and --set as the tool meets them are the end-to-end
// tests'; here the other ways the program ends, its write log and the refused --set values.
// Extra options, the request sent, how many bytes come back, how many of them lead before the
// reply (the echo), the line the program prints for it up to its time stamp, and the signal
// that ends it.
struct ProgramCase
{
    const char *name;
    std::vector<std::string> options;
    pv::Bytes request;
    std::size_t received, leading;
    std::string printed;
    int signal;
};
using InverterSimProgram = ::testing::TestWithParam<ProgramCase>;

TEST_P(InverterSimProgram, AnswersThroughPortsCom1AndRemovesItsLinkWhenEnded)
{
    const ProgramCase &c = GetParam();
    const ProgramDir folder;
    Child sim;
    std::vector<std::string> args{"--port", "COM1", "--program-dir", folder.dir};
    args.insert(args.end(), c.options.begin(), c.options.end());
    Spawn(sim, args);
    ASSERT_TRUE(Within5s([&] { return fs::is_symlink(folder.link); }));

    const pv::Bytes reply = Ask(folder.dir, c.request, c.received);
    ASSERT_EQ(reply.size(), c.received);
    EXPECT_EQ(pv::Bytes(reply.begin(), reply.begin() + c.leading),
              pv::Bytes(c.request.begin(), c.request.begin() + c.leading));
    std::uint16_t unreadable = 0;
    EXPECT_TRUE(pv::CheckReplyCrc(pv::Bytes(reply.begin() + c.leading, reply.end()), unreadable));

    // After the banner: nothing, or the line up to its time stamp, the milliseconds, the end.
    std::string printed;
    const auto lineAfterBanner = [&] {
        char chunk[256];
        printed.append(chunk, std::max<ssize_t>(::read(sim.output, chunk, sizeof chunk), 0));
        return c.printed.empty() || printed.find('\n') != printed.rfind('\n');
    };
    EXPECT_TRUE(Within5s(lineAfterBanner)) << printed;
    const std::string pattern = c.printed.empty() ? "" : c.printed + "[0-9]+\n";
    EXPECT_TRUE(std::regex_match(printed.substr(printed.find('\n') + 1), std::regex(pattern)))
        << printed;

    ::kill(sim.pid, c.signal);
    EXPECT_EQ(Ended(sim), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder.link)));
}

pv::Bytes Request(bool write)
{
    pv::Channel channel;
    write ? pv::BuildWriteRequest(channel, pv::WriteFunction, 0xC084, pv::Bytes{0x00, 0x07})
          : pv::BuildMonitorRequest(0, channel);
    return channel.request;
}

INSTANTIATE_TEST_SUITE_P(
    Runs, InverterSimProgram,
    ::testing::Values(ProgramCase("EchoedRead_Sighup", {"--echo"}, Request(false), 77, 8, "",
                                  SIGHUP),
                      ProgramCase("LoggedWrite_Sigint", {"--log-writes"}, Request(true), 8, 0,
                                  "write fn=10 start=C084 values=0007 ms=", SIGINT),
                      // Delayed is drawn before exception, so at rate 1 every reply is late; it
                      // comes whole all the same, and each fault is logged.
                      ProgramCase("LateReadFromAListOfFaults_Sigterm",
                                  {"--fault", "delayed,exception", "--rate", "1", "--late-ms",
                                   "100-300", "--log-faults"},
                                  Request(false), 69, 0, "fault delayed ms=", SIGTERM)),
    [](const auto &info) { return std::string(info.param.name); });

// A register the simulator does not hold or a value past a word stops the program before it
// makes its link.
TEST(InverterSimProgramSet, RefusesRegistersItDoesNotHoldAndValuesPastAWord)
{
    const ProgramDir folder;
    for (const char *refused : {"C300=1", "C084=65536", "C084", "C0x4=1"}) {
        Child bad;
        Spawn(bad, {"--program-dir", folder.dir, "--set", refused});
        EXPECT_EQ(Ended(bad), 2) << refused;
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder.link))) << refused;
    }
}

} // namespace
