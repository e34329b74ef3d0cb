#include "record_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pv {

RecordFile::~RecordFile()
{
    Close();
}

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

} // namespace pv
