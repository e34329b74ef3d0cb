// The serial port adapter against a real pseudo-terminal behind a ports/COM3 link. That it drops
// an adapter's echo is the end-to-end tests' (an echoing inverter-sim, no CRC failure, the hint).
#include "platform/pseudo_terminal.h"
#include "platform/qt_serial_port.h"

#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

namespace pv {
namespace {

namespace fs = std::filesystem;

// A request with the bytes a line in cooked or flow-controlled mode would alter.
const Bytes Request{0xFF, 0x03, 0x11, 0x13, 0x00, 0x0A, 0x0D, 0x7F};

// The longest reply, 69 bytes counting up from 0x00 through 0x0A, 0x0D, 0x11 and 0x13.
const Bytes LongestReply = [] {
    Bytes reply;
    for (std::uint8_t b = 0; b < 69; ++b)
        reply.push_back(b);
    return reply;
}();

long ResidentKib()
{
    std::ifstream status("/proc/self/status");
    std::string field;
    long kib = 0;
    while (status >> field && field != "VmRSS:")
        status.ignore(256, '\n');
    status >> kib;
    return kib;
}

class QtSerialPortTest : public ::testing::Test
{
protected:
    void SetUp() override { Relink(true), port_.SetCommPort(3); }

    // With the device present: a fresh pseudo-terminal behind ports/COM3, as a restarted
    // simulator makes it. Without: the link an ended simulator leaves, leading nowhere.
    void Relink(bool present)
    {
        pty_ = present ? PseudoTerminal::Create() : nullptr;
        ASSERT_TRUE(pty_ || !present);
        const fs::path link = fs::path(folder_.path().toStdString()) / "ports" / "COM3";
        fs::create_directories(link.parent_path());
        fs::remove(link);
        fs::create_symlink(pty_ ? pty_->SlavePath() : "/dev/pv-no-such-device", link);
    }

    // Sends the request and answers with the longest reply. Between port takes no event loop
    // turns, so Input itself must fetch what the driver holds.
    void ExpectBothWays()
    {
        port_.Output(Request);
        Bytes atDevice, atPort;
        for (int i = 0; i < 400 && atDevice.size() < Request.size(); ++i) {
            const Bytes part = pty_->Read(10);
            atDevice.insert(atDevice.end(), part.begin(), part.end());
        }
        EXPECT_EQ(atDevice, Request);
        pty_->Write(LongestReply);
        for (int i = 0; i < 400 && atPort.size() < LongestReply.size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            const Bytes part = port_.Input();
            atPort.insert(atPort.end(), part.begin(), part.end());
        }
        EXPECT_EQ(atPort, LongestReply);
        EXPECT_TRUE(port_.Input().empty()) << "a take empties the receive buffer";
    }

    QTemporaryDir folder_;
    std::unique_ptr<PseudoTerminal> pty_;
    QtSerialPort port_{folder_.path().toStdString()};
};

TEST_F(QtSerialPortTest, BytesGoBothWaysUnchangedAndArrivalsAreNotedAsTheyCome)
{
    pty_->Write(Bytes{0x55, 0x66}); // before the port was ours: nobody's bytes
    port_.Open();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port_.Input().empty());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(port_.DeviceErrorCount(), 0) << "an empty take is no failure";
    ExpectBothWays();

    // The event loop turns while a reply comes in, as between two ticks of the tool: its arrival
    // is noted then, not at the take.
    const auto beforeWrite = std::chrono::steady_clock::now();
    pty_->Write(LongestReply);
    ASSERT_TRUE(QTest::qWaitFor([&] { return port_.LastArrival() >= beforeWrite; }, 2000));
    QTest::qWait(100);
    EXPECT_EQ(port_.Input(), LongestReply);
}

TEST_F(QtSerialPortTest, ClosedOrFailedPortThrowsPortError)
{
    EXPECT_THROW(port_.Output(Request), PortError);
    port_.SetSettings("9600,n,8"); // no stop bits
    EXPECT_THROW(port_.Open(), PortError);
    port_.SetSettings(LineSettings);
    Relink(false);
    EXPECT_THROW(port_.Open(), PortError);
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_FALSE(port_.DeviceOpen());
}

TEST_F(QtSerialPortTest, VanishedDeviceIsRetriedSparinglyUntilBackOrPortClosed)
{
    port_.Open();
    Relink(false);
    QTest::qWait(200);
    EXPECT_TRUE(port_.IsOpen()) << "the logic keeps its port";
    EXPECT_FALSE(port_.DeviceOpen()) << "the dead device must be let go";
    EXPECT_GE(port_.DeviceErrorCount(), 1);
    EXPECT_LE(port_.DeviceErrorCount(), 5) << "a dead device must not be polled in a loop";
    const int before = port_.DeviceErrorCount();
    EXPECT_TRUE(port_.Input().empty());
    EXPECT_THROW(port_.Output(Request), PortError);
    EXPECT_EQ(port_.DeviceErrorCount(), before + 2) << "one attempt to reopen per call";

    Relink(true); // the simulator is back: traffic resumes
    EXPECT_TRUE(port_.Input().empty());
    EXPECT_TRUE(port_.DeviceOpen()) << "found again by a take";
    ExpectBothWays();

    Relink(false);
    EXPECT_THROW(port_.Output(Request), PortError) << "noticed without the event loop";
    port_.Close(); // stops the retrying, also once the device is back
    Relink(true);
    EXPECT_FALSE(port_.IsOpen());
    EXPECT_THROW(port_.Input(), PortError);
    EXPECT_FALSE(port_.DeviceOpen()) << "no attempt to reopen";
}

TEST_F(QtSerialPortTest, FloodedLineCostsBoundedMemoryAndAReplyAfterItArrivesWhole)
{
    port_.Open();
    const long residentBefore = ResidentKib();
    // The peer: random bytes whenever the terminal takes more, while the event loop turns.
    auto room = std::make_unique<QSocketNotifier>(pty_->MasterFd(), QSocketNotifier::Write);
    std::size_t sent = 0;
    std::uint32_t state = 0x2545F491;
    QObject::connect(room.get(), &QSocketNotifier::activated, room.get(), [&] {
        std::uint8_t chunk[4096];
        for (auto &byte : chunk)
            state ^= state << 13, state ^= state >> 17, state ^= state << 5, byte = state & 0xFF;
        sent += static_cast<std::size_t>(
            std::max<ssize_t>(::write(pty_->MasterFd(), chunk, 4096), 0));
    });
    std::size_t largest = 0;
    for (int take = 0; take < 8; ++take) {
        QTest::qWait(250); // the window's event loop turns between two takes
        largest = std::max(largest, port_.Input().size());
    }
    room.reset();
    EXPECT_GT(sent, 8 * QtSerialPort::ReadBufferBytes) << "the line must really have flooded";
    EXPECT_GT(largest, 0u);
    EXPECT_LE(largest, QtSerialPort::ReadBufferBytes) << "one take is bounded";
    EXPECT_LT(ResidentKib() - residentBefore, 8 * 1024) << "resident memory grew by so many KiB";

    QTest::qWait(100);   // the last of the flood lands
    (void)port_.Input(); // the exchange's discard before a send leaves no backlog
    ExpectBothWays();
    EXPECT_EQ(port_.DeviceErrorCount(), 0);
}

TEST(LineSettingsParse, GivesTheLineOrNothing)
{
    // The text, and baud,parity,data bits,stop bits in tenths, or "none" when refused.
    const std::pair<const char *, const char *> cases[]
        = {{"9600,n,8,1", "9600,n,8,10"},  {"19200,E,7,1.5", "19200,e,7,15"},
           {"300, m, 5, 2", "300,m,5,20"}, {"9600,n,8", "none"},
           {"9600x,n,8,1", "none"},        {"9600,n,9,1", "none"}};
    for (const auto &[text, expected] : cases) {
        const auto p = ParseLineSettings(text);
        EXPECT_EQ(p ? std::to_string(p->baudRate) + ',' + p->parity + ','
                          + std::to_string(p->dataBits) + ',' + std::to_string(p->stopBitsTenths)
                    : "none",
                  expected)
            << text;
    }
}

} // namespace
} // namespace pv
