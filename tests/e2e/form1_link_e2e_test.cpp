// The link against the inverter-sim program: version check, readings, a refused firmware, a
// simulator that goes away and comes back.
#include "support/e2e_fixture.h"

namespace pv {
namespace {

using namespace test;
using text::LinkGood, text::NoReply, text::VersionRefused;

TEST_F(Form1LinkTest, ChoosingCom1PassesVersionCheckAndShowsReadings)
{
    StartSimulator();
    ASSERT_TRUE(port_.IsOpen());
    EXPECT_EQ(form_->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_TRUE(WaitGoodWithReadings()) << Seen();
    EXPECT_TRUE(stand_.shown.empty());
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

TEST_F(Form1LinkTest, StoppedSimulatorGivesBadLampAndRestartBringsReadingsBack)
{
    StartSimulator();
    ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
    StopSimulator();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Shows(NoReply, false); }, LimitMs)) << Seen();
    EXPECT_TRUE(port_.IsOpen()) << "the port stays chosen";
    EXPECT_TRUE(ui().Timer1->isActive()) << "the cycle goes on polling";
    StartSimulator({}, false); // no new port choice
    EXPECT_TRUE(WaitGoodWithReadings()) << Seen();
    EXPECT_TRUE(stand_.shown.empty());
}

} // namespace
} // namespace pv
