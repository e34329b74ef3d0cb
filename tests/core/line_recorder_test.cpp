// The line recorder behind a scripted port: the verdict and counter of each kind of reply, the
// same verdict as the value store gives, discards, port failures, the ring, round trips, hints.

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
    void Send(const Bytes &request = Request)
    {
        context.step = 0;
        (void)port.Input();
        port.Output(request);
    }
    Bytes Take()
    {
        context.step = 1;
        return port.Input();
    }
    Counts Counted() const
    {
        const LineCounters &c = recorder.Counters();
        return {c.requests, c.goodReplies, c.crcFailures, c.noAnswer,
                c.tooShort, c.refused,     c.exceptions};
    }
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
    Counts counts; // after the request and this reply
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
    EXPECT_EQ(reply.event, LineEvent::Reply);
    EXPECT_EQ(reply.verdict, c.verdict);
    EXPECT_EQ(reply.bytes, c.reply);
    EXPECT_EQ(reply.step, 1);
    EXPECT_EQ(reply.exceptionCode, c.exceptionCode);
    EXPECT_EQ(reply.echoed, c.echoed);
    ASSERT_TRUE(reply.block.has_value());
    EXPECT_EQ(std::tie(reply.block->function, reply.block->start, reply.block->count),
              std::make_tuple(ReadFunction, std::uint16_t{0xC020}, std::uint16_t{32}));
    EXPECT_EQ(Counted(), c.counts);
    // One home for the rules: the value store accepts exactly what the recorder calls accepted.
    ValueStore store;
    EXPECT_EQ(store.DecodeReply(c.reply, Asked, false), c.verdict == ReplyVerdict::Accepted);
}

const ReplyCase ReplyCases[] = {
    {"Good", ReadReply(32), ReplyVerdict::Accepted, {1, 1, 0, 0, 0, 0, 0}},
    {"Nothing", {}, ReplyVerdict::NoAnswer, {1, 0, 0, 1, 0, 0, 0}},
    {"TwoBytes", {0xFF, 0x03}, ReplyVerdict::TooShort, {1, 0, 0, 0, 1, 0, 0}},
    {"DamagedCrc", Damaged(ReadReply(32)), ReplyVerdict::CrcFailed, {1, 0, 1, 0, 0, 0, 0}},
    {"Exception04", WithCrc({0xFF, 0x83, 0x04}), ReplyVerdict::Exception, {1, 0, 0, 0, 0, 0, 1}, 4},
    {"OtherFunction",
     WithCrc({0xFF, 0x10, 0xC0, 0x20, 0x00, 0x20}),
     ReplyVerdict::FunctionMismatch,
     {1, 0, 0, 0, 0, 1, 0}},
    {"ReplyOfAnotherBlock", ReadReply(19), ReplyVerdict::ByteCountMismatch, {1, 0, 0, 0, 0, 1, 0}},
    {"ByteCountRunsPastTheData",
     WithCrc({0xFF, 0x03, 0x40, 0x00}),
     ReplyVerdict::ByteCountMismatch,
     {1, 0, 0, 0, 0, 1, 0}},
    // A port without an echo filter hands the adapter's copy on in front of the reply.
    {"EchoInFront",
     Joined(Request, ReadReply(32)),
     ReplyVerdict::CrcFailed,
     {1, 0, 1, 0, 0, 0, 0},
     0,
     true},
    {"OnlyTheEcho", Request, ReplyVerdict::ByteCountMismatch, {1, 0, 0, 0, 0, 1, 0}, 0, true},
};

INSTANTIATE_TEST_SUITE_P(Line, RecordedReply, ::testing::ValuesIn(ReplyCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(LineRecorderTest, ADiscardThatFindsBytesIsAStrayEntry)
{
    const Bytes late = ReadReply(19);
    fake.QueueReply(late);
    Send();
    ASSERT_EQ(recorder.Size(), 2u);
    EXPECT_EQ(recorder.At(0).event, LineEvent::Stray);
    EXPECT_EQ(recorder.At(0).bytes, late);
    EXPECT_EQ(recorder.At(1).event, LineEvent::Sent);
    EXPECT_EQ(recorder.At(1).bytes, Request);
    EXPECT_EQ(Counted(), (Counts{1, 0, 0, 0, 0, 0, 0})) << "a discard counts as no reply";
}

TEST_F(LineRecorderTest, AReplyTakenBetweenExchangesIsListedUnfiledAndUncounted)
{
    Send();
    context.dispatched = false; // an exchange waits for the next monitor tick
    fake.QueueReply(ReadReply(32));
    Take();
    EXPECT_FALSE(Last().filed);
    EXPECT_EQ(Last().verdict, ReplyVerdict::Accepted);
    EXPECT_EQ(Counted(), (Counts{1, 0, 0, 0, 0, 0, 0}));
}

TEST_F(LineRecorderTest, AtAnUnknownStepTheFirstInputAfterASendIsTheTake)
{
    context = {ExchangeState::CalibrationRead, LineContext::UnknownStep, std::nullopt, true, true};
    fake.QueueReply(ReadReply(2));                      // found by the discard
    fake.QueueReply(WithCrc({0xFF, 0x03, 0x02, 0, 0})); // the calibration reply
    (void)port.Input();
    port.Output(Request);
    (void)port.Input();
    ASSERT_EQ(recorder.Size(), 3u);
    EXPECT_EQ(recorder.At(0).event, LineEvent::Stray);
    EXPECT_EQ(Last().event, LineEvent::Reply);
    // In the calibration states a reply passes on its CRC alone, as in the value store.
    EXPECT_EQ(Last().verdict, ReplyVerdict::Accepted);
}

TEST_F(LineRecorderTest, PortFailuresAreListedAndPassedOn)
{
    fake.outputFailuresLeft = 1;
    EXPECT_THROW(Send(), PortError);
    EXPECT_EQ(Last().event, LineEvent::SendFailed);
    EXPECT_EQ(Last().bytes, Request);
    fake.inputFailuresLeft = 1;
    EXPECT_THROW(Take(), PortError);
    EXPECT_EQ(Last().event, LineEvent::PortFailed);
    // A request that never left is no request; the failed take is a reply that never came.
    EXPECT_EQ(Counted(), (Counts{0, 0, 0, 1, 0, 0, 0}));
}

TEST_F(LineRecorderTest, TheRingDropsTheOldestEntryAtOneMoreThanItsCapacity)
{
    context.step = 0;
    for (std::size_t i = 0; i <= LineRecorder::Capacity; ++i)
        port.Output(WithCrc({0xFF, 0x03, 0xC0, static_cast<std::uint8_t>(i), 0x00, 0x01}));
    EXPECT_EQ(recorder.Size(), LineRecorder::Capacity);
    EXPECT_EQ(recorder.FirstSequence(), 1u);
    EXPECT_EQ(recorder.At(0).bytes[3], 1) << "the first request is gone, the second is oldest";
    EXPECT_EQ(Last().sequence, LineRecorder::Capacity);
    EXPECT_EQ(Last().bytes[3], LineRecorder::Capacity % 256);
    EXPECT_EQ(recorder.Counters().requests, LineRecorder::Capacity + 1);
}

TEST_F(LineRecorderTest, AFloodedTakeKeepsItsLengthAndItsFirstBytes)
{
    Send();
    fake.QueueReply(Bytes(4096, 0xAA));
    Take();
    EXPECT_EQ(Last().length, 4096u);
    EXPECT_EQ(Last().bytes.size(), LineRecorder::MaxKeptBytes);
}

TEST_F(LineRecorderTest, RoundTripsRunFromTheSendToTheLastByteOrElseToTheTake)
{
    // Arrivals 74, 30 and 50 ms after their sends, taken 350 ms after each; then a port that
    // cannot tell, taken at 350 ms.
    for (const auto after : {74ms, 30ms, 50ms}) {
        Send();
        fake.arrival = now + after;
        now += 350ms;
        fake.QueueReply(ReadReply(32));
        Take();
        EXPECT_EQ(Last().roundTrip, after);
        EXPECT_FALSE(Last().roundTripAtTake);
    }
    RoundTripFigures figures = recorder.RoundTrip();
    EXPECT_EQ(std::tie(figures.lastMs, figures.medianMs, figures.maxMs),
              std::make_tuple(std::optional<std::int64_t>{50}, std::optional<std::int64_t>{50},
                              std::optional<std::int64_t>{74}));
    EXPECT_FALSE(figures.measuredAtTake);

    Send();
    fake.arrival = now - 1ms; // bytes seen before this send belong to no reply of it
    now += 350ms;
    fake.QueueReply(ReadReply(32));
    Take();
    EXPECT_EQ(Last().roundTrip, 350ms);
    EXPECT_TRUE(Last().roundTripAtTake);
    figures = recorder.RoundTrip();
    EXPECT_EQ(figures.medianMs, 50);
    EXPECT_EQ(figures.maxMs, 350);
    EXPECT_TRUE(figures.measuredAtTake);

    // A port opened again starts the counts and figures afresh; the list stays.
    port.Close();
    port.Open();
    EXPECT_EQ(Counted(), (Counts{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_FALSE(recorder.RoundTrip().medianMs.has_value());
    EXPECT_EQ(recorder.Size(), 8u);
}

TEST_F(LineRecorderTest, ClearEmptiesTheListAndTheCountersGoOn)
{
    Send();
    recorder.Clear();
    EXPECT_EQ(recorder.Size(), 0u);
    Send();
    EXPECT_EQ(recorder.Size(), 1u);
    EXPECT_EQ(recorder.At(0).sequence, 1u);
    EXPECT_EQ(recorder.Counters().requests, 2u);
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
    for (const Bytes &reply : GetParam().replies) {
        Send();
        fake.QueueReply(reply);
        Take();
    }
    EXPECT_EQ(recorder.Hints(), GetParam().hints);
}

const Bytes Good = ReadReply(32);
const Bytes Bad = Damaged(ReadReply(32));
const Bytes Refusal = WithCrc({0xFF, 0x83, 0x02});
const Bytes Echoed = Joined(Request, ReadReply(32));

const HintCase HintCases[] = {
    {"CleanRun", {Good, Good, Good, Good, Good, Good}, {}},
    {"FiveSilences", {Good, {}, {}, {}, {}, {}}, {LineHint::NoReply}},
    {"FourSilencesAreNoPatternYet", {{}, {}, {}, {}, Good}, {}},
    {"EveryCrcFails", {Bad, Bad, {0x13}, Bad, Bad}, {LineHint::CrcFailures}},
    {"EveryReplyBehindItsEcho", {Echoed, Echoed, Echoed, Echoed, Echoed}, {LineHint::Echo}},
    {"OneRefusal", {Good, Refusal, Good}, {LineHint::Exception}},
    {"RefusalLongAgo", {Refusal, Good, Good, Good, Good, Good}, {}},
};

INSTANTIATE_TEST_SUITE_P(Line, RecordedHints, ::testing::ValuesIn(HintCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(LineTexts, HexRegisterAndElapsedTime)
{
    EXPECT_EQ(HexText(Bytes{0xFF, 0x03, 0x0A}), "FF 03 0A");
    EXPECT_EQ(HexText({}), "");
    EXPECT_EQ(RegisterText(0xC020), "0xC020");
    EXPECT_EQ(RegisterText(0x0F01), "0x0F01");
    EXPECT_EQ(ElapsedText(3723045ms), "1:02:03.045");
    EXPECT_EQ(ElapsedText(-5ms), "0:00:00.000");
}

TEST(LineTexts, RequestBlocksFromTheRequestsOwnBytes)
{
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
