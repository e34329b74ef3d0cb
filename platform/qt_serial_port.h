#pragma once
// The serial port of the main window on Qt SerialPort.
//
// The logic polls: a timer tick writes a whole request, a later tick takes whatever arrived.
// So Output only queues and Input only takes what is already buffered; neither waits.
//
// A technician pulls the USB adapter, or the simulator behind a pseudo-terminal is restarted,
// while the port is open. Qt SerialPort then reports a read error over and over, as fast as the
// event loop turns, for as long as the dead device stays open. The adapter therefore closes the
// device on the first such error but keeps the port open as far as the logic is concerned (the
// open state is the port's, chosen by the user, not the line's). While the device is away, Input
// gives nothing and Output throws PortError; each call tries once to open the same device name
// again, so traffic resumes by itself when the device comes back under that name.
//
// A line that babbles (a broken device, a wrong baud rate, a peer streaming at full speed) must
// not cost the tool more than a quiet one. Qt SerialPort buffers without limit by default, so the
// adapter bounds its read buffer to ReadBufferBytes: once that much waits, Qt stops reading the
// device until the next take and the line's surplus stays with the driver. A take returns at most
// that much too, and a take that finds the buffer full (the line delivered more than any exchange
// can, ReadBufferBytes in one poll) throws away what the driver still holds, so the backlog never
// outlives the take that noticed it.
//
// Two-wire RS-485 adapters without echo suppression return each request ahead of its reply; the
// adapter drops that copy (EchoFilter), so replies look alike on every kind of line.

#include "link/echo_filter.h"
#include "link/serial_port.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSerialPort;

namespace pv {

// The line settings text of the port control: "baud,parity,data bits,stop bits", parity one of
// n, e, o, m, s (either case), data bits 5..8, stop bits 1, 1.5 or 2.
struct LineSettingsValue
{
    int baudRate = 9600;
    char parity = 'n'; // lower case
    int dataBits = 8;
    int stopBitsTenths = 10; // 10, 15 or 20
};

// nullopt when the text is not a valid line settings text.
std::optional<LineSettingsValue> ParseLineSettings(const std::string &text);

class QtSerialPort : public SerialPort
{
public:
    // Room for many of the longest reply (69 bytes): what the line carries at 9600 baud in four
    // seconds, twice the longest wait (2 s) between a request and the take of its reply.
    static constexpr std::size_t ReadBufferBytes = 4096;

    // programFolder: where ports/COMn links are looked for (DevicePathForPort).
    explicit QtSerialPort(std::filesystem::path programFolder);
    // linkFolders: where ports/COMn links are looked for, in this order (the writable folder,
    // then the program folder).
    explicit QtSerialPort(std::vector<std::filesystem::path> linkFolders);
    ~QtSerialPort() override;
    QtSerialPort(const QtSerialPort &) = delete;
    QtSerialPort &operator=(const QtSerialPort &) = delete;

    int CommPort() const override;
    void SetCommPort(int number) override;
    void SetSettings(const std::string &settings) override;
    // Throws PortError with a readable reason (device path and the system's complaint), also
    // for a settings text that cannot be parsed.
    void Open() override;
    void Close() override;
    // True from a successful Open until Close, also while the device behind it is away.
    bool IsOpen() const override;
    // Throws PortError while the device is away (after one attempt to open it again).
    void Output(ByteView bytes) override;
    // Empty while the device is away (after one attempt to open it again). At most
    // ReadBufferBytes, without the echo of the last request.
    Bytes Input() override;
    // When bytes last came in from the device (its readyRead signal), for the line view's
    // round trips; nothing before the first byte.
    std::optional<std::chrono::steady_clock::time_point> LastArrival() const override;
    std::uint64_t EchoesDropped() const override { return echo_.EchoesDropped(); }
    // Counts each loss once, however many errors the dead device raised.
    std::uint64_t DevicesLost() const override { return devicesLost_; }

    // Whether the operating system's device is open right now (false while it is away).
    bool DeviceOpen() const;
    // Failure signals of the device seen since construction (open failures, read, write and
    // resource errors); a busy-looping dead device shows here as a count racing upwards.
    int DeviceErrorCount() const;

private:
    void OpenDevice(); // throws PortError
    void OnDeviceError(int error);
    bool TryReopen();
    void DropDevice();

    std::vector<std::filesystem::path> linkFolders_;
    int commPort_ = FirstPortNumber;
    std::string settings_ = LineSettings;
    bool open_ = false; // the port as the logic sees it
    bool deviceLost_ = false;
    int deviceErrorCount_ = 0;
    std::uint64_t devicesLost_ = 0;
    EchoFilter echo_;
    std::optional<std::chrono::steady_clock::time_point> lastArrival_;
    std::unique_ptr<QSerialPort> device_;
};

} // namespace pv
