#pragma once
// A record of the serial line for finding wiring and adapter faults: every request the tool
// sends and every take of received bytes, with a monotonic time, the bytes, and what the tool
// made of them (which exchange and step, the register block, and for a reply the verdict of the
// same checks the value store applies). The record is a ring of the last Capacity entries, so
// memory stays flat over a day of monitoring, with running counters since the port was opened.
//
// RecordingPort wraps the port that the exchange machine uses and reports to the recorder; it
// forwards every call unchanged, so the frames on the wire and their moments stay what they are.

#include "codec.h"
#include "exchange_machine.h"
#include "reply_check.h"
#include "serial_port.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pv {

using LineClock = std::chrono::steady_clock;

// What the exchange logic is doing when the port is called, asked at every Output and Input.
struct LineContext
{
    static constexpr int UnknownStep = -1;

    ExchangeState exchange = ExchangeState::Monitor; // the exchange using the port
    // Its step: in every exchange a request step is even and a reply step odd, so an Input at
    // an odd step takes a reply and one at an even step discards before a send. Unknown: the
    // first Input after an Output is taken for the take.
    int step = UnknownStep;
    std::optional<RequestInfo> request; // what that channel's request asked for
    bool dispatched = true;             // the reply dispatcher acts: the reply is filed or refused
    bool calibration = false; // a calibration state: the calibration window reads the reply
};

// The context of the main window's exchange machine. Outside the exchanges the monitor cycle
// is the one using the port; the replies it takes then are not filed (the Prepare states), and
// while the calibration window is (about to be) open its steps are its own.
LineContext LineContextOf(const ExchangeMachine &machine);

enum class LineEvent {
    Sent,       // a request handed to the port
    SendFailed, // the port refused the request (PortError): it never left
    Reply,      // the take of a reply; see the verdict
    Stray,      // bytes found by the discard before a request: a late reply or a second master
    PortFailed, // the port failed at a take or a discard (PortError)
};

// The register block of a request, read from its own bytes: function, first register and the
// number of registers (1 for a single-word 0x64 write, whose fifth and sixth bytes are a value).
struct LineBlock
{
    std::uint8_t function = 0;
    std::uint16_t start = 0;
    std::uint16_t count = 0;
};

std::optional<LineBlock> RequestBlock(ByteView request);

struct LineEntry
{
    std::uint64_t sequence = 0; // counts every entry ever recorded, from 0
    LineClock::time_point time;
    LineEvent event = LineEvent::Sent;
    Bytes bytes;            // the first MaxKeptBytes of them
    std::size_t length = 0; // bytes on the line
    ExchangeState exchange = ExchangeState::Monitor;
    int step = LineContext::UnknownStep;
    std::optional<LineBlock> block; // the request; for a reply or a discard the last one sent
    // Replies: the verdict of the value store's checks, and whether the dispatcher acted on it
    // (a reply taken between exchanges is not filed, whatever it holds).
    ReplyVerdict verdict = ReplyVerdict::Accepted;
    bool filed = true;
    std::uint8_t exceptionCode = 0;
    bool echoed = false; // the reply came behind a copy of its request
    // Replies with bytes: from the end of the send to the arrival of the last byte, or to the
    // take when the port cannot tell arrivals (then an upper bound).
    std::optional<LineClock::duration> roundTrip;
    bool roundTripAtTake = false;
};

// Running counts since the port was opened. Replies taken between exchanges are not counted.
struct LineCounters
{
    std::uint64_t requests = 0;
    std::uint64_t goodReplies = 0;
    std::uint64_t crcFailures = 0;
    std::uint64_t noAnswer = 0; // nothing came back, or the port failed at the take
    std::uint64_t tooShort = 0;
    std::uint64_t refused = 0; // another function or byte count than the request's
    std::uint64_t exceptions = 0;
};

// Round trips of the good replies since the port was opened, in whole milliseconds.
struct RoundTripFigures
{
    std::optional<std::int64_t> lastMs, medianMs, maxMs;
    bool measuredAtTake = false; // some were measured at the take (upper bounds)
};

// Patterns worth a word to the technician, each clear from the last HintWindow replies.
enum class LineHint {
    NoReply,     // no byte at all came back, not even late: cable, port, power
    CrcFailures, // bytes come back but every CRC fails: baud rate, RS-485 pair swapped
    Echo,        // every reply starts with a copy of its request: an echoing adapter
    Exception,   // the inverter refuses a request: firmware too old or too new
};

class LineRecorder
{
public:
    static constexpr std::size_t Capacity = 10000;
    // More than the longest frame either side sends (259 bytes); a flooded take keeps its
    // first part and its length.
    static constexpr std::size_t MaxKeptBytes = 320;
    static constexpr std::size_t HintWindow = 5;
    // Round trips are counted in 1 ms bins up to this; longer ones fall into the last bin.
    static constexpr std::int64_t LongestBinnedMs = 5000;

    using Clock = std::function<LineClock::time_point()>;
    explicit LineRecorder(Clock now = [] { return LineClock::now(); });

    void RecordOutput(const LineContext &context, ByteView request);
    void RecordOutputFailed(const LineContext &context, ByteView request);
    // taken: what Input gave; echoed: the port dropped a copy of the request ahead of it;
    // arrival: when the port saw its last byte, if it can tell.
    void RecordInput(const LineContext &context, ByteView taken, bool echoed,
                     std::optional<LineClock::time_point> arrival);
    void RecordInputFailed(const LineContext &context);
    // A port was opened: the counters, round trips and hints start again; the list stays.
    void StartLine();
    // Empties the list; the counters go on.
    void Clear();

    // Entries oldest first; the sequence of entry i is FirstSequence() + i.
    std::size_t Size() const { return size_; }
    const LineEntry &At(std::size_t index) const;
    std::uint64_t FirstSequence() const { return nextSequence_ - size_; }
    std::uint64_t NextSequence() const { return nextSequence_; }
    // When the recorder was made: entry times are shown from here.
    LineClock::time_point Origin() const { return origin_; }

    const LineCounters &Counters() const { return counters_; }
    RoundTripFigures RoundTrip() const;
    std::vector<LineHint> Hints() const;

private:
    struct Take
    {
        ReplyVerdict verdict = ReplyVerdict::NoAnswer;
        bool echoed = false;
        bool strayBefore = false; // the discard before its request found bytes (a late reply)
    };

    LineEntry &Append(const LineContext &context, LineEvent event, ByteView bytes);
    bool IsTake(const LineContext &context) const;
    void CountReply(const LineEntry &entry);
    void NoteTake(Take take);

    Clock now_;
    LineClock::time_point origin_;
    std::vector<LineEntry> slots_;
    std::size_t start_ = 0; // slot of the oldest entry
    std::size_t size_ = 0;
    std::uint64_t nextSequence_ = 0;

    Bytes lastRequest_;
    std::optional<LineBlock> lastBlock_;
    std::optional<LineClock::time_point> lastSendTime_;
    bool sentSinceInput_ = false;

    LineCounters counters_;
    std::vector<std::uint32_t> roundTripBins_;
    std::uint64_t roundTrips_ = 0;
    std::optional<std::int64_t> lastRoundTripMs_, maxRoundTripMs_;
    bool anyAtTake_ = false;
    std::array<Take, HintWindow> recent_{};
    std::size_t recentCount_ = 0; // up to HintWindow
    std::size_t recentNext_ = 0;
    bool strayPending_ = false;
};

// The port the exchange machine talks to, with every request and take reported to a recorder.
// Each call goes to the wrapped port unchanged, and a PortError passes through after it has
// been recorded.
class RecordingPort : public SerialPort
{
public:
    using ContextSource = std::function<LineContext()>;

    RecordingPort(SerialPort &port, LineRecorder &recorder);
    // Until a source is set, every call counts as the monitor cycle's at an unknown step.
    void SetContext(ContextSource source) { context_ = std::move(source); }

    int CommPort() const override { return port_.CommPort(); }
    void SetCommPort(int number) override { port_.SetCommPort(number); }
    void SetSettings(const std::string &settings) override { port_.SetSettings(settings); }
    void Open() override;
    void Close() override { port_.Close(); }
    bool IsOpen() const override { return port_.IsOpen(); }
    void Output(ByteView bytes) override;
    Bytes Input() override;
    std::optional<LineClock::time_point> LastArrival() const override
    {
        return port_.LastArrival();
    }
    std::uint64_t EchoesDropped() const override { return port_.EchoesDropped(); }
    std::uint64_t DevicesLost() const override { return port_.DevicesLost(); }

private:
    LineContext Context() const;

    SerialPort &port_;
    LineRecorder &recorder_;
    ContextSource context_;
};

// Texts of the list that need no language: "FF 03 C0 20", "0xC020", "1:02:03.045".
std::string HexText(ByteView bytes);
std::string RegisterText(std::uint16_t reg);
std::string ElapsedText(LineClock::duration elapsed);

} // namespace pv
