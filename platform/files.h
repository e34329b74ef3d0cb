#pragma once
// The file system as the settings files, the language choice and the technician's own files
// need it: a directory lookup that honours letter case, reading files whole and bounded, writing
// a one-line text file, and opening only plain files.
//
// A name the technician types may stand for something that is no file: a FIFO that blocks
// open() until some process writes to it, a device that never ends (/dev/zero), a socket, a
// folder. Whatever the tool opens on its own thread is therefore opened without waiting, and
// kept only when the opened descriptor is a regular file.

#include <cstddef>
#include <filesystem>
#include <string>

namespace pv {

// A file counts as present only when a lookup in the folder finds exactly this name, letter case
// included.
bool FileIsPresent(const std::filesystem::path &folder, const std::string &name);

// What ReadWholeFile gives for a file that cannot be read; callers treat it as ordinary text.
inline constexpr const char *UnreadableFile = "N";

// The settings files are a few hundred bytes; a larger one is damaged and read no further.
inline constexpr std::size_t MaxSettingsFileBytes = 64 * 1024;

// The whole file as text (UTF-8, converted from the tool's code page), or "N" when it cannot
// be opened or read, is empty, or is no plain file. At most MaxSettingsFileBytes are read.
std::string ReadWholeFile(const std::filesystem::path &path);

// Replaces the file with one holding text followed by CR LF: written beside it and renamed over
// it, so that a failure (a full disk, a pulled stick) leaves the old file whole. False on any
// failure.
bool WriteTextFile(const std::filesystem::path &path, const std::string &text);

// How opening a file turned out.
enum class FileOpening {
    Opened,
    NotPlainFile, // a folder, device, FIFO or socket: refused, and never waited on
    Failed,       // missing, no rights, a full disk...
};

// At most maxBytes of a plain file, read without waiting on anything that is not one.
struct PlainFileReading
{
    FileOpening opening = FileOpening::Failed;
    std::string bytes; // as stored, no conversion
};
PlainFileReading ReadPlainFile(const std::filesystem::path &path, std::size_t maxBytes);

// Whether a name may be written to by replacing it: nothing stands under it yet, or a plain
// file (a link to one counts as one).
bool IsPlainFileOrAbsent(const std::filesystem::path &path);

// Opens a plain file for writing (O_WRONLY), creating it when absent and emptying it otherwise,
// without waiting on a FIFO or device under the name: the descriptor (>= 0) when opened, else
// -1 with what went wrong in `opening`. Blocking writes from then on.
int OpenPlainFileForWriting(const std::filesystem::path &path, FileOpening &opening);

} // namespace pv
