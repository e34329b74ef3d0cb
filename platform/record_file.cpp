#include "record_file.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

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

FileOpening RecordFile::Create(const std::filesystem::path &path)
{
    Close();
    FileOpening opening = FileOpening::Failed;
    descriptor_ = OpenPlainFileForWriting(path, opening);
    if (descriptor_ < 0)
        return opening;
    path_ = path;
    written_ = 0;
    return FileOpening::Opened;
}

#if defined(_WIN32)

// Windows: the C runtime's descriptors, flushed to the disk with _commit; a file still under its
// name is one whose open handle and name lead to the same file index.
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
        // Half a line would make the whole file unreadable to a strict reader. Should the cut
        // fail as well, the line has failed all the same and the half line stays.
        if (done > 0) {
            [[maybe_unused]] const int cut = ::ftruncate(descriptor_, static_cast<off_t>(written_));
        }
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

struct RecordWriter::State
{
    std::mutex mutex;
    std::condition_variable changed;
    std::deque<std::string> lines;
    std::unique_ptr<LineSink> sink;
    std::function<void()> onFailure;
    bool stopping = false;
    bool failed = false;
    bool writing = false; // a line is with the sink
};

RecordWriter::~RecordWriter()
{
    Stop();
}

void RecordWriter::Start(std::unique_ptr<LineSink> sink, std::function<void()> onFailure)
{
    Stop();
    auto state = std::make_shared<State>();
    state->sink = std::move(sink);
    state->onFailure = std::move(onFailure);
    // Detached: a writer stuck in a write to a hung medium must keep neither a new recording
    // nor the end of the program waiting. It holds its state itself.
    std::thread(Run, state).detach();
    state_ = std::move(state);
}

RecordWriter::Taking RecordWriter::Take(std::string line)
{
    if (!state_)
        return Taking::NotRunning;
    {
        const std::lock_guard lock(state_->mutex);
        if (state_->failed)
            return Taking::NotRunning; // onFailure has been called
        if (state_->lines.size() >= queueLines_)
            return Taking::QueueFull;
        state_->lines.push_back(std::move(line));
    }
    state_->changed.notify_all();
    return Taking::Queued;
}

void RecordWriter::Stop()
{
    if (!state_)
        return;
    {
        const std::lock_guard lock(state_->mutex);
        state_->stopping = true;
        state_->onFailure = nullptr;
    }
    state_->changed.notify_all();
    state_.reset();
}

bool RecordWriter::WaitUntilWritten(int milliseconds) const
{
    if (!state_)
        return true;
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, std::chrono::milliseconds{milliseconds},
                                    [this] { return state_->lines.empty() && !state_->writing; });
}

void RecordWriter::Run(std::shared_ptr<State> state)
{
    std::unique_lock lock(state->mutex);
    for (;;) {
        state->changed.wait(lock, [&state] { return !state->lines.empty() || state->stopping; });
        if (state->lines.empty())
            break; // stopped, and every line queued before is written
        std::string line = std::move(state->lines.front());
        state->lines.pop_front();
        state->writing = true;
        lock.unlock();
        const bool written = state->sink->Append(line);
        lock.lock();
        state->writing = false;
        if (!written) {
            state->failed = true;
            state->lines.clear();
            if (state->onFailure)
                state->onFailure();
            break;
        }
        state->changed.notify_all();
    }
    state->changed.notify_all();
    lock.unlock();
    // Closing may wait on the medium too: outside the lock, where nobody waits for it.
    state->sink.reset();
}

} // namespace pv
