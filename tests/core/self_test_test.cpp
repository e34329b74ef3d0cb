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

TEST(SelfTestCheck, RunningProcessFoundByNamePrefix)
{
    // Unique to this run, so that nothing else on the machine answers.
    const std::string wanted = "PvProbe" + std::to_string(::getpid()) + "Selftest.exe";
    const std::pair<std::string, bool> cases[] = {{wanted, true},
                                                  {wanted + ".old", true},
                                                  {"pvprobe" + wanted.substr(7), false},
                                                  {"C:\\Tools\\" + wanted, true}};
    for (auto [startedAs, found] : cases) {
        SCOPED_TRACE(startedAs);
        // sleep started under the case's name (its argv[0]), killed at the end.
        char seconds[] = "30";
        char *argv[] = {startedAs.data(), seconds, nullptr};
        pid_t pid = -1;
        ASSERT_EQ(posix_spawn(&pid, "/bin/sleep", nullptr, nullptr, argv, environ), 0);
        // The spawn may return while the new program's arguments are still being laid out;
        // until then the process shows only its short name.
        const std::string commandLine = "/proc/" + std::to_string(pid) + "/cmdline";
        for (int i = 0; i < 2000 && std::ifstream(commandLine).peek() == EOF; ++i)
            ::usleep(1000);
        EXPECT_EQ(IsProcessRunning(*MakeSystemProcessList(), wanted), found);
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
}

} // namespace
} // namespace pv
