#include "language_choice.h"

#include "platform/files.h"

#include <string>

namespace pv {

bool IsPickerLanguage(int number)
{
    return (number >= 1 && number <= 8) || number == 11 || number == 12;
}

bool SaveLanguageChoice(const std::filesystem::path &writableFolder, int index)
{
    // The choice is kept only where the installation asked for it by shipping the file.
    if (!FileIsPresent(writableFolder, LanguageSetFile))
        return false;
    return WriteTextFile(writableFolder / LanguageSetFile, std::to_string(index + 1));
}

} // namespace pv
