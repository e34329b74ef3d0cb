#include "qt_serial_port.h"

#include "port_names.h"

#include <QByteArray>
#include <QSerialPort>
#include <QString>

#include <cctype>
#include <charconv>
#include <string_view>
#include <utility>
#include <vector>

namespace pv {

namespace {

// A reply trickles in at 9600 baud while the event loop may not have turned; a few zero-timeout
// pulls collect what the driver holds without ever waiting for the line.
constexpr int PendingPulls = 4;

std::vector<std::string> SplitFields(const std::string &text)
{
    std::vector<std::string> fields(1);
    for (const char c : text) {
        if (c == ',')
            fields.emplace_back();
        else if (c != ' ')
            fields.back().push_back(c);
    }
    return fields;
}

std::optional<int> ParsePositive(const std::string &field)
{
    int value = 0;
    const auto *end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value);
    if (ec != std::errc{} || ptr != end || value <= 0)
        return std::nullopt;
    return value;
}

QSerialPort::Parity ToQtParity(char parity)
{
    switch (parity) {
    case 'e':
        return QSerialPort::EvenParity;
    case 'o':
        return QSerialPort::OddParity;
    case 'm':
        return QSerialPort::MarkParity;
    case 's':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}

QSerialPort::StopBits ToQtStopBits(int tenths)
{
    switch (tenths) {
    case 15:
        return QSerialPort::OneAndHalfStop;
    case 20:
        return QSerialPort::TwoStop;
    default:
        return QSerialPort::OneStop;
    }
}

bool EndsTheDevice(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ResourceError || error == QSerialPort::ReadError
           || error == QSerialPort::WriteError;
}

} // namespace

std::optional<LineSettingsValue> ParseLineSettings(const std::string &text)
{
    const auto fields = SplitFields(text);
    if (fields.size() != 4)
        return std::nullopt;

    LineSettingsValue value;
    const auto baud = ParsePositive(fields[0]);
    if (!baud)
        return std::nullopt;
    value.baudRate = *baud;

    if (fields[1].size() != 1)
        return std::nullopt;
    value.parity = static_cast<char>(std::tolower(static_cast<unsigned char>(fields[1][0])));
    if (std::string_view("neoms").find(value.parity) == std::string_view::npos)
        return std::nullopt;

    const auto dataBits = ParsePositive(fields[2]);
    if (!dataBits || *dataBits < 5 || *dataBits > 8)
        return std::nullopt;
    value.dataBits = *dataBits;

    if (fields[3] == "1")
        value.stopBitsTenths = 10;
    else if (fields[3] == "1.5")
        value.stopBitsTenths = 15;
    else if (fields[3] == "2")
        value.stopBitsTenths = 20;
    else
        return std::nullopt;
    return value;
}

QtSerialPort::QtSerialPort(std::filesystem::path programFolder)
    : QtSerialPort(std::vector<std::filesystem::path>{std::move(programFolder)})
{}

QtSerialPort::QtSerialPort(std::vector<std::filesystem::path> linkFolders)
    : linkFolders_(std::move(linkFolders)), device_(std::make_unique<QSerialPort>())
{
    QObject::connect(device_.get(), &QSerialPort::errorOccurred, device_.get(),
                     [this](QSerialPort::SerialPortError error) { OnDeviceError(error); });
    // A time stamp and nothing else: reading stays with Input.
    QObject::connect(device_.get(), &QIODevice::readyRead, device_.get(),
                     [this] { lastArrival_ = std::chrono::steady_clock::now(); });
}

QtSerialPort::~QtSerialPort()
{
    // No error handling while the device goes away with us.
    QObject::disconnect(device_.get(), nullptr, nullptr, nullptr);
    if (device_->isOpen())
        device_->close();
}

int QtSerialPort::CommPort() const
{
    return commPort_;
}

void QtSerialPort::SetCommPort(int number)
{
    commPort_ = number;
}

void QtSerialPort::SetSettings(const std::string &settings)
{
    settings_ = settings;
}

void QtSerialPort::Open()
{
    if (open_)
        throw PortError(PortName(commPort_) + " is already open");
    OpenDevice();
    open_ = true;
    deviceLost_ = false;
}

void QtSerialPort::Close()
{
    open_ = false;
    deviceLost_ = false;
    if (device_->isOpen())
        device_->close();
}

bool QtSerialPort::IsOpen() const
{
    return open_;
}

void QtSerialPort::Output(ByteView bytes)
{
    if (!open_)
        throw PortError(PortName(commPort_) + " is not open");
    if (deviceLost_ && !TryReopen())
        throw PortError(PortName(commPort_) + ": the device is gone");

    const auto size = static_cast<qint64>(bytes.size());
    echo_.OnSent(bytes);
    const qint64 queued = device_->write(reinterpret_cast<const char *>(bytes.data()), size);
    if (queued != size && !deviceLost_)
        DropDevice();
    // Hands the bytes to the driver now rather than when the event loop next turns.
    if (!deviceLost_)
        device_->flush();
    if (deviceLost_)
        throw PortError(PortName(commPort_) + ": writing failed, the device is gone");
}

Bytes QtSerialPort::Input()
{
    if (!open_)
        throw PortError(PortName(commPort_) + " is not open");
    if (deviceLost_ && !TryReopen())
        return {};

    for (int pull = 0; pull < PendingPulls && !deviceLost_; ++pull) {
        if (!device_->waitForReadyRead(0))
            break;
    }
    if (deviceLost_)
        return {};
    const bool overrun = device_->bytesAvailable() >= static_cast<qint64>(ReadBufferBytes);
    const QByteArray data = device_->read(static_cast<qint64>(ReadBufferBytes - echo_.HeldBytes()));
    if (overrun)
        device_->clear(QSerialPort::Input);
    return echo_.Filter(Bytes(data.begin(), data.end()));
}

std::optional<std::chrono::steady_clock::time_point> QtSerialPort::LastArrival() const
{
    return lastArrival_;
}

bool QtSerialPort::DeviceOpen() const
{
    return device_->isOpen();
}

int QtSerialPort::DeviceErrorCount() const
{
    return deviceErrorCount_;
}

void QtSerialPort::OpenDevice()
{
    const auto line = ParseLineSettings(settings_);
    if (!line)
        throw PortError(PortName(commPort_) + ": invalid line settings \"" + settings_ + "\"");

    const std::string path = DevicePathForPort(commPort_, linkFolders_);
    device_->setPortName(QString::fromStdString(path));
    device_->setBaudRate(line->baudRate);
    device_->setParity(ToQtParity(line->parity));
    device_->setDataBits(static_cast<QSerialPort::DataBits>(line->dataBits));
    device_->setStopBits(ToQtStopBits(line->stopBitsTenths));
    device_->setFlowControl(QSerialPort::NoFlowControl);
    device_->setReadBufferSize(static_cast<qint64>(ReadBufferBytes));
    if (!device_->open(QIODevice::ReadWrite)) {
        throw PortError("Cannot open " + PortName(commPort_) + " (" + path
                        + "): " + device_->errorString().toStdString());
    }
    // Bytes the line delivered before the port was ours belong to nobody, and a new device may
    // be an adapter of another kind.
    device_->clear();
    echo_.Reset();
}

void QtSerialPort::OnDeviceError(int error)
{
    const auto code = static_cast<QSerialPort::SerialPortError>(error);
    // Every zero-timeout pull that finds nothing reports a timeout; that is the normal case.
    if (code == QSerialPort::NoError || code == QSerialPort::TimeoutError)
        return;
    ++deviceErrorCount_;
    if (!open_ || deviceLost_ || !device_->isOpen() || !EndsTheDevice(code))
        return;
    DropDevice();
}

bool QtSerialPort::TryReopen()
{
    try {
        OpenDevice();
    } catch (const PortError &) {
        return false;
    }
    deviceLost_ = false;
    return true;
}

void QtSerialPort::DropDevice()
{
    if (!deviceLost_)
        ++devicesLost_;
    deviceLost_ = true;
    if (device_->isOpen())
        device_->close();
}

} // namespace pv
