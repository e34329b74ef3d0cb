#pragma once
// The file system as the settings files and the language choice need it: a directory lookup that
// honours letter case, reading a whole file as code-page text, writing a one-line text file.

#include <filesystem>
#include <string>

namespace pv {

// A file counts as present only when a lookup in the folder finds exactly this name, letter case
// included.
bool FileIsPresent(const std::filesystem::path &folder, const std::string &name);

// What ReadWholeFile gives for a file that cannot be read; callers treat it as ordinary text.
inline constexpr const char *UnreadableFile = "N";

// The whole file as text (UTF-8, converted from the tool's code page), or "N" when it cannot
// be opened or read, or is empty.
std::string ReadWholeFile(const std::filesystem::path &path);

// Replaces the file's content with text followed by CR LF; false on any failure.
bool WriteTextFile(const std::filesystem::path &path, const std::string &text);

} // namespace pv
