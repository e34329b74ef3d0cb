// A tool ended by SIGTERM, SIGINT or SIGHUP leaves its event loop and closes its serial port like
// a normal close: exit status 0 and no lock file of the port left behind (a tool the signal
// kills on the spot leaves it). A second signal still kills a tool whose loop is stuck.
#include "platform/port_names.h"
#include "platform/pseudo_terminal.h"
#include "platform/termination_signals.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace pv {
namespace {

namespace fs = std::filesystem;

constexpr int LimitMs = 5000; // bounds each wait; nothing asserts on speed

// Where Debian's Qt SerialPort keeps the lock of a device opened by the given path.
fs::path LockFileOf(std::string path)
{
    std::replace(path.begin(), path.end(), '/', '_');
    return fs::path("/var/lock") / ("LCK.." + path);
}

struct SignalCase
{
    const char *name;
    int signal;
    bool stuck; // the child's loop is stuck: the signal goes twice and kills it
};
using TerminationSignal = ::testing::TestWithParam<SignalCase>;

TEST_P(TerminationSignal, EndsTheLoopAndClosesThePort)
{
    const SignalCase &c = GetParam();
    QTemporaryDir folder;
    const fs::path program = folder.path().toStdString();
    const auto pty = PseudoTerminal::Create();
    ASSERT_TRUE(pty);
    fs::create_directories(program / "ports");
    fs::create_symlink(pty->SlavePath(), program / "ports" / "COM3");
    const fs::path lock = LockFileOf(DevicePathForPort(3, program));

    QProcess child;
    QStringList args{QString::fromStdString(program.string())};
    if (c.stuck)
        args << QStringLiteral("--busy");
    child.start(QStringLiteral(TERMINATION_CHILD_PROGRAM), args);
    ASSERT_TRUE(child.waitForReadyRead(LimitMs)) << child.readAllStandardError().toStdString();
    ASSERT_EQ(child.readLine().trimmed(), "ready");
    EXPECT_TRUE(fs::exists(lock)) << "Qt SerialPort locks the open device: " << lock;

    ::kill(static_cast<pid_t>(child.processId()), c.signal);
    if (c.stuck) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200)); // the first one handled
        ::kill(static_cast<pid_t>(child.processId()), c.signal);
    }
    ASSERT_TRUE(child.waitForFinished(LimitMs)) << "still running after the signal";
    if (!c.stuck) {
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(child.exitCode(), 0);
        EXPECT_EQ(child.readAllStandardOutput().trimmed(), "ended");
        EXPECT_FALSE(fs::exists(lock)) << "stale lock " << lock;
    } else {
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
        fs::remove(lock); // the lock a killed tool leaves behind
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal,
                         ::testing::Values(SignalCase{"Sigterm", SIGTERM, false},
                                           SignalCase{"Sigint", SIGINT, false},
                                           SignalCase{"Sighup", SIGHUP, false},
                                           SignalCase{"Sigint_Twice_LoopStuck", SIGINT, true}),
                         [](const auto &info) { return std::string(info.param.name); });

// A write into a pipe whose reader has gone fails with EPIPE, which the writer reports; the
// signal's default action would end the tool on the spot (exit status 141 in a shell). In a
// child, so that this test program keeps its own signals.
TEST(BrokenPipe, IsAWriteErrorNotTheEndOfTheTool)
{
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        IgnoreBrokenPipes();
        int ends[2];
        if (::pipe(ends) != 0)
            ::_exit(2);
        ::close(ends[0]);
        const bool refused = ::write(ends[1], "x", 1) < 0 && errno == EPIPE;
        ::_exit(refused ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_FALSE(WIFSIGNALED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

} // namespace
} // namespace pv
