#include "writable_folder.h"

#include "files.h"
#include "port_names.h"

#include <cstdlib>
#include <system_error>

#ifdef _WIN32
#include <fstream>
#include <string>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace pv {

std::filesystem::path UserDataFolderFrom(const char *dataHome, const char *home)
{
    if (dataHome != nullptr && std::filesystem::path(dataHome).is_absolute())
        return std::filesystem::path(dataHome) / UserFolderName;
    if (home != nullptr && *home != '\0')
        return std::filesystem::path(home) / ".local" / "share" / UserFolderName;
    return {};
}

std::filesystem::path UserDataFolder()
{
#ifdef _WIN32
    wchar_t buffer[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"LOCALAPPDATA", buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return {};
    return std::filesystem::path(std::wstring(buffer, n)) / UserFolderName;
#else
    return UserDataFolderFrom(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
#endif
}

bool FolderIsWritable(const std::filesystem::path &folder)
{
#ifdef _WIN32
    // Folder rights on Windows are lists that no single call answers; making a file does.
    const auto probe
        = folder / (".pv-service-write-probe-" + std::to_string(GetCurrentProcessId()));
    bool made = false;
    {
        std::ofstream file(probe, std::ios::binary);
        made = static_cast<bool>(file);
    }
    std::error_code error;
    std::filesystem::remove(probe, error);
    return made;
#else
    // Writing and searching the folder is what creating and replacing a file in it takes.
    return ::access(folder.c_str(), W_OK | X_OK) == 0;
#endif
}

std::filesystem::path WritableFolderFor(const std::filesystem::path &programFolder,
                                        bool programFolderWritable,
                                        const std::filesystem::path &userFolder)
{
    return programFolderWritable || userFolder.empty() ? programFolder : userFolder;
}

std::filesystem::path PrepareWritableFolder(const std::filesystem::path &programFolder,
                                            bool programFolderWritable,
                                            const std::filesystem::path &userFolder)
{
    const auto folder = WritableFolderFor(programFolder, programFolderWritable, userFolder);
    if (folder == programFolder)
        return folder;
    // Every step may fail on its own (no home folder, a full disk); the tool starts regardless.
    std::error_code error;
    std::filesystem::create_directories(PortLinkFolder(folder), error);
    if (FileIsPresent(programFolder, LanguageSetFile) && !FileIsPresent(folder, LanguageSetFile)
        && std::filesystem::copy_file(programFolder / LanguageSetFile, folder / LanguageSetFile,
                                      error)) {
        // The copy takes the shipped file's rights, and the picker must be able to rewrite it.
        std::filesystem::permissions(folder / LanguageSetFile, std::filesystem::perms::owner_write,
                                     std::filesystem::perm_options::add, error);
    }
    return folder;
}

} // namespace pv
