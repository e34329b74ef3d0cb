#include "about/self_test.h"
#include "platform/process_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace pv {
namespace {

class FixedProcessList : public ProcessList
{
public:
    explicit FixedProcessList(std::vector<std::string> names) : names_(std::move(names)) {}
    std::vector<std::string> ExecutableNames() const override { return names_; }

private:
    std::vector<std::string> names_;
};

// ---------------------------------------------------------------------------------------------
// The comparison over a given list.

struct MatchCase
{
    const char *label;
    std::vector<std::string> running;
    const char *wanted;
    bool found;
};

class SelfTestMatch : public ::testing::TestWithParam<MatchCase>
{};

TEST_P(SelfTestMatch, PrefixWithLetterCase)
{
    const FixedProcessList processes(GetParam().running);
    EXPECT_EQ(IsProcessRunning(processes, GetParam().wanted), GetParam().found);
}

const MatchCase matchCases[] = {
    {"SameName", {"init", "Solvane.exe", "bash"}, "Solvane.exe", true},
    {"LongerNameCounts", {"Solvane.exe.old"}, "Solvane.exe", true},
    {"ShorterNameDoesNot", {"Solvane.ex"}, "Solvane.exe", false},
    {"OtherLetterCase", {"solvane.exe", "SOLVANE.EXE"}, "Solvane.exe", false},
    {"FullPathNeverMatches", {"C:\\Tools\\Solvane.exe", "/opt/Solvane.exe"}, "Solvane.exe", false},
    {"NameInsideDoesNot", {"xSolvane.exe"}, "Solvane.exe", false},
    {"LastOfManyFound", {"a", "b", "c", "Solvane.exe"}, "Solvane.exe", true},
    {"EmptyList", {}, "Solvane.exe", false},
};

INSTANTIATE_TEST_SUITE_P(SelfTest, SelfTestMatch, ::testing::ValuesIn(matchCases),
                         [](const auto &info) { return std::string(info.param.label); });

// ---------------------------------------------------------------------------------------------
// The system list: a real process started under a chosen name.

// Runs sleep with argv[0] set to startedAs.
class NamedProcess
{
public:
    explicit NamedProcess(const std::string &startedAs)
    {
        std::string program = "/bin/sleep", seconds = "30";
        char *argv[] = {const_cast<char *>(startedAs.c_str()), seconds.data(), nullptr};
        if (posix_spawn(&pid_, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
            pid_ = -1;
            return;
        }
        WaitForCommandLine();
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
    // The parent may run on while the new program's arguments are still being laid out;
    // until then the process shows only its short name.
    void WaitForCommandLine() const
    {
        const std::string path = "/proc/" + std::to_string(pid_) + "/cmdline";
        for (int attempt = 0; attempt < 2000; ++attempt) {
            std::ifstream file(path, std::ios::binary);
            if (file.peek() != std::ifstream::traits_type::eof())
                return;
            ::usleep(1000);
        }
    }

    pid_t pid_ = -1;
};

// Unique per test run, so that nothing else on the machine answers.
std::string ProbeName()
{
    return "PvProbe" + std::to_string(::getpid()) + "Selftest.exe";
}

std::string Lower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

struct SystemCase
{
    const char *label;
    std::string startedAs;
    std::string wanted;
    bool found;
};

class SelfTestSystem : public ::testing::TestWithParam<SystemCase>
{};

TEST_P(SelfTestSystem, FindsRunningProcessByName)
{
    const std::string wanted = GetParam().wanted;
    ASSERT_FALSE(IsProcessRunning(*MakeSystemProcessList(), wanted)) << "name taken already";
    {
        const NamedProcess process(GetParam().startedAs);
        ASSERT_TRUE(process.Started());
        EXPECT_EQ(IsProcessRunning(*MakeSystemProcessList(), wanted), GetParam().found);
    }
    EXPECT_FALSE(IsProcessRunning(*MakeSystemProcessList(), wanted));
}

const std::string probe = ProbeName();

const SystemCase systemCases[] = {
    {"SameName", probe, probe, true},
    {"LongerNameCounts", probe + ".running", probe, true},
    {"OtherLetterCaseDoesNot", Lower(probe), probe, false},
    {"FolderLeftOut", "/some/folder/" + probe, probe, true},
    {"WindowsPathLeftOut", "C:\\Tools\\" + probe, probe, true},
};

INSTANTIATE_TEST_SUITE_P(SelfTest, SelfTestSystem, ::testing::ValuesIn(systemCases),
                         [](const auto &info) { return std::string(info.param.label); });

TEST(SystemProcessList, SeesThisProgram)
{
    // argv[0] of a test run is a path; only its last element may be listed.
    const auto names = MakeSystemProcessList()->ExecutableNames();
    EXPECT_NE(std::find(names.begin(), names.end(), "core_self_test_tests"), names.end());
}

} // namespace
} // namespace pv
