#pragma once
// The language the technician picked, kept in LanguageSet.txt in the tool's writable folder
// (the program folder, or the user's own folder when the program folder is read-only: see
// platform/writable_folder.h, where the file's name lives).

#include "platform/writable_folder.h"

#include <filesystem>

namespace pv {

// The language every installation has, and the one used when no other can be.
inline constexpr int FirstLanguage = 1;

// Language numbers (table columns) the picker offers: its picture index + 1. There are no
// pictures 8 and 9, so languages 9 and 10 are never chosen.
bool IsPickerLanguage(int number);

// The language number to load at start-up, from LanguageSet.txt in the tool's writable folder:
// the stored one when it is a language the picker offers, otherwise the first language (also
// when the file is missing or holds no number).
int ReadLanguageSetting(const std::filesystem::path &writableFolder);

// Stores index + 1 in LanguageSet.txt in the folder, only when that file is present under
// exactly that name; never creates it. False when the file is absent or cannot be written.
bool SaveLanguageChoice(const std::filesystem::path &writableFolder, int index);

} // namespace pv
