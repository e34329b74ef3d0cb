// The inverter-sim program as a technician starts it: it links its pseudo-terminal as
// ports/COM1 beside the program, answers the tool's frames on it and cleans up on SIGTERM.

#include "link/codec.h"
#include "platform/port_names.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

extern char **environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr auto StartTimeout = std::chrono::seconds{10};
constexpr auto ReplyTimeout = std::chrono::seconds{5};

int RemainingMs(Clock::time_point deadline)
{
    const auto left
        = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads from fd until `enough` says so or the deadline passes.
template <typename Enough>
std::string ReadUntil(int fd, Clock::time_point deadline, Enough enough)
{
    std::string data;
    while (!enough(data)) {
        pollfd watch{fd, POLLIN, 0};
        if (::poll(&watch, 1, RemainingMs(deadline)) <= 0)
            break;
        char buffer[256];
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0)
            data.append(buffer, static_cast<std::size_t>(n));
        else if (n == 0 || (errno != EAGAIN && errno != EINTR))
            break;
    }
    return data;
}

class SimulatorProcess
{
public:
    SimulatorProcess(const fs::path &programDir, const std::string &version)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        const std::string dir = programDir.string();
        const char *argv[] = {INVERTER_SIM_PATH, "--port",    "COM1",          "--program-dir",
                              dir.c_str(),       "--version", version.c_str(), nullptr};
        if (posix_spawn(&pid_, INVERTER_SIM_PATH, &actions, nullptr, const_cast<char **>(argv),
                        environ)
            != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(out[1]);
        stdout_ = out[0];
    }

    ~SimulatorProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (stdout_ >= 0)
            ::close(stdout_);
    }

    bool Started() const { return pid_ > 0; }

    std::string FirstLine()
    {
        const std::string text
            = ReadUntil(stdout_, Clock::now() + StartTimeout,
                        [](const std::string &s) { return s.find('\n') != s.npos; });
        return text.substr(0, text.find('\n'));
    }

    // Exit status after SIGTERM, or -1 when it did not end in time (it is then killed).
    int Terminate()
    {
        ::kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + StartTimeout;
        int status = 0;
        while (Clock::now() < deadline) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            ::poll(nullptr, 0, 10);
        }
        return -1;
    }

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
};

// Opens the port as the tool does: through the port name rule, raw, 9600 8N1.
int OpenPort(const fs::path &programDir)
{
    const std::string device = pv::DevicePathForPort(1, programDir);
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return fd;
    termios settings{};
    ::tcgetattr(fd, &settings);
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    settings.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &settings);
    return fd;
}

pv::Bytes Ask(int fd, const pv::Bytes &request, std::size_t replySize)
{
    EXPECT_EQ(::write(fd, request.data(), request.size()), static_cast<ssize_t>(request.size()));
    const std::string reply = ReadUntil(fd, Clock::now() + ReplyTimeout, [&](const std::string &s) {
        return s.size() >= replySize;
    });
    return pv::Bytes(reply.begin(), reply.end());
}

TEST(InverterSimProgram, ServesTheToolThroughPortsCom1AndRemovesItsLinkOnSigterm)
{
    char pattern[] = "/tmp/inverter-sim-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    const fs::path programDir = pattern;
    const fs::path link = programDir / "ports" / "COM1";

    SimulatorProcess sim(programDir, "01000811");
    ASSERT_TRUE(sim.Started());
    const std::string line = sim.FirstLine();
    EXPECT_EQ(line.rfind("inverter-sim: COM1 -> /dev/", 0), 0u) << line;
    EXPECT_NE(line.find("(link " + link.string() + ")"), std::string::npos) << line;
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(pv::DevicePathForPort(1, programDir), link.string());

    const int fd = OpenPort(programDir);
    ASSERT_GE(fd, 0) << std::strerror(errno);
    pv::Channel monitor;
    pv::BuildMonitorRequest(0, monitor);
    const pv::Bytes reply = Ask(fd, monitor.request, 69);
    ASSERT_EQ(reply.size(), 69u);
    EXPECT_EQ(reply[1], 0x03);
    EXPECT_EQ(reply[2], 0x40);
    std::uint16_t unreadable = 0;
    EXPECT_TRUE(pv::CheckReplyCrc(reply, unreadable));
    EXPECT_NEAR(pv::ImageWord(reply, 3 + 2 * 1), 230, 5) << "AC voltage";

    pv::Channel version;
    pv::BuildReadRequest(version, 0xC0BC, 4);
    const pv::Bytes text = Ask(fd, version.request, 13);
    ASSERT_EQ(text.size(), 13u);
    EXPECT_EQ(pv::ImageText(text, 3, 8), "01000811");
    ::close(fd);

    EXPECT_EQ(sim.Terminate(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
    fs::remove_all(programDir);
}

} // namespace
