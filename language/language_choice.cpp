#include "language_choice.h"

#include "app/settings_files.h"

#include <fstream>

namespace pv {

bool WriteTextFile(const std::filesystem::path &path, const std::string &text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        return false;
    file << text << "\r\n";
    file.close();
    return !file.fail();
}

void SaveLanguageChoice(const std::filesystem::path &programFolder, int index)
{
    // The choice is kept only where the installation asked for it by shipping the file.
    if (!FileIsPresent(programFolder, LanguageSetFile))
        return;
    WriteTextFile(programFolder / LanguageSetFile, std::to_string(index + 1));
}

} // namespace pv
