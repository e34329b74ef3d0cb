#include "pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace pv {

namespace {

// How long a write waits for a client that does not read before the rest is given up; a
// real line drops bytes nobody takes too.
constexpr int WriteTimeoutMs = 200;

void CloseIfOpen(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

bool MakeRaw(int fd)
{
    termios settings{};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    ::cfsetispeed(&settings, B9600);
    ::cfsetospeed(&settings, B9600);
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

} // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Create()
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        return nullptr;
    const char *name = nullptr;
    if (::grantpt(master) != 0 || ::unlockpt(master) != 0
        || (name = ::ptsname(master)) == nullptr) {
        ::close(master);
        return nullptr;
    }
    const std::string slavePath = name;
    // Holding the slave open ourselves keeps the master from seeing a hang-up whenever no
    // client has it, so clients can come and go.
    const int keeper = ::open(slavePath.c_str(), O_RDWR | O_NOCTTY);
    if (keeper < 0 || !MakeRaw(keeper)) {
        CloseIfOpen(keeper);
        ::close(master);
        return nullptr;
    }
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    return std::unique_ptr<PseudoTerminal>(new PseudoTerminal(master, keeper, slavePath));
}

PseudoTerminal::PseudoTerminal(int master, int slaveKeeper, std::string slavePath)
    : master_(master), slaveKeeper_(slaveKeeper), slavePath_(std::move(slavePath))
{}

PseudoTerminal::~PseudoTerminal()
{
    CloseIfOpen(slaveKeeper_);
    CloseIfOpen(master_);
}

Bytes PseudoTerminal::Read(int timeoutMs)
{
    Bytes received;
    pollfd watch{master_, POLLIN, 0};
    const int ready = ::poll(&watch, 1, timeoutMs);
    if (ready <= 0)
        return received;
    if (!(watch.revents & POLLIN)) {
        // A hang-up without data would wake every poll at once; keep to the promised pace.
        ::poll(nullptr, 0, timeoutMs);
        return received;
    }
    std::uint8_t buffer[512];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            received.insert(received.end(), buffer, buffer + n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break; // EAGAIN: all that was there is taken
    }
    return received;
}

void PseudoTerminal::Write(ByteView bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
            return;
        pollfd watch{master_, POLLOUT, 0};
        if (::poll(&watch, 1, WriteTimeoutMs) <= 0)
            return;
    }
}

} // namespace pv
