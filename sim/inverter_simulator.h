#pragma once
// The inverter as the tool sees it from the serial line: a slave at address 0xFF holding the
// 0xC000..0xC0FF block and the 0xCF00..0xCF0F calibration block, answering reads (0x03),
// writes (0x10) and its own write function (0x64). Time is whatever the owner says it is, so
// tests and the pseudo-terminal server drive the same code.

#include "link/codec.h"

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// Ways the line or the inverter can let the tool down, for tests and demonstrations.
enum class SimFault {
    None,
    NoReply,      // the request is not heard and nothing comes back
    WrongCrc,     // the reply arrives whole with a damaged CRC
    Truncated,    // only the first half of the reply arrives
    Delayed,      // the reply arrives after DelayedReplyMs, past the tool's next poll
    Exception,    // the inverter refuses with an exception reply and changes nothing
    NoiseBefore,  // garbage bytes arrive in front of the reply
    NoiseInstead, // garbage bytes arrive instead of the reply
};

// "no-reply", "wrong-crc", ... as the command line names them; nullopt for an unknown name.
std::optional<SimFault> SimFaultFromName(std::string_view name);
std::string_view SimFaultName(SimFault fault);
// A comma-separated list of fault names, or "all" for every kind; nullopt when a name is unknown
// or the list is empty.
std::optional<std::vector<SimFault>> SimFaultsFromList(std::string_view list);

// Modbus exception codes the simulator gives.
inline constexpr std::uint8_t IllegalFunction = 0x01;
inline constexpr std::uint8_t IllegalDataAddress = 0x02;
inline constexpr std::uint8_t IllegalDataValue = 0x03;
inline constexpr std::uint8_t SlaveDeviceFailure = 0x04;

// One write the inverter accepted and stored, as the request asked for it: a 0x64 write of one
// word to a selector (0xCF01, 0xCF02) is recorded under the selector, not the register it fills.
struct WriteRecord
{
    std::uint8_t function = 0; // WriteFunction or OwnWriteFunction
    std::uint16_t start = 0;
    std::vector<std::uint16_t> values;
    std::int64_t timeMs = 0; // the owner's time when the request was complete
};

// One line per write: "write fn=10 start=C088 values=010E,0104 ms=1234" (hexadecimal words).
std::string FormatWriteRecord(const WriteRecord &record);
// The record of such a line (a trailing line end is allowed); nullopt for any other line.
std::optional<WriteRecord> ParseWriteRecord(std::string_view line);

class InverterSimulator
{
public:
    static constexpr std::int64_t DefaultReplyDelayMs = 20;
    static constexpr std::int64_t DefaultDelayedReplyMs = 600;
    // Silence after which a half-received frame is given up: far longer than the pause
    // between the bytes of one request, far shorter than the tool's 350 ms between requests.
    static constexpr std::int64_t FrameGapMs = 100;
    static constexpr std::size_t OperatingVersionLength = 8;
    static constexpr std::size_t CertificateVersionLength = 6;

    explicit InverterSimulator(std::uint64_t seed = 1);

    // Accumulates received bytes and answers every complete frame addressed to 0xFF.
    void Feed(ByteView bytes, std::int64_t nowMs);
    // Bytes whose due time has come, in the order they go out on the line.
    Bytes TakeOutput(std::int64_t nowMs);
    // Due time of the earliest reply still held back, if any.
    std::optional<std::int64_t> NextDueMs() const;
    // Forgets pending replies and half-received frames (the port was closed).
    void ResetLine();

    // Register contents; a register outside the two held blocks reads 0 and ignores writes.
    std::uint16_t Register(std::uint16_t reg) const;
    void SetRegister(std::uint16_t reg, std::uint16_t value);
    static bool Holds(std::uint16_t reg);

    // Texts are stored one byte per character of the code page, zero-filled; a text longer
    // than its field throws std::invalid_argument.
    void SetOperatingVersion(std::string_view text);   // 0xC0BC..0xC0BF
    void SetCertificateVersion(std::string_view text); // 0xC0C0..0xC0C2
    void SetModelName(std::string_view text);          // 0xC0B2..0xC0B6
    void SetCompanyName(std::string_view text);        // 0xC0B7..0xC0BB

    // The energy counter in kWh, 0xC031 (high word) and 0xC032 (low word).
    std::int32_t EnergyTotal() const;
    void SetEnergyTotal(std::int32_t kwh);

    // Frozen readings stay where they are (the energy counter too), for tests that compare
    // what a window shows with fixed numbers.
    void FreezeReadings(bool frozen) { frozen_ = frozen; }
    // Recomputes the live readings for the given time (done before every reply as well).
    void UpdateReadings(std::int64_t nowMs);

    // Like a two-wire RS-485 adapter without echo suppression: every received byte goes back out
    // at once, ahead of any reply to it.
    void SetEcho(bool echo) { echo_ = echo; }

    // A unit that does not take a setting: writes to the register are acknowledged and recorded
    // as asked, and the register keeps what it held (a read-back then finds the old value).
    void KeepOnWrite(std::uint16_t reg) { kept_.insert(reg); }

    // Every write accepted since construction or the last ClearWrites, oldest first. Refused
    // writes are not recorded; a write whose reply a fault damages or drops was stored and is.
    const std::vector<WriteRecord> &Writes() const { return writes_; }
    void ClearWrites() { writes_.clear(); }

    void SetReplyDelayMs(std::int64_t ms) { replyDelayMs_ = ms; }
    void SetDelayedReplyMs(std::int64_t ms) { delayedReplyMs_ = delayedReplyMaxMs_ = ms; }
    // A delayed reply comes after a time drawn evenly from minMs..maxMs, so that it can land
    // in any later poll of a tool whose polls are of different lengths; throws
    // std::invalid_argument unless 0 <= minMs <= maxMs.
    void SetDelayedReplyMs(std::int64_t minMs, std::int64_t maxMs);

    // A fault for the next request only; it takes precedence over the rates.
    void InjectNext(SimFault fault) { injected_ = fault; }
    // Probability 0..1 of a fault on each request; several faults are drawn in the order of
    // the enumeration, the first that hits wins.
    void SetFaultRate(SimFault fault, double rate);
    void SetExceptionCode(std::uint8_t code) { exceptionCode_ = code; }

    // Complete frames for this slave received so far, and bytes thrown away while looking for
    // a frame.
    std::size_t FramesReceived() const { return framesReceived_; }
    // The fault that struck each request that had one, oldest first.
    const std::vector<SimFault> &FaultsStruck() const { return faultsStruck_; }
    std::size_t BytesDropped() const { return bytesDropped_; }

private:
    enum class Scan { Frame, NeedMore, Garbage };

    Scan ScanFrame(std::size_t start, std::size_t &length) const;
    bool ExtractFrame(Bytes &frame);
    void HandleFrame(const Bytes &frame, std::int64_t nowMs);
    // The answer of a healthy inverter; applies writes.
    Bytes Answer(const Bytes &frame, std::int64_t nowMs);
    Bytes AnswerRead(const Bytes &frame);
    Bytes AnswerWrite(const Bytes &frame, std::int64_t nowMs);
    Bytes AnswerOwnWrite(const Bytes &frame, std::int64_t nowMs);
    // Stores a checked multi-register write, records it and builds its acknowledgement.
    Bytes StoreBlockWrite(const Bytes &frame, std::int64_t nowMs);
    void RecordWrite(const Bytes &frame, std::vector<std::uint16_t> values, std::int64_t nowMs);
    // Stores a written value unless the register is kept (KeepOnWrite).
    void StoreWritten(std::uint16_t reg, std::uint16_t value);
    SimFault DrawFault();
    void Queue(std::int64_t dueMs, Bytes bytes);
    Bytes Noise(std::size_t minLength, std::size_t maxLength);
    std::uint64_t NextRandom();
    void SetText(std::uint16_t firstReg, std::size_t length, std::string_view text);
    void LoadDefaults();

    std::array<std::uint16_t, 0x100> image_{};
    std::array<std::uint16_t, 0x10> calibration_{};

    Bytes received_;
    std::int64_t lastByteMs_ = 0;
    std::multimap<std::int64_t, Bytes> pending_;

    bool frozen_ = false;
    std::optional<std::int64_t> lastUpdateMs_;
    double energyKwh_ = 0.0;

    std::int64_t replyDelayMs_ = DefaultReplyDelayMs;
    std::int64_t delayedReplyMs_ = DefaultDelayedReplyMs;
    std::int64_t delayedReplyMaxMs_ = DefaultDelayedReplyMs;
    SimFault injected_ = SimFault::None;
    std::map<SimFault, double> rates_;
    std::uint8_t exceptionCode_ = SlaveDeviceFailure;
    std::uint64_t random_;

    bool echo_ = false;
    std::set<std::uint16_t> kept_;
    std::vector<WriteRecord> writes_;

    std::size_t framesReceived_ = 0;
    std::vector<SimFault> faultsStruck_;
    std::size_t bytesDropped_ = 0;
};

} // namespace pv
