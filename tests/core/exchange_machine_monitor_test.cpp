// The monitor cycle: the version check, the lamp, what is filed, a lost link, a port choice.

#include "core/exchange_machine_rig.h"

#include <algorithm>
#include <tuple>

namespace pv::test {
namespace {

TEST(ClassifyOperatingVersion, RefusesFrom000811To00099B)
{
    constexpr auto R = VersionVerdict::Refused, A = VersionVerdict::Accepted;
    // A letter in positions 3..6 counts as 0; fewer than 8 characters give no verdict.
    const std::pair<const char *, std::optional<VersionVerdict>> cases[]
        = {{"V1000811", R}, {"V1000810", A}, {"V10009A0", A},          {"V100099B", R},
           {"V100099C", A}, {"V1A00811", R}, {"V100081", std::nullopt}};
    for (const auto &[version, verdict] : cases)
        EXPECT_EQ(ClassifyOperatingVersion(version), verdict) << version;
}

TEST(MonitorCycle, ReadsC020C0B0C080DiscardingBeforeEachSendAndRatesOnlyTheLastReply)
{
    // A refused version turns the lamp bad and stops Timer1 with message 151, once.
    const Calls refused{"Bad 151", "Timer1 off", "Message 151 in 'CheckOperatingVersion'"};
    const std::tuple<const char *, Calls, S> cases[]
        = {{"V1000700", Calls{"Good 123"} + BackToMonitor, S::Monitor},
           {"V100099B", refused, S::CheckOperatingVersion}};
    for (const auto &[version, rated, state] : cases) {
        Rig rig(0, version);
        rig.Ticks(4);
        EXPECT_EQ(rig.calls, Calls{}) << "the version arrived with 0xC0B0 but is not rated yet";
        rig.Ticks(2);
        EXPECT_EQ(rig.port.log, (Calls{"Input 0 bytes", "Output " + C020, "Input 69 bytes",
                                       "Input 0 bytes", "Output " + C0B0, "Input 43 bytes",
                                       "Input 0 bytes", "Output " + C080, "Input 49 bytes"}));
        EXPECT_EQ(rig.calls, rated);
        EXPECT_EQ(rig.machine.State(), state);
    }
}

TEST(MonitorCycle, FailedBlockDuringCheckIsRequestedAgain)
{
    // tick whose take finds nothing, frames sent in 8 ticks
    const std::pair<int, Calls> cases[] = {{2, {C020, C020, C0B0, C080}},
                                           {4, {C020, C0B0, C0B0, C080}},
                                           {6, {C020, C0B0, C080, C080}}};
    for (const auto &[failingTick, wire] : cases) {
        Rig rig;
        rig.Ticks(failingTick - 1);
        rig.port.QueueReply({});
        rig.Ticks(9 - failingTick);
        EXPECT_EQ(rig.port.written, wire) << "missing reply at tick " << failingTick;
        EXPECT_EQ(std::count(rig.calls.begin(), rig.calls.end(), "Bad 122"), 1);
        EXPECT_EQ(rig.machine.State(), S::Monitor) << "rated once all three arrived";
    }
}

TEST(MonitorCycle, FailingPortNeverStopsTheCycle)
{
    Rig rig(6);
    rig.port.outputFailuresLeft = rig.port.inputFailuresLeft = 1000;
    rig.Ticks(6);
    EXPECT_EQ(rig.port.log.size(), 9u) << "every operation is still tried";
    EXPECT_EQ(rig.calls, (Calls{"Bad 122", "Bad 122", "Bad 122", "Controls off", "Timer1 on",
                                "Timer2 off", "Timer3 off"}))
        << "silence, a whole cycle of it: the version is rated again";
    rig.port.outputFailuresLeft = rig.port.inputFailuresLeft = 0;
    rig.port.ClearRecord();
    rig.Ticks(6);
    EXPECT_EQ(rig.port.written, (Calls{C020, C0B0, C080}));
}

// The lamp after the reply of 0xC020, and the blocks the window learns were filed: accepted
// replies outside the calibration states only (between exchanges a reply is not even examined:
// see the hand-over test). A whole reply with a bad CRC is line noise.
TEST(MonitorCycle, RepliesSetTheLampAndOnlyAcceptedOnesAreFiled)
{
    constexpr std::uint32_t Readings = reg::ImageFirst + reg::ImageIndex(reg::ReadingsBlock);
    // Prepared state, reply (empty: the simulated answer), filed, calls.
    const std::tuple<S, Bytes, std::vector<std::uint32_t>, Calls> cases[] = {
        {S::Monitor, {}, {Readings}, {"Good 123"}},
        {S::CheckOperatingVersion, {}, {Readings}, {}}, // rated after the last block only
        {S::Monitor, WithCrc(Bytes(67, 0x22), true), {}, {"Good 123"}},
        {S::Monitor, Bytes{0x00}, {}, {"Bad 122"}},
        {S::CalibrationRead, {}, {}, {"ShowCalibrationValues"}},
    };
    for (const auto &[state, reply, filed, calls] : cases) {
        SCOPED_TRACE(testing::Message() << ExchangeStateText(state) << ", " << reply.size());
        Rig rig(state == S::CheckOperatingVersion ? 0 : 6);
        rig.Ticks(1); // 0xC020 sent
        rig.calls.clear();
        rig.filed.clear();
        if (state != S::Monitor && state != S::CheckOperatingVersion)
            rig.Prepare(state);
        if (!reply.empty())
            rig.port.QueueReply(reply);
        if (state == S::CalibrationRead)
            rig.machine.HandleReply(rig.port.Input(), rig.machine.MonitorChannel().sent);
        else
            rig.Ticks(1);
        EXPECT_EQ(rig.filed, filed);
        EXPECT_EQ(rig.calls, calls);
        EXPECT_TRUE(state != S::Monitor || rig.machine.MonitorStep() == 4)
            << "no retry outside the check";
    }
}

TEST(SelectPort, OpensSkipsTheSamePortWhileMonitoringReopensDuringTheCheckAndFails)
{
    Rig rig;
    rig.Ticks(3);
    rig.machine.SelectPort(4);
    EXPECT_EQ(std::tuple(rig.port.CommPort(), rig.port.settings), std::tuple(5, "9600,n,8,1"));
    EXPECT_EQ(rig.calls, (Calls{"Timer1 off", "Good 126", "Controls off", "Timer1 on", "Timer2 off",
                                "Timer3 off"}));
    EXPECT_EQ(rig.machine.MonitorStep(), 0);
    rig.Ticks(6);
    rig.port.ClearRecord();
    rig.machine.SelectPort(4);
    EXPECT_EQ(rig.port.openCalls + rig.port.closeCalls, 0) << "monitoring goes on";
    rig.machine.AwaitVersionCheck();
    rig.machine.SelectPort(4);
    EXPECT_EQ(rig.port.closeCalls + rig.port.openCalls, 2) << "the check starts again";
    rig.calls.clear();
    rig.port.openFails = true;
    rig.machine.SelectPort(6);
    EXPECT_FALSE(rig.port.IsOpen()) << "the previous port stays closed";
    EXPECT_EQ(rig.calls, (Calls{"Timer1 off", "Bad 121", "Controls on", "Timer1 off", "Timer2 off",
                                "Timer3 off", "Message 130 in 'CheckOperatingVersion'"}));
}

// The link lost while monitoring (a whole cycle without an accepted reply, or the device gone
// and back) rates the version again as after a port choice: the cycle from its first block, the
// controls locked, message 151 for a refused firmware. Two silent replies are not yet a loss.
TEST(MonitorCycle, ALostLinkRatesTheVersionAgain)
{
    enum Loss { SilentCycle, TwoSilentReplies, DeviceLost };
    const std::tuple<Loss, S> cases[] = {{SilentCycle, S::CheckOperatingVersion},
                                         {TwoSilentReplies, S::Monitor},
                                         {DeviceLost, S::CheckOperatingVersion}};
    for (const auto &[loss, state] : cases) {
        SCOPED_TRACE(loss);
        Rig rig(6);
        rig.Ticks(1); // 0xC020 sent
        if (loss == DeviceLost) {
            ++rig.port.devicesLost;
            rig.Ticks(1);
        } else {
            for (int n = 0; n < (loss == SilentCycle ? 3 : 2); ++n) {
                rig.port.QueueReply({});
                rig.Ticks(2);
            }
        }
        EXPECT_EQ(rig.machine.State(), state);
        if (state == S::Monitor)
            continue;
        EXPECT_EQ(rig.calls.back(), "Timer3 off");
        EXPECT_NE(std::find(rig.calls.begin(), rig.calls.end(), "Controls off"), rig.calls.end());
        EXPECT_EQ(rig.machine.MonitorStep(), 1) << "0xC020 sent again";
        // Another unit answers now, with a firmware the tool refuses.
        rig.version = "V100099B";
        rig.calls.clear();
        rig.port.ClearRecord();
        rig.Ticks(5);
        EXPECT_EQ(rig.calls,
                  (Calls{"Bad 151", "Timer1 off", "Message 151 in 'CheckOperatingVersion'"}));
    }
}

// A version register without text leaves the window locked in the check, and says so.
TEST(MonitorCycle, AnUnreadableVersionIsSaidWhileTheCheckGoesOn)
{
    Rig rig(0, "");
    rig.Ticks(6);
    EXPECT_EQ(rig.calls, Calls{"Bad 276"});
    EXPECT_EQ(rig.machine.State(), S::CheckOperatingVersion);
    rig.version = "V1000700";
    rig.Ticks(6);
    EXPECT_EQ(rig.calls, (Calls{"Bad 276", "Good 123"} + BackToMonitor));
}

} // namespace
} // namespace pv::test
