#pragma once
// What the exchange logic needs of the serial port, and nothing more.

#include "codec.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

namespace pv {

// Thrown by Open when the port does not exist, is in use or cannot be opened, and by Output or
// Input when the port fails under them.
struct PortError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

inline constexpr const char *LineSettings = "9600,n,8,1";
inline constexpr int FirstPortNumber = 1;
inline constexpr int LastPortNumber = 16;

class SerialPort
{
public:
    virtual ~SerialPort() = default;

    // The number of the port that is or was last opened (1..16).
    virtual int CommPort() const = 0;
    // Takes effect at the next Open; only called while the port is closed.
    virtual void SetCommPort(int number) = 0;
    // "9600,n,8,1"; no handshake.
    virtual void SetSettings(const std::string &settings) = 0;
    virtual void Open() = 0; // throws PortError
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Queues every byte for transmission and returns without waiting for the line.
    virtual void Output(ByteView bytes) = 0;
    // Every byte received since the last call (empty when none arrived); never blocks.
    virtual Bytes Input() = 0;

    // What the line view asks of a port that can tell; neither changes what or when the port
    // sends or what Input gives.
    // When the last byte that Input has given or will give arrived, for a port that notices
    // arrivals as they happen; nothing when it cannot tell (the view then measures a reply's
    // round trip at its take, a poll later).
    virtual std::optional<std::chrono::steady_clock::time_point> LastArrival() const
    {
        return std::nullopt;
    }
    // How many copies of its own requests (the echo of an RS-485 adapter) the port has dropped
    // since it was made; 0 for a port that drops none.
    virtual std::uint64_t EchoesDropped() const { return 0; }
    // How often the device behind the open port went away (an adapter pulled, a pseudo-terminal
    // closed) since the port was made; 0 for a port that cannot tell. Such a port reopens the
    // device by itself, so the exchange logic learns of the loss from this count alone.
    virtual std::uint64_t DevicesLost() const { return 0; }
};

} // namespace pv
