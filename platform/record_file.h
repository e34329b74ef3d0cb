#pragma once
// A file written one line at a time, each line on the disk before the next is taken, for a
// recording that must survive a pulled power cable with at most its last line lost.

#include <filesystem>
#include <string_view>

namespace pv {

class RecordFile
{
public:
    RecordFile() = default;
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;
    ~RecordFile();

    // Creates the file, or empties it when it exists. False when it cannot be opened for writing.
    bool Create(const std::filesystem::path &path);
    // Writes the line whole and waits until the disk holds it. False when that fails: the disk
    // is full, the device is gone, or the file no longer stands under its name (removed or
    // replaced, so that nobody would ever see what follows). A line that went only part way
    // is taken back, so the file ends with the last line written whole.
    bool Append(std::string_view line);
    void Close();

    bool IsOpen() const { return descriptor_ >= 0; }
    const std::filesystem::path &Path() const { return path_; }

private:
    bool StillUnderItsName() const;

    int descriptor_ = -1;
    long long written_ = 0; // bytes of whole lines
    std::filesystem::path path_;
};

} // namespace pv
