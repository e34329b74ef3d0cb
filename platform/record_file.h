#pragma once
// A recording of lines: a file written one line at a time, each line on the disk before the next
// is taken, so that a pulled power cable loses at most the last line; and a writer that does this
// off the window's thread, so that a slow stick or a hung network folder never holds up a tick.

#include "files.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace pv {

// Where the lines of a recording go.
class LineSink
{
public:
    virtual ~LineSink() = default;
    // Writes the line whole; false when that fails, the sink then ending with its last whole line.
    virtual bool Append(std::string_view line) = 0;
};

class RecordFile : public LineSink
{
public:
    RecordFile() = default;
    RecordFile(const RecordFile &) = delete;
    RecordFile &operator=(const RecordFile &) = delete;
    ~RecordFile() override;

    // Creates the file, or empties it when it is a plain file already; a folder, device, FIFO or
    // socket under the name is refused without being waited on.
    FileOpening Create(const std::filesystem::path &path);
    // Writes the line whole and waits until the disk holds it. False when that fails: the disk
    // is full, the device is gone, or the file no longer stands under its name (removed or
    // replaced, so that nobody would ever see what follows). A line that went only part way
    // is taken back, so the file ends with the last line written whole.
    bool Append(std::string_view line) override;
    void Close();

    bool IsOpen() const { return descriptor_ >= 0; }
    const std::filesystem::path &Path() const { return path_; }

private:
    bool StillUnderItsName() const;

    int descriptor_ = -1;
    long long written_ = 0; // bytes of whole lines
    std::filesystem::path path_;
};

// Lines waiting for the writer: at a reading every 2.1 s, 64 rows are over two minutes of a
// medium that takes nothing, and a few kilobytes of memory.
inline constexpr std::size_t RecordQueueLines = 64;

// Hands lines to a sink on a thread of its own. Taking a line never waits on the sink: a sink
// that stops taking lines fills the queue, and a full queue is the caller's sign to stop.
class RecordWriter
{
public:
    explicit RecordWriter(std::size_t queueLines = RecordQueueLines) : queueLines_(queueLines) {}
    RecordWriter(const RecordWriter &) = delete;
    RecordWriter &operator=(const RecordWriter &) = delete;
    ~RecordWriter();

    // Starts writing to the sink. onFailure is called once, on the writer's thread, when the
    // sink refuses a line; the lines queued after it are dropped.
    void Start(std::unique_ptr<LineSink> sink, std::function<void()> onFailure);

    enum class Taking { Queued, QueueFull, NotRunning };
    // Queues the line; QueueFull when the sink is that far behind (the line is not taken).
    Taking Take(std::string line);

    // No more lines: the writer writes those queued and lets the sink go. Never waits for it;
    // a writer stuck on its medium is left to it, and onFailure is no longer called.
    void Stop();

    bool IsRunning() const { return state_ != nullptr; }

    // Waits until the writer has handled every line queued so far (tests and tools; the window
    // never waits). False when it has not after `milliseconds`.
    bool WaitUntilWritten(int milliseconds) const;

private:
    struct State;
    static void Run(std::shared_ptr<State> state);

    std::size_t queueLines_;
    std::shared_ptr<State> state_;
};

} // namespace pv
