#include "about/self_test.h"
#include "platform/process_list.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace pv {
namespace {

// sleep started under a name of the test's choosing (its argv[0]), killed at the end.
class NamedProcess
{
public:
    explicit NamedProcess(std::string startedAs)
    {
        char seconds[] = "30";
        char *argv[] = {startedAs.data(), seconds, nullptr};
        if (posix_spawn(&pid_, "/bin/sleep", nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
            return;
        }
        // The spawn may return while the new program's arguments are still being laid out;
        // until then the process shows only its short name.
        const std::string commandLine = "/proc/" + std::to_string(pid_) + "/cmdline";
        for (int attempt = 0; attempt < 2000; ++attempt) {
            if (std::ifstream(commandLine).peek() != std::char_traits<char>::eof())
                break;
            ::usleep(1000);
        }
    }
    ~NamedProcess()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Started() const { return pid_ > 0; }

private:
    pid_t pid_ = -1;
};

TEST(SelfTestCheck, RunningProcessFoundByNamePrefix)
{
    // Unique to this run, so that nothing else on the machine answers.
    const std::string wanted = "PvProbe" + std::to_string(::getpid()) + "Selftest.exe";
    std::string lower = wanted;
    for (char &c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const struct
    {
        const char *label;
        std::string startedAs;
        bool found;
    } cases[] = {{"SameName", wanted, true},
                 {"LongerNameCounts", wanted + ".old", true},
                 {"ShorterNameDoesNot", wanted.substr(0, wanted.size() - 1), false},
                 {"OtherLetterCaseDoesNot", lower, false},
                 {"FolderLeftOut", "/some/folder/" + wanted, true},
                 {"WindowsFolderLeftOut", "C:\\Tools\\" + wanted, true}};

    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_FALSE(IsProcessRunning(*MakeSystemProcessList(), wanted)) << "name taken";
        const NamedProcess process(c.startedAs);
        ASSERT_TRUE(process.Started());
        EXPECT_EQ(IsProcessRunning(*MakeSystemProcessList(), wanted), c.found);
    }
    EXPECT_FALSE(IsProcessRunning(*MakeSystemProcessList(), wanted)) << "gone after the kill";
}

} // namespace
} // namespace pv
