#include "record_file.h"

#if defined(_WIN32)
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pv {

RecordFile::~RecordFile()
{
    Close();
}

#if defined(_WIN32)

// Windows: the C runtime's descriptors, flushed to the disk with _commit; a file still under its
// name is one whose open handle and name lead to the same file index.
bool RecordFile::Create(const std::filesystem::path &path)
{
    Close();
    if (_wsopen_s(&descriptor_, path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE)
        != 0)
        descriptor_ = -1;
    if (descriptor_ < 0)
        return false;
    path_ = path;
    written_ = 0;
    return true;
}

bool RecordFile::StillUnderItsName() const
{
    BY_HANDLE_FILE_INFORMATION opened{}, named{};
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor_));
    if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &opened))
        return false;
    const HANDLE byName
        = CreateFileW(path_.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (byName == INVALID_HANDLE_VALUE)
        return false;
    const bool same = GetFileInformationByHandle(byName, &named)
                      && opened.dwVolumeSerialNumber == named.dwVolumeSerialNumber
                      && opened.nFileIndexHigh == named.nFileIndexHigh
                      && opened.nFileIndexLow == named.nFileIndexLow;
    CloseHandle(byName);
    return same;
}

bool RecordFile::Append(std::string_view line)
{
    if (descriptor_ < 0)
        return false;
    std::size_t done = 0;
    bool failed = false;
    while (done < line.size()) {
        const int n
            = _write(descriptor_, line.data() + done, static_cast<unsigned>(line.size() - done));
        if (n <= 0) {
            failed = true;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    if (!failed && _commit(descriptor_) != 0)
        failed = true;
    if (!failed && !StillUnderItsName())
        failed = true;
    if (failed) {
        // Half a line would make the whole file unreadable to a strict reader.
        if (done > 0)
            (void)_chsize_s(descriptor_, written_);
        return false;
    }
    written_ += static_cast<long long>(line.size());
    return true;
}

void RecordFile::Close()
{
    if (descriptor_ >= 0)
        _close(descriptor_);
    descriptor_ = -1;
}

#else

bool RecordFile::Create(const std::filesystem::path &path)
{
    Close();
    descriptor_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (descriptor_ < 0)
        return false;
    path_ = path;
    written_ = 0;
    return true;
}

bool RecordFile::StillUnderItsName() const
{
    struct stat opened
    {
    }, named{};
    if (::fstat(descriptor_, &opened) != 0 || ::stat(path_.c_str(), &named) != 0)
        return false;
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

bool RecordFile::Append(std::string_view line)
{
    if (descriptor_ < 0)
        return false;
    std::size_t done = 0;
    bool failed = false;
    while (done < line.size()) {
        const ssize_t n = ::write(descriptor_, line.data() + done, line.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            failed = true;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    // fdatasync reports a write the disk could not take after all (EIO, ENOSPC on some file
    // systems); a device that cannot sync at all is not a failure of the line.
    if (!failed && ::fdatasync(descriptor_) != 0 && errno != EINVAL && errno != EROFS)
        failed = true;
    if (!failed && !StillUnderItsName())
        failed = true;
    if (failed) {
        // Half a line would make the whole file unreadable to a strict reader.
        if (done > 0)
            (void)::ftruncate(descriptor_, static_cast<off_t>(written_));
        return false;
    }
    written_ += static_cast<long long>(line.size());
    return true;
}

void RecordFile::Close()
{
    if (descriptor_ >= 0)
        ::close(descriptor_);
    descriptor_ = -1;
}

#endif

} // namespace pv
