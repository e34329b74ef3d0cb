// The calibration exchanges, on the calibration window's ticks.

#include "core/exchange_machine_rig.h"

#include <tuple>

namespace pv::test {
namespace {

// The calibration window's ticks, through the machine running the calibration table. A reply
// passes on its CRC and on answering what was asked (a late reply of another block is no
// calibration read, a late read reply no write acknowledgement; a broken CRC fails the same way);
// a read whose reply cannot fill the window's row fails like a broken one; a request that cannot
// be built is refused with 132 and nothing is sent; a send that failed leaves its reply step
// nothing to take. Every exchange ends at its reply, and later ticks do nothing.
TEST(CalibrationSteps, SendAfterDiscardingTakeOnceAndEndWithTheCalibrationWindowOpen)
{
    enum Fault { None, RowUnfilled, Unbuildable, SendFails, LateReply };
    const Calls readFailed{"Build 0", "Message 127 in ''"};
    constexpr auto Read = S::CalibrationRead, Write = S::CalibrationWrite;
    // State begun, fault, ticks, calls, requests sent, port takes.
    const std::tuple<S, Fault, int, Calls, int, int> cases[]
        = {{Read, None, 4, {"Build 0", "ShowCalibrationValues"}, 1, 2},
           {Read, RowUnfilled, 2, readFailed, 1, 2},
           {Read, SendFails, 2, readFailed, 0, 1},
           {Read, LateReply, 2, readFailed, 1, 2},
           {Write, None, 2, {"Build 2", "Message 129 in ''"}, 1, 2},
           {Write, Unbuildable, 3, {"Build 2", "Message 132 in ''"}, 0, 0},
           {Write, LateReply, 2, {"Build 2", "Message 128 in ''"}, 1, 2}};
    for (const auto &[state, fault, ticks, calls, sent, takes] : cases) {
        SCOPED_TRACE(testing::Message() << ExchangeStateText(state) << ", fault " << fault);
        Rig rig(6);
        rig.Prepare(state);
        rig.unbuildable = fault == Unbuildable ? 2 : -1;
        rig.shortCalibrationRead = fault == RowUnfilled;
        // The read of what was asked, the acknowledgement of the settings write; a late reply
        // is the readings block's for the read and the calibration read's for the write.
        rig.port.responder = [fault = fault](ByteView request) {
            const bool write = request[1] == OwnWriteFunction, late = fault == LateReply;
            const auto bytes = static_cast<std::uint8_t>(2 * request[5]);
            const Bytes ack{0xFF, 0x64, 0xCF, 0x03, 0x00, 0x07};
            const Bytes calibration = Bytes{0xFF, 0x03, 0x1E} + Bytes(30);
            const Bytes asked = Bytes{0xFF, 0x03, bytes} + Bytes(bytes);
            const Bytes readings = Bytes{0xFF, 0x03, 0x40} + Bytes(64);
            const Bytes &reply = write ? (late ? calibration : ack) : (late ? readings : asked);
            return WithCrc(reply);
        };
        rig.port.outputFailuresLeft = fault == SendFails ? 1 : 0;
        for (int n = 0; n < ticks; ++n)
            rig.machine.CalibrationExchangeStep();
        EXPECT_EQ(rig.calls, calls);
        EXPECT_EQ(std::pair(static_cast<int>(rig.port.written.size()), rig.port.inputCalls),
                  std::pair(sent, takes));
        EXPECT_EQ(rig.machine.State(), S::CalibrationWindowOpen);
    }
}

} // namespace
} // namespace pv::test
