#include "process_list.h"

#ifdef _WIN32
// The 8-bit process entry is wanted whatever the character set of the build.
#undef UNICODE
#undef _UNICODE
#include <windows.h>
// The process snapshot declarations need the base declarations before them.
#include <tlhelp32.h>
#else
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#endif

namespace pv {

namespace {

#ifdef _WIN32

class SystemProcessList : public ProcessList
{
public:
    std::vector<std::string> ExecutableNames() const override
    {
        std::vector<std::string> names;
        const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE)
            return names;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL delivered = Process32First(snapshot, &entry); delivered;
             delivered = Process32Next(snapshot, &entry)) {
            names.emplace_back(entry.szExeFile);
        }
        CloseHandle(snapshot);
        return names;
    }
};

#else

std::string ReadSmallFile(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The last element of a program path. Both separators count: a Windows program run under a
// compatibility layer is started as "C:\\folder\\name.exe" and should still be seen by name.
std::string LastPathElement(const std::string &path)
{
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExecutableName(const std::filesystem::path &processFolder)
{
    const std::string commandLine = ReadSmallFile(processFolder / "cmdline");
    const std::string startedAs = commandLine.substr(0, commandLine.find('\0'));
    if (!startedAs.empty())
        return LastPathElement(startedAs);
    // Kernel threads (and processes on their way out) have no command line; their short
    // name is all there is.
    std::string shortName = ReadSmallFile(processFolder / "comm");
    if (!shortName.empty() && shortName.back() == '\n')
        shortName.pop_back();
    return shortName;
}

bool IsProcessFolder(const std::filesystem::directory_entry &entry)
{
    const std::string name = entry.path().filename().string();
    if (name.empty())
        return false;
    for (const char c : name) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

class SystemProcessList : public ProcessList
{
public:
    std::vector<std::string> ExecutableNames() const override
    {
        std::vector<std::string> names;
        std::error_code error;
        std::filesystem::directory_iterator processes("/proc", error);
        if (error)
            return names;
        // Processes come and go during the walk; one that is gone reads as empty and is
        // left out.
        for (const auto &entry : processes) {
            if (!IsProcessFolder(entry))
                continue;
            std::string name = ExecutableName(entry.path());
            if (!name.empty())
                names.push_back(std::move(name));
        }
        return names;
    }
};

#endif

} // namespace

std::unique_ptr<ProcessList> MakeSystemProcessList()
{
    return std::make_unique<SystemProcessList>();
}

} // namespace pv
