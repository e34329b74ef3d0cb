// The link against the inverter-sim program: a refused firmware, ten pulled cables. The version
// check and readings on a plain and an echoing line are the line view's and the service visit's.
#include "support/e2e_fixture.h"

#include <sys/resource.h>

#include <chrono>
#include <iterator>

namespace pv {
namespace {

using namespace test;
using text::NoReply, text::VersionRefused;

// Processor time of this process (the window and its port; the simulator is a child), and its
// open file descriptors.
std::chrono::microseconds CpuTime()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto micros = [](const timeval &t) {
        return std::chrono::seconds(t.tv_sec) + std::chrono::microseconds(t.tv_usec);
    };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}
std::ptrdiff_t OpenDescriptors()
{
    return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator{});
}

TEST_F(Form1LinkTest, RefusedVersionStopsCycleWithMessage151Once)
{
    StartSimulator({"--version", "00000811"}); // positions 3..8 "000811": a refused firmware
    ASSERT_TRUE(QTest::qWaitFor([&] { return !stand_.shown.empty(); }, LimitMs)) << Seen();
    EXPECT_EQ(stand_.shown.front(), form_->LanguageText(VersionRefused));
    EXPECT_TRUE(Shows(VersionRefused, false)) << Seen();
    QTest::qWait(2 * 6 * MonitorIntervalMs); // a cycle that went on would show it again
    EXPECT_EQ(stand_.shown.size(), 1u) << "the message is shown once";
    EXPECT_FALSE(ui().Timer1->isActive());
}

// The cable pulled and plugged back ten times: the simulator ends (taking its ports/COM1 link
// with it) and starts again. Each time the readings return without a new port choice, the
// window does not spin while the device is gone, and nothing is left open afterwards.
TEST_F(Form1LinkTest, TenPulledCablesRecoverWithoutSpinningOrLeakingDescriptors)
{
    constexpr auto Gap = std::chrono::milliseconds(1500);
    constexpr double BusyShareLimit = 0.3; // a bound against spinning, not a speed goal
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    const auto descriptors = OpenDescriptors();
    for (int pull = 1; pull <= 10; ++pull) {
        SCOPED_TRACE("pull " + std::to_string(pull));
        const auto wallStart = std::chrono::steady_clock::now();
        const auto cpuStart = CpuTime();
        StopSimulator();
        ASSERT_FALSE(fs::exists(fs::symlink_status(program_ / "ports" / "COM1")));
        EXPECT_TRUE(QTest::qWaitFor([&] { return Shows(NoReply, false); }, LimitMs)) << Seen();
        EXPECT_TRUE(port_.IsOpen() && ui().Timer1->isActive()) << "the port stays, polling goes on";
        const auto waited = std::chrono::steady_clock::now() - wallStart;
        if (waited < Gap)
            QTest::qWait(static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(Gap - waited).count()));
        const auto wall = std::chrono::steady_clock::now() - wallStart;
        const double busyShare = std::chrono::duration<double>(CpuTime() - cpuStart).count()
                                 / std::chrono::duration<double>(wall).count();
        EXPECT_LT(busyShare, BusyShareLimit) << "processor time while the device was gone";

        StartSimulator({}, false);
        ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    }
    // Each return rates the firmware again, a whole cycle more, so the pulls outlast Qt's idle
    // worker threads (30 s), whose event descriptors then close: a leak is growth, not loss.
    EXPECT_LE(OpenDescriptors(), descriptors);
    EXPECT_TRUE(port_.IsOpen());
    EXPECT_TRUE(stand_.shown.empty());
}

} // namespace
} // namespace pv
