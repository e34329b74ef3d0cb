#pragma once

#include <filesystem>
#include <string>

namespace pv {

// Replaces the file's content with text followed by CR LF; false on any failure.
bool WriteTextFile(const std::filesystem::path &path, const std::string &text);

// Stores index + 1 in LanguageSet.txt beside the program, only when that file is present
// under exactly that name; never creates it.
void SaveLanguageChoice(const std::filesystem::path &programFolder, int index);

} // namespace pv
