#include "port_names.h"

#include <system_error>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__APPLE__)
#include <mach-o/dyld.h>
#endif

namespace pv {

std::string PortName(int number)
{
    return "COM" + std::to_string(number);
}

std::filesystem::path PortLinkFolder(const std::filesystem::path &programFolder)
{
    return programFolder / "ports";
}

std::string DevicePathForPort(int number, const std::vector<std::filesystem::path> &folders)
{
#if defined(_WIN32)
    (void)folders;
    return PortName(number);
#else
    for (const auto &folder : folders) {
        std::error_code ec;
        const auto link = PortLinkFolder(folder) / PortName(number);
        // A link counts even when its target is gone for the moment (simulator restarting,
        // adapter pulled): opening it then fails like a missing adapter, and succeeds once it
        // is back.
        if (std::filesystem::exists(std::filesystem::symlink_status(link, ec)))
            return link.string();
    }
    return "/dev/ttyUSB" + std::to_string(number - 1);
#endif
}

std::string DevicePathForPort(int number, const std::filesystem::path &programFolder)
{
    return DevicePathForPort(number, std::vector<std::filesystem::path>{programFolder});
}

std::filesystem::path ProgramFolder()
{
#if defined(_WIN32)
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return std::filesystem::path(std::wstring(buffer, n)).parent_path();
#elif defined(__APPLE__)
    char buffer[4096];
    uint32_t size = sizeof buffer;
    if (_NSGetExecutablePath(buffer, &size) != 0)
        return std::filesystem::current_path();
    return std::filesystem::weakly_canonical(buffer).parent_path();
#else
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::current_path() : exe.parent_path();
#endif
}

} // namespace pv
