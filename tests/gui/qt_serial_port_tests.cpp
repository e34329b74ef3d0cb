// The serial port adapter against a real pseudo-terminal behind a ports/COM3 link.
#include "platform/pseudo_terminal.h"
#include "platform/qt_serial_port.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <numeric>
#include <string>
#include <thread>

namespace pv {
namespace {

namespace fs = std::filesystem;

// A request with the bytes a line in cooked or flow-controlled mode would alter.
const Bytes Request{0xFF, 0x03, 0x11, 0x13, 0x00, 0x0A, 0x0D, 0x7F};

// The longest reply, 69 bytes counting up from 0x00 through 0x0A, 0x0D, 0x11 and 0x13.
const Bytes LongestReply = [] {
    Bytes reply(69);
    std::iota(reply.begin(), reply.end(), std::uint8_t{0});
    return reply;
}();

class QtSerialPortTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        NewDevice();
        port_.SetCommPort(3);
    }

    void LinkTo(const std::string &target)
    {
        const fs::path link = fs::path(folder_.path().toStdString()) / "ports" / "COM3";
        fs::create_directories(link.parent_path());
        fs::remove(link);
        fs::create_symlink(target, link);
    }

    // A fresh pseudo-terminal behind ports/COM3, as a restarted simulator makes it.
    void NewDevice()
    {
        pty_ = PseudoTerminal::Create();
        ASSERT_NE(pty_, nullptr);
        LinkTo(pty_->SlavePath());
    }

    // The simulator ends; its link stays but leads nowhere.
    void DeviceGone()
    {
        pty_.reset();
        LinkTo("/dev/pv-no-such-device");
    }

    // Gathers what arrives, for at most a few seconds. No event loop turns in between, so Input
    // itself must fetch what the driver holds.
    Bytes Collect(std::size_t expected, bool atDevice)
    {
        Bytes got;
        for (int round = 0; round < 400 && got.size() < expected; ++round) {
            if (!atDevice)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const Bytes part = atDevice ? pty_->Read(10) : port_.Input();
            got.insert(got.end(), part.begin(), part.end());
        }
        return got;
    }

    QTemporaryDir folder_;
    std::unique_ptr<PseudoTerminal> pty_;
    QtSerialPort port_{folder_.path().toStdString()};
};

TEST_F(QtSerialPortTest, BytesGoBothWaysUnchanged)
{
    pty_->Write(Bytes{0x55, 0x66}); // before the port was ours: nobody's bytes
    port_.Open();
    ASSERT_TRUE(port_.IsOpen());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port_.Input().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(port_.DeviceErrorCount(), 0) << "an empty take is no failure";

    port_.Output(Request);
    EXPECT_EQ(Collect(Request.size(), true), Request);
    pty_->Write(LongestReply);
    EXPECT_EQ(Collect(LongestReply.size(), false), LongestReply);
    EXPECT_TRUE(port_.Input().empty()) << "a take empties the receive buffer";
}

TEST_F(QtSerialPortTest, CloseLetsGoOfDeviceAndReopenCarriesTraffic)
{
    EXPECT_THROW(port_.Output(Request), PortError);
    EXPECT_THROW(port_.Input(), PortError);
    port_.Open();
    port_.Close();
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_FALSE(port_.DeviceOpen());
    EXPECT_THROW(port_.Output(Request), PortError);

    port_.Open();
    port_.Output(Request);
    EXPECT_EQ(Collect(Request.size(), true), Request);
}

TEST_F(QtSerialPortTest, FailedOpenThrowsPortErrorAndStaysClosed)
{
    port_.SetSettings("9600,n,8"); // no stop bits
    EXPECT_THROW(port_.Open(), PortError);
    EXPECT_FALSE(port_.IsOpen());

    port_.SetSettings(LineSettings);
    DeviceGone(); // the link leads to a missing device
    EXPECT_THROW(port_.Open(), PortError);
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_FALSE(port_.DeviceOpen());
}

TEST_F(QtSerialPortTest, VanishedDeviceIsLetGoWithoutSpinningUntilPortIsClosed)
{
    port_.Open();
    DeviceGone();
    QTest::qWait(200);

    EXPECT_TRUE(port_.IsOpen()) << "the logic keeps its port";
    EXPECT_FALSE(port_.DeviceOpen()) << "the dead device must be let go";
    EXPECT_GE(port_.DeviceErrorCount(), 1);
    EXPECT_LE(port_.DeviceErrorCount(), 5) << "a dead device must not be polled in a loop";

    const int before = port_.DeviceErrorCount();
    EXPECT_TRUE(port_.Input().empty());
    EXPECT_THROW(port_.Output(Request), PortError);
    EXPECT_EQ(port_.DeviceErrorCount(), before + 2) << "one attempt to reopen per call";
    EXPECT_TRUE(port_.IsOpen());

    port_.Close(); // stops the retrying, also once the device is back
    NewDevice();
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_THROW(port_.Output(Request), PortError);
    EXPECT_THROW(port_.Input(), PortError);
    EXPECT_FALSE(port_.DeviceOpen()) << "no attempt to reopen";
}

TEST_F(QtSerialPortTest, NewDeviceUnderSameLinkCarriesTrafficAgain)
{
    port_.Open();
    DeviceGone();
    EXPECT_THROW(port_.Output(Request), PortError) << "noticed without the event loop";
    EXPECT_FALSE(port_.DeviceOpen());
    NewDevice();
    EXPECT_TRUE(port_.Input().empty());
    EXPECT_TRUE(port_.DeviceOpen()) << "found again by a take";
    port_.Output(Request);
    EXPECT_EQ(Collect(Request.size(), true), Request);
    pty_->Write(LongestReply);
    EXPECT_EQ(Collect(LongestReply.size(), false), LongestReply);
}

struct SettingsCase
{
    const char *name;
    const char *text;
    const char *expected; // baud, parity, data bits, stop bits in tenths; "none" when refused
};

using LineSettingsParse = ::testing::TestWithParam<SettingsCase>;

TEST_P(LineSettingsParse, GivesTheLineOrNothing)
{
    const auto parsed = ParseLineSettings(GetParam().text);
    const std::string shown = parsed ? std::to_string(parsed->baudRate) + ',' + parsed->parity + ','
                                           + std::to_string(parsed->dataBits) + ','
                                           + std::to_string(parsed->stopBitsTenths)
                                     : "none";
    EXPECT_EQ(shown, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LineSettingsParse,
    ::testing::Values(SettingsCase{"Standard_9600n81", "9600,n,8,1", "9600,n,8,10"},
                      SettingsCase{"UpperParity_OneAndHalfStop", "19200,E,7,1.5", "19200,e,7,15"},
                      SettingsCase{"Blanks_Mark_TwoStop", "300, m, 5, 2", "300,m,5,20"},
                      SettingsCase{"ThreeFields", "9600,n,8", "none"},
                      SettingsCase{"FiveFields", "9600,n,8,1,1", "none"},
                      SettingsCase{"BaudTrailingText", "9600x,n,8,1", "none"},
                      SettingsCase{"NineDataBits", "9600,n,9,1", "none"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
