#pragma once
// The plain-text settings files beside the program: InitSet.txt (start-up switches),
// LanguageSet.txt (stored language number), CountryParameter.txt (country presets).
// All are read as bytes in the tool's code page.

#include <filesystem>
#include <string>
#include <vector>

namespace pv {

inline constexpr const char *InitSetFile = "InitSet.txt";
inline constexpr const char *LanguageSetFile = "LanguageSet.txt";
inline constexpr const char *CountryParameterFile = "CountryParameter.txt";

// A file counts as present only when a lookup in the folder finds exactly this name,
// letter case included.
bool FileIsPresent(const std::filesystem::path &folder, const std::string &name);

// The whole file as text (UTF-8), or "N" when it cannot be opened or read, or is empty.
std::string ReadWholeFile(const std::filesystem::path &path);

// The language number to load at start-up: always 1 (a stored number has no effect there).
int ReadLanguageSetting(const std::filesystem::path &programFolder);

// Lines 3 onward of CountryParameter.txt (split at CR LF; an empty last line after a final
// CR LF counts). False when the file is missing or has fewer than three lines.
bool ReadCountryRecords(const std::filesystem::path &programFolder,
                        std::vector<std::string> &records);

// The fields of InitSet.txt: the content split at every comma, line breaks kept.
std::vector<std::string> SplitInitSettings(const std::string &content);

} // namespace pv
