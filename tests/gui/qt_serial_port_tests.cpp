// The serial port adapter against a real pseudo-terminal behind a ports/COM3 link.
#include "platform/pseudo_terminal.h"
#include "platform/qt_serial_port.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace pv {
namespace {

namespace fs = std::filesystem;

constexpr int Com3 = 3;
constexpr int LongestReply = 69;
constexpr int WaitLimitMs = 3000;

Bytes ClosedFrame(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

// The monitor cycle's first request: 32 registers from 0xC020.
const Bytes MonitorRequest = ClosedFrame({0xFF, 0x03, 0xC0, 0x20, 0x00, 0x20});

Bytes LongestReplyBytes()
{
    Bytes reply(LongestReply);
    for (int i = 0; i < LongestReply; ++i)
        reply[i] = static_cast<std::uint8_t>(0xFF - 3 * i); // includes 0x00, 0x11, 0x13, 0x0A
    return reply;
}

// Number of descriptors of this process that lead to the given device (the pseudo-terminal
// keeps one of its own).
int OpenDescriptorsOf(const std::string &devicePath)
{
    int count = 0;
    std::error_code ec;
    for (const auto &entry : fs::directory_iterator("/proc/self/fd", ec)) {
        std::error_code linkEc;
        const auto target = fs::read_symlink(entry.path(), linkEc).string();
        if (!linkEc && target.rfind(devicePath, 0) == 0)
            ++count;
    }
    return count;
}

class QtSerialPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        programFolder_ = folder_.path().toStdString();
        fs::create_directories(programFolder_ / "ports");
        NewDevice();
        port_ = std::make_unique<QtSerialPort>(programFolder_);
        port_->SetCommPort(Com3);
        port_->SetSettings(LineSettings);
    }

    fs::path Link() const { return programFolder_ / "ports" / "COM3"; }

    // A fresh pseudo-terminal behind ports/COM3, as a restarted simulator makes it.
    void NewDevice()
    {
        pty_ = PseudoTerminal::Create();
        ASSERT_NE(pty_, nullptr);
        std::error_code ec;
        fs::remove(Link(), ec);
        fs::create_symlink(pty_->SlavePath(), Link());
    }

    // The simulator ends; its link stays but leads nowhere (a new pseudo-terminal of another
    // program must not be mistaken for ours).
    void DeviceGone()
    {
        pty_.reset();
        std::error_code ec;
        fs::remove(Link(), ec);
        fs::create_symlink("/dev/pv-no-such-device", Link());
    }

    Bytes ReadAtDevice(std::size_t expected)
    {
        Bytes got;
        for (int round = 0; round < 30 && got.size() < expected; ++round) {
            const Bytes part = pty_->Read(100);
            got.insert(got.end(), part.begin(), part.end());
        }
        return got;
    }

    Bytes InputUntil(std::size_t expected)
    {
        Bytes got;
        (void)QTest::qWaitFor(
            [&] {
                const Bytes part = port_->Input();
                got.insert(got.end(), part.begin(), part.end());
                return got.size() >= expected;
            },
            WaitLimitMs);
        return got;
    }

    QTemporaryDir folder_;
    fs::path programFolder_;
    std::unique_ptr<PseudoTerminal> pty_;
    std::unique_ptr<QtSerialPort> port_;
};

TEST_F(QtSerialPortTest, OpenThenRequestReachesDeviceByteForByte)
{
    port_->Open();
    EXPECT_TRUE(port_->IsOpen());
    EXPECT_EQ(port_->CommPort(), Com3);
    port_->Output(MonitorRequest);
    EXPECT_EQ(ReadAtDevice(MonitorRequest.size()), MonitorRequest);
}

TEST_F(QtSerialPortTest, WholeLongestReplyIsTakenUnchanged)
{
    port_->Open();
    const Bytes reply = LongestReplyBytes();
    pty_->Write(reply);
    EXPECT_EQ(InputUntil(reply.size()), reply);
    EXPECT_TRUE(port_->Input().empty()) << "a take empties the receive buffer";
}

TEST_F(QtSerialPortTest, ReplyWaitingInDriverIsTakenWithoutEventLoop)
{
    port_->Open();
    const Bytes reply{0xFF, 0x03, 0x02, 0x12, 0x34, 0x00, 0x00};
    pty_->Write(reply);
    Bytes got;
    for (int attempt = 0; attempt < 200 && got.size() < reply.size(); ++attempt) {
        const Bytes part = port_->Input(); // no event loop in between: the pull must do it
        got.insert(got.end(), part.begin(), part.end());
        if (got.size() < reply.size())
            pty_->Read(5); // a short pause on the device side, not a wait on the port
    }
    EXPECT_EQ(got, reply);
}

TEST_F(QtSerialPortTest, InputWithNothingArrivedIsEmpty)
{
    port_->Open();
    EXPECT_TRUE(port_->Input().empty());
    EXPECT_EQ(port_->DeviceErrorCount(), 0) << "an empty take is no failure";
}

TEST_F(QtSerialPortTest, BytesSentBeforeOpenAreNotTaken)
{
    pty_->Write(Bytes{0x55, 0x66});
    port_->Open();
    port_->Output(MonitorRequest);
    ReadAtDevice(MonitorRequest.size());
    const Bytes reply{0xAA, 0xBB, 0xCC};
    pty_->Write(reply);
    EXPECT_EQ(InputUntil(reply.size()), reply);
}

TEST_F(QtSerialPortTest, ClosedPortRefusesTraffic)
{
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);
    EXPECT_THROW(port_->Input(), PortError);
    const int unused = OpenDescriptorsOf(pty_->SlavePath());
    port_->Open();
    EXPECT_EQ(OpenDescriptorsOf(pty_->SlavePath()), unused + 1);
    port_->Close();
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_FALSE(port_->DeviceOpen());
    EXPECT_EQ(OpenDescriptorsOf(pty_->SlavePath()), unused);
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);
}

TEST_F(QtSerialPortTest, ReopenAfterCloseCarriesTrafficAgain)
{
    port_->Open();
    port_->Close();
    port_->Open();
    port_->Output(MonitorRequest);
    EXPECT_EQ(ReadAtDevice(MonitorRequest.size()), MonitorRequest);
}

struct OpenFailureCase
{
    const char *name;
    const char *linkTarget; // nullptr: keep the pseudo-terminal link
    const char *settings;
};

class QtSerialPortOpenFailure : public QtSerialPortTest,
                                public ::testing::WithParamInterface<OpenFailureCase>
{
};

TEST_P(QtSerialPortOpenFailure, ThrowsPortErrorAndStaysClosed)
{
    const auto &c = GetParam();
    if (c.linkTarget) {
        fs::remove(Link());
        fs::create_symlink(c.linkTarget, Link());
    }
    port_->SetSettings(c.settings);
    try {
        port_->Open();
        FAIL() << "Open succeeded";
    } catch (const PortError &e) {
        EXPECT_NE(std::string(e.what()).find("COM3"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_FALSE(port_->DeviceOpen());
    EXPECT_THROW(port_->Input(), PortError);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QtSerialPortOpenFailure,
    ::testing::Values(OpenFailureCase{"LinkToMissingDevice", "/dev/pv-no-such-device",
                                      "9600,n,8,1"},
                      OpenFailureCase{"LinkToPlainFile", "/etc/hostname", "9600,n,8,1"},
                      OpenFailureCase{"SettingsWithoutStopBits", nullptr, "9600,n,8"},
                      OpenFailureCase{"SettingsWithUnknownParity", nullptr, "9600,x,8,1"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(QtSerialPortTest, VanishedDeviceIsClosedButPortStaysOpenWithoutSpinning)
{
    const std::string slave = pty_->SlavePath();
    const int unused = OpenDescriptorsOf(slave);
    port_->Open();
    ASSERT_EQ(OpenDescriptorsOf(slave), unused + 1);
    DeviceGone();

    QTest::qWait(200);

    EXPECT_TRUE(port_->IsOpen()) << "the logic keeps its port";
    EXPECT_FALSE(port_->DeviceOpen());
    EXPECT_EQ(OpenDescriptorsOf(slave), 0) << "the dead device must be let go";
    EXPECT_GE(port_->DeviceErrorCount(), 1);
    EXPECT_LE(port_->DeviceErrorCount(), 5) << "a dead device must not be polled in a loop";
    EXPECT_TRUE(port_->Input().empty());
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);
    EXPECT_TRUE(port_->IsOpen());
}

TEST_F(QtSerialPortTest, VanishedDeviceIsNoticedByInputWithoutEventLoop)
{
    port_->Open();
    DeviceGone();
    EXPECT_TRUE(port_->Input().empty());
    EXPECT_FALSE(port_->DeviceOpen());
    EXPECT_TRUE(port_->IsOpen());
}

TEST_F(QtSerialPortTest, VanishedDeviceIsNoticedByOutputWithoutEventLoop)
{
    port_->Open();
    DeviceGone();
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);
    EXPECT_FALSE(port_->DeviceOpen());
    EXPECT_TRUE(port_->IsOpen());
}

TEST_F(QtSerialPortTest, EachCallWhileAwayTriesOnceToReopen)
{
    port_->Open();
    DeviceGone();
    QTest::qWait(50);
    const int before = port_->DeviceErrorCount();
    EXPECT_TRUE(port_->Input().empty());
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);
    // One failed open per call, nothing more.
    EXPECT_EQ(port_->DeviceErrorCount(), before + 2);
}

TEST_F(QtSerialPortTest, DeviceBackUnderSameNameCarriesTrafficAgain)
{
    port_->Open();
    DeviceGone();
    QTest::qWait(50);
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);

    NewDevice();
    port_->Output(MonitorRequest);
    EXPECT_TRUE(port_->DeviceOpen());
    EXPECT_EQ(ReadAtDevice(MonitorRequest.size()), MonitorRequest);
    const Bytes reply = LongestReplyBytes();
    pty_->Write(reply);
    EXPECT_EQ(InputUntil(reply.size()), reply);
}

TEST_F(QtSerialPortTest, DeviceBackIsFoundByInputToo)
{
    port_->Open();
    DeviceGone();
    QTest::qWait(50);
    NewDevice();
    EXPECT_TRUE(port_->Input().empty());
    EXPECT_TRUE(port_->DeviceOpen());
    const Bytes reply{0x01, 0x02, 0x03};
    pty_->Write(reply);
    EXPECT_EQ(InputUntil(reply.size()), reply);
}

TEST_F(QtSerialPortTest, CloseWhileAwayStopsRetrying)
{
    port_->Open();
    DeviceGone();
    QTest::qWait(50);
    port_->Close();
    NewDevice();
    const int unused = OpenDescriptorsOf(pty_->SlavePath());
    EXPECT_FALSE(port_->IsOpen());
    EXPECT_THROW(port_->Output(MonitorRequest), PortError);
    EXPECT_THROW(port_->Input(), PortError);
    EXPECT_FALSE(port_->DeviceOpen());
    EXPECT_EQ(OpenDescriptorsOf(pty_->SlavePath()), unused);
}

struct SettingsCase
{
    const char *name;
    const char *text;
    bool valid;
    LineSettingsValue expected;
};

class LineSettingsParse : public ::testing::TestWithParam<SettingsCase>
{
};

TEST_P(LineSettingsParse, GivesTheLineOrNothing)
{
    const auto &c = GetParam();
    const auto parsed = ParseLineSettings(c.text);
    ASSERT_EQ(parsed.has_value(), c.valid);
    if (!c.valid)
        return;
    EXPECT_EQ(parsed->baudRate, c.expected.baudRate);
    EXPECT_EQ(parsed->parity, c.expected.parity);
    EXPECT_EQ(parsed->dataBits, c.expected.dataBits);
    EXPECT_EQ(parsed->stopBitsTenths, c.expected.stopBitsTenths);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineSettingsParse,
    ::testing::Values(SettingsCase{"Standard_9600n81", "9600,n,8,1", true, {9600, 'n', 8, 10}},
                      SettingsCase{"UpperCaseParity", "19200,E,7,2", true, {19200, 'e', 7, 20}},
                      SettingsCase{"OneAndHalfStop", "1200,o,5,1.5", true, {1200, 'o', 5, 15}},
                      SettingsCase{"MarkAndSpace", "300,m,8,1", true, {300, 'm', 8, 10}},
                      SettingsCase{"BlanksIgnored", "9600, n, 8, 1", true, {9600, 'n', 8, 10}},
                      SettingsCase{"Empty", "", false, {}},
                      SettingsCase{"ThreeFields", "9600,n,8", false, {}},
                      SettingsCase{"FiveFields", "9600,n,8,1,1", false, {}},
                      SettingsCase{"BaudNotNumber", "fast,n,8,1", false, {}},
                      SettingsCase{"BaudZero", "0,n,8,1", false, {}},
                      SettingsCase{"BaudTrailingText", "9600x,n,8,1", false, {}},
                      SettingsCase{"UnknownParity", "9600,x,8,1", false, {}},
                      SettingsCase{"ParityWord", "9600,none,8,1", false, {}},
                      SettingsCase{"NineDataBits", "9600,n,9,1", false, {}},
                      SettingsCase{"FourDataBits", "9600,n,4,1", false, {}},
                      SettingsCase{"ThreeStopBits", "9600,n,8,3", false, {}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
