#pragma once
// The language the technician picked, kept in LanguageSet.txt beside the program.

#include <filesystem>

namespace pv {

inline constexpr const char *LanguageSetFile = "LanguageSet.txt";

// The language every installation has, and the one used when no other can be.
inline constexpr int FirstLanguage = 1;

// Language numbers (table columns) the picker offers: its picture index + 1. There are no
// pictures 8 and 9, so languages 9 and 10 are never chosen.
bool IsPickerLanguage(int number);

// Stores index + 1 in LanguageSet.txt beside the program, only when that file is present
// under exactly that name; never creates it. False when the file is absent or cannot be written.
bool SaveLanguageChoice(const std::filesystem::path &programFolder, int index);

} // namespace pv
