#include "language_choice.h"

#include "platform/files.h"

#include <string>

namespace pv {

bool IsPickerLanguage(int number)
{
    return (number >= 1 && number <= 8) || number == 11 || number == 12;
}

bool SaveLanguageChoice(const std::filesystem::path &programFolder, int index)
{
    // The choice is kept only where the installation asked for it by shipping the file.
    if (!FileIsPresent(programFolder, LanguageSetFile))
        return false;
    return WriteTextFile(programFolder / LanguageSetFile, std::to_string(index + 1));
}

} // namespace pv
