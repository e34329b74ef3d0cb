// The inverter-sim program on a real pseudo-terminal: it links the terminal as ports/COM1 beside
// the program, answers the tool's frames there and removes the link on SIGTERM.

#include "link/codec.h"
#include "platform/port_names.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
    ~Child()
    {
        if (pid > 0 && ::kill(pid, SIGKILL) == 0)
            ::waitpid(pid, nullptr, 0);
    }
};

TEST(InverterSimProgram, AnswersThroughPortsCom1AndRemovesItsLinkOnSigterm)
{
    char pattern[] = "/tmp/inverter-sim-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path dir = pattern, link = dir / "ports" / "COM1";
    Child sim;
    const char *argv[] = {INVERTER_SIM_PATH, "--port", "COM1", "--program-dir", pattern, nullptr};
    ASSERT_EQ(
        ::posix_spawn(&sim.pid, argv[0], nullptr, nullptr, const_cast<char **>(argv), environ), 0);
    ASSERT_TRUE(Within5s([&] { return fs::is_symlink(link); }));

    const int fd = ::open(pv::DevicePathForPort(1, dir).c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    pv::Channel monitor;
    pv::BuildMonitorRequest(0, monitor);
    ASSERT_EQ(::write(fd, monitor.request.data(), monitor.request.size()), 8);
    pv::Bytes reply;
    std::uint8_t buffer[128];
    Within5s([&] {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        reply.insert(reply.end(), buffer, buffer + std::max<ssize_t>(n, 0));
        return reply.size() >= 69;
    });
    ::close(fd);
    ASSERT_EQ(reply.size(), 69u);
    std::uint16_t unreadable = 0;
    EXPECT_TRUE(pv::CheckReplyCrc(reply, unreadable));

    ::kill(sim.pid, SIGTERM);
    int status = -1;
    ASSERT_TRUE(Within5s([&] { return ::waitpid(sim.pid, &status, WNOHANG) == sim.pid; }));
    sim.pid = -1;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    fs::remove_all(dir);
}

} // namespace
