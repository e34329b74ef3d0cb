#include "files.h"

#include "link/codepage.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace pv {

bool FileIsPresent(const std::filesystem::path &folder, const std::string &name)
{
    // Walk the folder rather than ask for the path: on a file system that ignores letter
    // case "initset.txt" would answer for "InitSet.txt", and it must not.
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return false;
    for (const auto &entry : entries) {
        if (entry.path().filename().string() == name)
            return true;
    }
    return false;
}

std::string ReadWholeFile(const std::filesystem::path &path)
{
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return UnreadableFile;
    Bytes bytes;
    try {
        bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure &) {
        // A folder opens like a file on some systems and only the read fails.
        return UnreadableFile;
    }
    if (file.bad() || bytes.empty())
        return UnreadableFile;
    return CodePageToUtf8(bytes);
}

bool WriteTextFile(const std::filesystem::path &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file << text << "\r\n";
    file.close();
    return !file.fail();
}

} // namespace pv
