#include "line_recorder.h"

#include <algorithm>
#include <span>
#include <utility>

namespace pv {

namespace {

constexpr std::size_t ShortestRequest = 6; // address, function, first register, count or value
constexpr std::size_t SingleWordWriteLength = 8;

std::int64_t WholeMilliseconds(LineClock::duration duration)
{
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(duration).count();
    return (us + 500) / 1000;
}

} // namespace

std::optional<LineBlock> RequestBlock(ByteView request)
{
    if (request.size() < ShortestRequest)
        return std::nullopt;
    LineBlock block;
    block.function = request[1];
    block.start = static_cast<std::uint16_t>(request[2] << 8 | request[3]);
    const bool singleWord
        = block.function == OwnWriteFunction && request.size() == SingleWordWriteLength;
    block.count = singleWord ? 1 : static_cast<std::uint16_t>(request[4] << 8 | request[5]);
    return block;
}

LineRecorder::LineRecorder(Clock now) : now_(std::move(now)), origin_(now_()) {}

const LineEntry &LineRecorder::At(std::size_t index) const
{
    return slots_[(start_ + index) % slots_.size()];
}

LineEntry &LineRecorder::Append(const LineContext &context, LineEvent event, ByteView bytes)
{
    LineEntry *entry = nullptr;
    if (size_ < slots_.size()) {
        entry = &slots_[(start_ + size_) % slots_.size()];
        ++size_;
    } else if (slots_.size() < Capacity) {
        entry = &slots_.emplace_back();
        ++size_;
    } else {
        // Full: the oldest entry makes room.
        entry = &slots_[start_];
        start_ = (start_ + 1) % slots_.size();
    }
    const std::size_t kept = std::min(bytes.size(), MaxKeptBytes);
    // Assigning into the slot reuses its buffer, so a full ring allocates nothing more.
    entry->bytes.assign(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(kept));
    entry->sequence = nextSequence_++;
    entry->time = now_();
    entry->event = event;
    entry->length = bytes.size();
    entry->exchange = context.exchange;
    entry->step = context.step;
    entry->block = lastBlock_;
    entry->verdict = ReplyVerdict::Accepted;
    entry->filed = context.dispatched;
    entry->exceptionCode = 0;
    entry->echoed = false;
    entry->roundTrip.reset();
    entry->roundTripAtTake = false;
    return *entry;
}

void LineRecorder::RecordOutput(const LineContext &context, ByteView request)
{
    lastRequest_.assign(request.begin(), request.end());
    lastBlock_ = RequestBlock(request);
    sentSinceInput_ = true;
    const LineEntry &entry = Append(context, LineEvent::Sent, request);
    lastSendTime_ = entry.time;
    ++counters_.requests;
}

void LineRecorder::RecordOutputFailed(const LineContext &context, ByteView request)
{
    // Nothing left the port: no reply can belong to this request, nor can an echo of it come.
    lastRequest_.clear();
    lastBlock_ = RequestBlock(request);
    lastSendTime_.reset();
    sentSinceInput_ = true;
    Append(context, LineEvent::SendFailed, request);
}

bool LineRecorder::IsTake(const LineContext &context) const
{
    if (context.step == LineContext::UnknownStep)
        return sentSinceInput_;
    return context.step % 2 == 1;
}

void LineRecorder::RecordInput(const LineContext &context, ByteView taken, bool echoed,
                               std::optional<LineClock::time_point> arrival)
{
    const bool take = IsTake(context);
    sentSinceInput_ = false;
    if (!take) {
        // An empty discard is the normal case and not worth a line.
        if (!taken.empty()) {
            Append(context, LineEvent::Stray, taken);
            strayPending_ = true;
        }
        return;
    }

    LineEntry &entry = Append(context, LineEvent::Reply, taken);
    entry.verdict = ClassifyReply(taken, context.request.value_or(RequestInfo{}));
    if (entry.verdict == ReplyVerdict::Exception)
        entry.exceptionCode = ExceptionCodeOf(taken);
    // A port without an echo filter hands the copy on: the reply then starts with the request.
    // A single-word 0x64 write is acknowledged by an exact copy, which is no echo.
    const bool startsWithCopy
        = !lastRequest_.empty() && taken.size() >= lastRequest_.size()
          && std::equal(lastRequest_.begin(), lastRequest_.end(), taken.begin())
          && !(taken.size() == lastRequest_.size() && entry.verdict == ReplyVerdict::Accepted);
    entry.echoed = echoed || startsWithCopy;
    if (!taken.empty() && lastSendTime_) {
        const bool arrivalKnown = arrival && *arrival >= *lastSendTime_;
        entry.roundTrip = (arrivalKnown ? *arrival : entry.time) - *lastSendTime_;
        entry.roundTripAtTake = !arrivalKnown;
    }
    if (!context.dispatched)
        return;
    CountReply(entry);
    NoteTake({entry.verdict, entry.echoed, false});
}

void LineRecorder::RecordInputFailed(const LineContext &context)
{
    const bool take = IsTake(context);
    sentSinceInput_ = false;
    LineEntry &entry = Append(context, LineEvent::PortFailed, {});
    entry.verdict = ReplyVerdict::NoAnswer;
    // The exchange logic takes a failed take for a reply that never came.
    if (take && context.dispatched) {
        ++counters_.noAnswer;
        NoteTake({ReplyVerdict::NoAnswer, false, false});
    }
}

void LineRecorder::CountReply(const LineEntry &entry)
{
    switch (entry.verdict) {
    case ReplyVerdict::Accepted:
        ++counters_.goodReplies;
        break;
    case ReplyVerdict::NoAnswer:
        ++counters_.noAnswer;
        return;
    case ReplyVerdict::TooShort:
        ++counters_.tooShort;
        return;
    case ReplyVerdict::CrcFailed:
        ++counters_.crcFailures;
        return;
    case ReplyVerdict::Exception:
        ++counters_.exceptions;
        return;
    case ReplyVerdict::FunctionMismatch:
    case ReplyVerdict::ByteCountMismatch:
    case ReplyVerdict::AcknowledgementMismatch:
        ++counters_.refused;
        return;
    }
    if (!entry.roundTrip)
        return;
    const std::int64_t ms = WholeMilliseconds(*entry.roundTrip);
    if (roundTripBins_.empty())
        roundTripBins_.assign(LongestBinnedMs + 1, 0);
    ++roundTripBins_[static_cast<std::size_t>(std::clamp<std::int64_t>(ms, 0, LongestBinnedMs))];
    ++roundTrips_;
    lastRoundTripMs_ = ms;
    maxRoundTripMs_ = std::max(ms, maxRoundTripMs_.value_or(ms));
    anyAtTake_ = anyAtTake_ || entry.roundTripAtTake;
}

void LineRecorder::NoteTake(Take take)
{
    take.strayBefore = std::exchange(strayPending_, false);
    recent_[recentNext_] = take;
    recentNext_ = (recentNext_ + 1) % HintWindow;
    recentCount_ = std::min(recentCount_ + 1, HintWindow);
}

RoundTripFigures LineRecorder::RoundTrip() const
{
    RoundTripFigures figures;
    figures.lastMs = lastRoundTripMs_;
    figures.maxMs = maxRoundTripMs_;
    figures.measuredAtTake = anyAtTake_;
    if (roundTrips_ == 0)
        return figures;
    // The lower median: the bin that holds the middle measurement.
    const std::uint64_t middle = (roundTrips_ + 1) / 2;
    std::uint64_t seen = 0;
    for (std::size_t ms = 0; ms < roundTripBins_.size(); ++ms) {
        seen += roundTripBins_[ms];
        if (seen >= middle) {
            figures.medianMs = static_cast<std::int64_t>(ms);
            break;
        }
    }
    return figures;
}

std::vector<LineHint> LineRecorder::Hints() const
{
    const auto recent = std::span(recent_).first(recentCount_);
    const bool full = recentCount_ == HintWindow;
    const auto every = [&](auto predicate) {
        return full && std::all_of(recent.begin(), recent.end(), predicate);
    };
    const auto is = [](ReplyVerdict verdict) {
        return [verdict](const Take &take) { return take.verdict == verdict; };
    };
    std::vector<LineHint> hints;
    // Replies that come too late for their take still show the line works.
    if (every([](const Take &take) {
            return take.verdict == ReplyVerdict::NoAnswer && !take.strayBefore;
        }))
        hints.push_back(LineHint::NoReply);
    const bool echo = every([](const Take &take) { return take.echoed; });
    // An echo in front of each reply spoils every CRC as well; the echo is the cause to name.
    if (!echo && every([](const Take &take) {
            return take.verdict == ReplyVerdict::CrcFailed
                   || take.verdict == ReplyVerdict::TooShort;
        }))
        hints.push_back(LineHint::CrcFailures);
    if (echo)
        hints.push_back(LineHint::Echo);
    if (std::any_of(recent.begin(), recent.end(), is(ReplyVerdict::Exception)))
        hints.push_back(LineHint::Exception);
    return hints;
}

void LineRecorder::StartLine()
{
    counters_ = {};
    roundTripBins_.clear();
    roundTrips_ = 0;
    lastRoundTripMs_.reset();
    maxRoundTripMs_.reset();
    anyAtTake_ = false;
    recentCount_ = recentNext_ = 0;
    strayPending_ = false;
    lastRequest_.clear();
    lastBlock_.reset();
    lastSendTime_.reset();
    sentSinceInput_ = false;
}

void LineRecorder::Clear()
{
    // The slots keep their buffers for the entries to come.
    start_ = 0;
    size_ = 0;
}

} // namespace pv
