#include "files.h"

#include "link/codepage.h"

#include <string_view>
#include <system_error>

#if defined(_WIN32)
#include <fstream>
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

namespace {

// What stands under a name before it is opened.
enum class Standing {
    Absent,
    Plain,
    Other,   // a folder, device, FIFO or socket
    Unknown, // the name cannot be looked at (no rights on its folder): opening will tell
};

Standing StandingOf(const std::filesystem::path &path)
{
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return Standing::Absent;
    if (error)
        return Standing::Unknown;
    return status.type() == std::filesystem::file_type::regular ? Standing::Plain : Standing::Other;
}

#if defined(_WIN32)

// Windows has no FIFOs on the file system, and a device is not a regular file to the status
// above: the look before opening is all the check there is.
bool IsPlainDescriptor(int)
{
    return true;
}

bool WriteAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const int n = _write(descriptor, bytes.data(), static_cast<unsigned>(bytes.size()));
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return _commit(descriptor) == 0;
}

void CloseDescriptor(int descriptor)
{
    _close(descriptor);
}

#else

bool IsPlainDescriptor(int descriptor)
{
    struct stat opened
    {
    };
    return ::fstat(descriptor, &opened) == 0 && S_ISREG(opened.st_mode);
}

bool WriteAll(int descriptor, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(descriptor, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return ::fsync(descriptor) == 0;
}

void CloseDescriptor(int descriptor)
{
    ::close(descriptor);
}

#endif

} // namespace

bool FileIsPresent(const std::filesystem::path &folder, const std::string &name)
{
    // Walk the folder rather than ask for the path: on a file system that ignores letter
    // case "initset.txt" would answer for "InitSet.txt", and it must not.
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return false;
    for (const auto &entry : entries) {
        if (entry.path().filename().string() == name)
            return true;
    }
    return false;
}

std::string ReadWholeFile(const std::filesystem::path &path)
{
    // One byte more than is taken tells a file that is too large from one that just fits.
    const PlainFileReading reading = ReadPlainFile(path, MaxSettingsFileBytes + 1);
    if (reading.opening != FileOpening::Opened || reading.bytes.empty()
        || reading.bytes.size() > MaxSettingsFileBytes)
        return UnreadableFile;
    return CodePageToUtf8(Bytes(reading.bytes.begin(), reading.bytes.end()));
}

bool IsPlainFileOrAbsent(const std::filesystem::path &path)
{
    return StandingOf(path) != Standing::Other;
}

#if defined(_WIN32)

PlainFileReading ReadPlainFile(const std::filesystem::path &path, std::size_t maxBytes)
{
    PlainFileReading reading;
    if (StandingOf(path) == Standing::Other) {
        reading.opening = FileOpening::NotPlainFile;
        return reading;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return reading;
    reading.bytes.resize(maxBytes);
    file.read(reading.bytes.data(), static_cast<std::streamsize>(maxBytes));
    if (file.bad())
        return PlainFileReading{};
    reading.bytes.resize(static_cast<std::size_t>(file.gcount()));
    reading.opening = FileOpening::Opened;
    return reading;
}

int OpenPlainFileForWriting(const std::filesystem::path &path, FileOpening &opening)
{
    opening = FileOpening::NotPlainFile;
    if (StandingOf(path) == Standing::Other)
        return -1;
    int descriptor = -1;
    if (_wsopen_s(&descriptor, path.c_str(), _O_WRONLY | _O_CREAT | _O_TRUNC | _O_BINARY,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE)
        != 0) {
        opening = FileOpening::Failed;
        return -1;
    }
    opening = FileOpening::Opened;
    return descriptor;
}

#else

PlainFileReading ReadPlainFile(const std::filesystem::path &path, std::size_t maxBytes)
{
    PlainFileReading reading;
    // The look first keeps the tool from opening a device at all (opening some has effects);
    // the descriptor's own type then decides, as the name may have changed in between.
    if (StandingOf(path) == Standing::Other) {
        reading.opening = FileOpening::NotPlainFile;
        return reading;
    }
    // O_NONBLOCK: a FIFO would otherwise hold open() until some process writes to it.
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0)
        return reading;
    if (!IsPlainDescriptor(descriptor)) {
        ::close(descriptor);
        reading.opening = FileOpening::NotPlainFile;
        return reading;
    }
    reading.bytes.resize(maxBytes);
    std::size_t done = 0;
    while (done < maxBytes) {
        const ssize_t n = ::read(descriptor, reading.bytes.data() + done, maxBytes - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            ::close(descriptor);
            return PlainFileReading{};
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(descriptor);
    reading.bytes.resize(done);
    reading.opening = FileOpening::Opened;
    return reading;
}

int OpenPlainFileForWriting(const std::filesystem::path &path, FileOpening &opening)
{
    opening = FileOpening::NotPlainFile;
    if (StandingOf(path) == Standing::Other)
        return -1;
    // Not emptied on open: what stands under the name may have become a FIFO or a device since
    // it was looked at, and only a regular file is emptied.
    const int descriptor
        = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        // ENXIO: a FIFO nobody reads; EISDIR: a folder.
        if (errno != ENXIO && errno != EISDIR && StandingOf(path) != Standing::Other)
            opening = FileOpening::Failed;
        return -1;
    }
    if (!IsPlainDescriptor(descriptor)) {
        ::close(descriptor);
        return -1;
    }
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) != 0
        || ::ftruncate(descriptor, 0) != 0) {
        ::close(descriptor);
        opening = FileOpening::Failed;
        return -1;
    }
    opening = FileOpening::Opened;
    return descriptor;
}

#endif

bool WriteTextFile(const std::filesystem::path &path, const std::string &text)
{
    // Written whole beside the file and renamed over it: the file is never seen half written,
    // and a failure leaves the old one as it was.
    std::filesystem::path written = path;
    written += ".new";
    FileOpening opening = FileOpening::Failed;
    const int descriptor = OpenPlainFileForWriting(written, opening);
    if (descriptor < 0)
        return false;
    const bool whole = WriteAll(descriptor, text + "\r\n");
    CloseDescriptor(descriptor);
    std::error_code error;
    if (whole)
        std::filesystem::rename(written, path, error);
    if (!whole || error) {
        std::filesystem::remove(written, error);
        return false;
    }
    return true;
}

} // namespace pv
