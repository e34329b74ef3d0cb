// The echo filter against the byte sequences an echoing (and a plain) RS-485 line delivers.
#include "link/echo_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pv {
namespace {

Bytes WithCrc(Bytes frame)
{
    AppendCrc(frame);
    return frame;
}

Bytes Join(Bytes first, const Bytes &then)
{
    first.insert(first.end(), then.begin(), then.end());
    return first;
}

Bytes Part(const Bytes &bytes, std::size_t from, std::size_t to)
{
    return Bytes(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                 bytes.begin() + static_cast<std::ptrdiff_t>(to));
}

const Bytes Read = WithCrc({0xFF, 0x03, 0xC0, 0x20, 0x00, 0x02});
const Bytes ReadReply = WithCrc({0xFF, 0x03, 0x04, 0x00, 0x01, 0x00, 0x02});
const Bytes OtherRead = WithCrc({0xFF, 0x03, 0xC0, 0xB0, 0x00, 0x02});
// A block write and its acknowledgement, which repeats the request's first six bytes.
const Bytes Write = WithCrc({0xFF, 0x10, 0xC0, 0x88, 0x00, 0x01, 0x02, 0x01, 0x0E});
const Bytes WriteAck = WithCrc({0xFF, 0x10, 0xC0, 0x88, 0x00, 0x01});
// A single-word 0x64 write, acknowledged by a copy of itself.
const Bytes Single = WithCrc({0xFF, 0x64, 0xCF, 0x01, 0x00, 0x01});

// One step on the line: a request sent, or a take and what the filter must hand on.
struct Step
{
    enum Kind { Send, Take, Reset } kind;
    Bytes bytes, expected;
};
Step Sent(Bytes request)
{
    return {Step::Send, std::move(request), {}};
}
Step Taken(Bytes received, Bytes expected)
{
    return {Step::Take, std::move(received), std::move(expected)};
}
const Step NewLine{Step::Reset, {}, {}};

struct EchoCase
{
    const char *name;
    bool lineEchoes;
    std::vector<Step> steps;
};
using EchoFiltering = ::testing::TestWithParam<EchoCase>;

TEST_P(EchoFiltering, HandsOnWhatFollowsTheEchoAndNothingElseChanges)
{
    EchoFilter filter;
    int take = 0;
    for (const Step &step : GetParam().steps) {
        if (step.kind == Step::Send)
            filter.OnSent(step.bytes);
        else if (step.kind == Step::Reset)
            filter.Reset();
        else
            EXPECT_EQ(filter.Filter(step.bytes), step.expected) << "take " << take++;
    }
    EXPECT_EQ(filter.LineEchoes(), GetParam().lineEchoes);
    EXPECT_EQ(filter.HeldBytes(), 0u);
}

const EchoCase EchoCases[] = {
    {"WholeEchoAndReply", true, {Sent(Read), Taken(Join(Read, ReadReply), ReadReply)}},
    {"EchoSplitOverTwoTakes",
     true,
     {Sent(Read), Taken(Part(Read, 0, 3), {}),
      Taken(Join(Part(Read, 3, 8), ReadReply), ReadReply)}},
    {"ReplyWithoutEcho", false, {Sent(Read), Taken(ReadReply, ReadReply)}},
    {"OnlyTheLeadingCopyGoes",
     true,
     {Sent(Read), Taken(Join(Read, ReadReply), ReadReply), Taken(Read, Read)}},
    {"WriteAckStartsLikeTheRequest_SplitAndHandedOnWhole",
     false,
     {Sent(Write), Taken(Part(WriteAck, 0, 4), {}), Taken(Part(WriteAck, 4, 8), WriteAck)}},
    {"EchoOfAnOlderRequest",
     false,
     {Sent(Read), Sent(OtherRead), Taken(Join(Read, ReadReply), Join(Read, ReadReply))}},
    {"SingleWordAckOnAPlainLine", false, {Sent(Single), Taken(Single, Single)}},
    {"SingleWordEchoAndAck_LineNotYetKnown",
     true,
     {Sent(Single), Taken(Join(Single, Single), Single)}},
    {"SingleWordOnAKnownEchoingLine",
     true,
     {Sent(Read), Taken(Join(Read, ReadReply), ReadReply), Sent(Single), Taken(Single, {}),
      Taken(Single, Single)}},
    {"ResetForgetsTheEchoingLine",
     false,
     {Sent(Read), Taken(Read, {}), NewLine, Sent(Single), Taken(Single, Single)}},
};

INSTANTIATE_TEST_SUITE_P(Lines, EchoFiltering, ::testing::ValuesIn(EchoCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
