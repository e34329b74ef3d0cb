// The line recorder behind a scripted port: the verdict and counter of each kind of reply, the
// same verdict as the value store gives, discards, port failures, the ring, round trips, hints.
// The hints of the simulator's fault knobs, and the echo its port drops, are the line view's
// window and end-to-end tests.

#include "link/line_recorder.h"
#include "link/value_store.h"
#include "support/fake_serial_port.h"

#include <gtest/gtest.h>

#include <chrono>
#include <tuple>

namespace pv {
namespace {

using namespace std::chrono_literals;

Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

Bytes ReadReply(int registers)
{
    Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * registers)};
    reply.resize(3 + 2 * registers, 0x11);
    return WithCrc(reply);
}

Bytes Damaged(Bytes frame)
{
    frame.back() ^= 0x5A;
    return frame;
}

Bytes Joined(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The first monitor request, 0xC020 x 32, and what its channel records.
const Bytes Request = WithCrc({0xFF, 0x03, 0xC0, 0x20, 0x00, 0x20});
const RequestInfo Asked{0xC040, ReadFunction, 32};

// Requests, good replies, CRC failures, no answer, too short, refused, exception replies.
using Counts = std::tuple<std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t,
                          std::uint64_t, std::uint64_t>;
Counts Counted(const LineCounters &c)
{
    return {c.requests, c.goodReplies, c.crcFailures, c.noAnswer,
            c.tooShort, c.refused,     c.exceptions};
}

// A port that tells arrival times.
struct ArrivalPort : test::FakeSerialPort
{
    std::optional<LineClock::time_point> arrival;
    std::optional<LineClock::time_point> LastArrival() const override { return arrival; }
};

class LineRecorderTest : public ::testing::Test
{
protected:
    LineRecorderTest()
    {
        port.SetContext([this] { return context; });
        port.Open();
    }

    // A monitor step: the discard and the request (step 0), or the take (step 1).
    void Send()
    {
        context.step = 0;
        (void)port.Input();
        port.Output(Request);
    }
    Bytes Take()
    {
        context.step = 1;
        return port.Input();
    }
    // A request and its reply, taken 350 ms later; the port saw the reply's last byte `arrival`
    // after the send, or cannot tell.
    void Exchange(const Bytes &reply, std::optional<LineClock::duration> arrival = {})
    {
        Send();
        fake.arrival = arrival ? std::optional(now + *arrival) : std::nullopt;
        now += 350ms;
        fake.QueueReply(reply);
        Take();
    }
    Counts Counted() const { return pv::Counted(recorder.Counters()); }
    const LineEntry &Last() const { return recorder.At(recorder.Size() - 1); }

    LineClock::time_point now{};
    LineRecorder recorder{[this] { return now; }};
    ArrivalPort fake;
    RecordingPort port{fake, recorder};
    // What the port is told at each call; a test changes it as the exchange logic would.
    LineContext context{ExchangeState::Monitor, 0, Asked};
};

struct ReplyCase
{
    const char *name;
    Bytes reply;
    ReplyVerdict verdict;
    std::uint64_t LineCounters::*counter; // the one count besides the request
    std::uint8_t exceptionCode = 0;
    bool echoed = false;
};

class RecordedReply : public LineRecorderTest, public ::testing::WithParamInterface<ReplyCase>
{
};

TEST_P(RecordedReply, GetsTheValueStoresVerdictAndItsCounter)
{
    const ReplyCase &c = GetParam();
    fake.QueueReply({}); // the discard before the send finds nothing
    fake.QueueReply(c.reply);
    Send();
    EXPECT_EQ(Take(), c.reply) << "the take is handed on unchanged";
    ASSERT_EQ(recorder.Size(), 2u) << "an empty discard is no entry";
    const LineEntry &reply = Last();
    EXPECT_EQ(std::tie(reply.event, reply.verdict, reply.bytes, reply.step),
              std::make_tuple(LineEvent::Reply, c.verdict, c.reply, 1));
    EXPECT_EQ(std::tie(reply.exceptionCode, reply.echoed), std::tie(c.exceptionCode, c.echoed));
    ASSERT_TRUE(reply.block.has_value());
    EXPECT_EQ(std::tie(reply.block->function, reply.block->start, reply.block->count),
              std::make_tuple(ReadFunction, std::uint16_t{0xC020}, std::uint16_t{32}));
    LineCounters expected;
    expected.requests = 1;
    ++(expected.*c.counter);
    EXPECT_EQ(Counted(), pv::Counted(expected));
    // One home for the rules: the value store accepts exactly what the recorder calls accepted.
    ValueStore store;
    EXPECT_EQ(store.DecodeReply(c.reply, Asked, false), c.verdict == ReplyVerdict::Accepted);
}

using V = ReplyVerdict;
using L = LineCounters;
const ReplyCase ReplyCases[] = {
    {"Good", ReadReply(32), V::Accepted, &L::goodReplies},
    {"Nothing", {}, V::NoAnswer, &L::noAnswer},
    {"TwoBytes", {0xFF, 0x03}, V::TooShort, &L::tooShort},
    {"DamagedCrc", Damaged(ReadReply(32)), V::CrcFailed, &L::crcFailures},
    {"Exception04", WithCrc({0xFF, 0x83, 0x04}), V::Exception, &L::exceptions, 4},
    {"OtherFunction", WithCrc({0xFF, 0x10, 0xC0, 0x20, 0x00, 0x20}), V::FunctionMismatch,
     &L::refused},
    // A port without an echo filter hands the adapter's copy on in front of the reply.
    {"EchoInFront", Joined(Request, ReadReply(32)), V::CrcFailed, &L::crcFailures, 0, true},
    {"OnlyTheEchoIsRefused", Request, V::ByteCountMismatch, &L::refused, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Line, RecordedReply, ::testing::ValuesIn(ReplyCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Replies that come too late for their take are found by the discard before the next request:
// stray bytes, no reply; and since the line works, five empty takes behind them are no word about
// the cable.
TEST_F(LineRecorderTest, LateRepliesAreStrayEntriesAndNoCableHint)
{
    const Bytes late = ReadReply(32);
    for (std::size_t i = 0; i < LineRecorder::HintWindow; ++i) {
        fake.QueueReply(late);
        fake.QueueReply({});
        Send();
        Take();
    }
    EXPECT_EQ(std::tie(recorder.At(0).event, recorder.At(0).bytes, recorder.At(1).event),
              std::make_tuple(LineEvent::Stray, late, LineEvent::Sent));
    EXPECT_EQ(Counted(), (Counts{5, 0, 0, 5, 0, 0, 0}));
    EXPECT_EQ(recorder.Hints(), std::vector<LineHint>{});
}

TEST_F(LineRecorderTest, AReplyTakenBetweenExchangesIsListedUnfiledAndUncounted)
{
    Send();
    context.dispatched = false; // an exchange waits for the next monitor tick
    fake.QueueReply(ReadReply(32));
    Take();
    EXPECT_EQ(std::tie(Last().filed, Last().verdict),
              std::make_tuple(false, ReplyVerdict::Accepted));
    EXPECT_EQ(Counted(), (Counts{1, 0, 0, 0, 0, 0, 0}));
}

TEST_F(LineRecorderTest, AtAnUnknownStepTheFirstInputAfterASendIsTheTake)
{
    context = {ExchangeState::CalibrationRead, LineContext::UnknownStep,
               RequestInfo{0, ReadFunction, 1}, true, true};
    fake.QueueReply(ReadReply(2));                      // found by the discard
    fake.QueueReply(WithCrc({0xFF, 0x03, 0x02, 0, 0})); // the calibration reply
    (void)port.Input();
    port.Output(Request);
    (void)port.Input();
    ASSERT_EQ(recorder.Size(), 3u);
    EXPECT_EQ(recorder.At(0).event, LineEvent::Stray);
    // Judged against the request, as the value store judges it.
    EXPECT_EQ(std::tie(Last().event, Last().verdict),
              std::make_tuple(LineEvent::Reply, ReplyVerdict::Accepted));
}

TEST_F(LineRecorderTest, PortFailuresAreListedAndPassedOn)
{
    fake.outputFailuresLeft = 1;
    EXPECT_THROW(Send(), PortError);
    EXPECT_EQ(std::tie(Last().event, Last().bytes),
              std::make_tuple(LineEvent::SendFailed, Request));
    fake.inputFailuresLeft = 1;
    EXPECT_THROW(Take(), PortError);
    EXPECT_EQ(Last().event, LineEvent::PortFailed);
    // A request that never left is no request; the failed take is a reply that never came.
    EXPECT_EQ(Counted(), (Counts{0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(LineRecorderTest, TheRingDropsTheOldestEntryClearEmptiesItAndAFloodIsCut)
{
    context.step = 0;
    for (std::size_t i = 0; i <= LineRecorder::Capacity; ++i)
        port.Output(WithCrc({0xFF, 0x03, 0xC0, static_cast<std::uint8_t>(i), 0x00, 0x01}));
    EXPECT_EQ(recorder.Size(), LineRecorder::Capacity);
    EXPECT_EQ(recorder.FirstSequence(), 1u);
    EXPECT_EQ(recorder.At(0).bytes[3], 1) << "the first request is gone, the second is oldest";
    EXPECT_EQ(Last().bytes[3], LineRecorder::Capacity % 256);
    recorder.Clear();
    Send();
    EXPECT_EQ(recorder.Size(), 1u);
    EXPECT_EQ(recorder.At(0).sequence, LineRecorder::Capacity + 1);
    EXPECT_EQ(recorder.Counters().requests, LineRecorder::Capacity + 2);
    // A flooded take keeps its length and its first bytes.
    Exchange(Bytes(4096, 0xAA));
    EXPECT_EQ(Last().length, 4096u);
    EXPECT_EQ(Last().bytes.size(), LineRecorder::MaxKeptBytes);
}

TEST_F(LineRecorderTest, RoundTripsRunFromTheSendToTheLastByteOrElseToTheTake)
{
    using Ms = std::optional<std::int64_t>;
    const auto figures = [this] {
        const RoundTripFigures f = recorder.RoundTrip();
        return std::make_tuple(f.lastMs, f.medianMs, f.maxMs, f.measuredAtTake);
    };
    for (const auto after : {74ms, 30ms, 50ms})
        Exchange(ReadReply(32), after);
    EXPECT_EQ(figures(), std::make_tuple(Ms{50}, Ms{50}, Ms{74}, false));
    // Bytes seen before this send belong to no reply of it: measured at the take.
    Exchange(ReadReply(32), -1ms);
    EXPECT_EQ(figures(), std::make_tuple(Ms{350}, Ms{50}, Ms{350}, true));
    // A port opened again starts the counts and figures afresh; the list stays.
    port.Close();
    port.Open();
    EXPECT_EQ(Counted(), (Counts{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(figures(), std::make_tuple(Ms{}, Ms{}, Ms{}, false));
    EXPECT_EQ(recorder.Size(), 8u);
}

// Hints from the replies to a run of requests; each row names the replies in turn.
struct HintCase
{
    const char *name;
    std::vector<Bytes> replies;
    std::vector<LineHint> hints;
};

class RecordedHints : public LineRecorderTest, public ::testing::WithParamInterface<HintCase>
{
};

TEST_P(RecordedHints, AppearForTheirPatternOnly)
{
    for (const Bytes &reply : GetParam().replies)
        Exchange(reply);
    EXPECT_EQ(recorder.Hints(), GetParam().hints);
}

const Bytes Good = ReadReply(32);
const Bytes Bad = Damaged(ReadReply(32));
const Bytes Refusal = WithCrc({0xFF, 0x83, 0x02});
const Bytes Echoed = Joined(Request, ReadReply(32));

const HintCase HintCases[] = {
    {"FiveSilences", {Good, {}, {}, {}, {}, {}}, {LineHint::NoReply}},
    {"FourSilencesAreNoPatternYet", {{}, {}, {}, {}, Good}, {}},
    {"EveryCrcFails", {Bad, Bad, {0x13}, Bad, Bad}, {LineHint::CrcFailures}},
    {"EveryReplyBehindItsEcho", {Echoed, Echoed, Echoed, Echoed, Echoed}, {LineHint::Echo}},
    {"OneRefusal", {Good, Refusal, Good}, {LineHint::Exception}},
    {"RefusalLongAgo", {Refusal, Good, Good, Good, Good, Good}, {}},
};

INSTANTIATE_TEST_SUITE_P(Line, RecordedHints, ::testing::ValuesIn(HintCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LineTexts, HexRegisterElapsedTimeAndRequestBlock)
{
    EXPECT_EQ(HexText(Bytes{0xFF, 0x03, 0x0A}), "FF 03 0A");
    EXPECT_EQ(RegisterText(0x0F01), "0x0F01");
    EXPECT_EQ(ElapsedText(3723045ms), "1:02:03.045");
    EXPECT_EQ(ElapsedText(-5ms), "0:00:00.000");
    // The block a request asks for, from its own bytes.
    const auto block = [](Bytes frame) {
        const auto b = RequestBlock(WithCrc(std::move(frame)));
        return b ? std::make_tuple(b->function, b->start, b->count)
                 : std::make_tuple(std::uint8_t{0}, std::uint16_t{0}, std::uint16_t{0});
    };
    EXPECT_EQ(block({0xFF, 0x10, 0xC0, 0x88, 0x00, 0x02, 0x04, 1, 2, 3, 4}),
              std::make_tuple(WriteFunction, std::uint16_t{0xC088}, std::uint16_t{2}));
    // A single-word 0x64 write carries a value where a count would be.
    EXPECT_EQ(block({0xFF, 0x64, 0xCF, 0x01, 0x12, 0x34}),
              std::make_tuple(OwnWriteFunction, std::uint16_t{0xCF01}, std::uint16_t{1}));
    EXPECT_FALSE(RequestBlock(Bytes{0xFF, 0x03, 0xC0}).has_value());
}

} // namespace
} // namespace pv
