// The inverter-sim program on a real pseudo-terminal: it links the terminal as ports/COM1 beside
// the program and removes the link when ended by SIGTERM, SIGINT or SIGHUP; a --set value it
// cannot hold stops it before it makes the link. Its answers there, the echo, the write and fault
// lines and the fault options are the end-to-end tests', which read them through the real port.

#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
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

// Waits for the child to end; its exit status, or -1 when it did not end.
int Ended(Child &child)
{
    int status = -1;
    if (!Within5s([&] { return ::waitpid(child.pid, &status, WNOHANG) == child.pid; }))
        return -1;
    child.pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Ended from a terminal (SIGINT), by its terminal closing (SIGHUP) or by kill (SIGTERM), once it
// has said it is ready: a clean exit and no link left behind.
TEST(InverterSimProgram, RemovesItsLinkWhenEnded)
{
    for (const int signal : {SIGHUP, SIGINT, SIGTERM}) {
        SCOPED_TRACE(signal);
        const ProgramDir folder;
        Child sim;
        Spawn(sim, {"--port", "COM1", "--program-dir", folder.dir});
        std::string printed;
        ASSERT_TRUE(Within5s([&] {
            char chunk[256];
            printed.append(chunk, std::max<ssize_t>(::read(sim.output, chunk, sizeof chunk), 0));
            return printed.find('\n') != std::string::npos; // the banner, once it can be ended
        }));
        ASSERT_TRUE(fs::is_symlink(folder.link));
        ::kill(sim.pid, signal);
        EXPECT_EQ(Ended(sim), 0);
        EXPECT_FALSE(fs::exists(fs::symlink_status(folder.link)));
    }
}

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
