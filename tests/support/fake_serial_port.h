#pragma once
// A scripted serial port for tests: records what was written and when the receive buffer was
// taken, hands out queued replies, and fails on demand the way a real port does (PortError).

#include "link/serial_port.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace pv::test {

class FakeSerialPort : public SerialPort
{
public:
    // --- script ----------------------------------------------------------------------------

    // Bytes that the next Input returns (one queued entry per Input; an empty entry is a take
    // that finds nothing).
    void QueueReply(Bytes reply) { replies_.push_back(std::move(reply)); }
    void QueueNothing() { replies_.emplace_back(); }
    void ClearReplies() { replies_.clear(); }
    std::size_t PendingReplies() const { return replies_.size(); }

    // Called on every Output that succeeds; a returned frame is queued as the next reply, as if
    // the device had answered. Queued replies still come first.
    std::function<std::optional<Bytes>(ByteView request)> responder;

    // Every Open fails while this is set; or only opens of the listed port numbers fail.
    bool openFails = false;
    std::set<int> missingPorts;
    // Output / Input throw PortError while set (nothing is recorded as sent or taken).
    bool outputThrows = false;
    bool inputThrows = false;
    // Throw on the next n calls only, then behave again.
    int outputFailuresLeft = 0;
    int inputFailuresLeft = 0;

    // Opens the port without going through Open's failure rules (a port already in use).
    void ForceOpen(int number)
    {
        commPort_ = number;
        open_ = true;
    }

    // --- what happened ---------------------------------------------------------------------

    // Every frame successfully written, in order.
    std::vector<Bytes> written;
    // Number of Input calls that returned (successful takes), and of all Input calls.
    int inputCalls = 0;
    int inputAttempts = 0;
    int openCalls = 0;
    int closeCalls = 0;
    std::string settings;
    // One line per call in order: "SetCommPort 3", "Settings 9600,n,8,1", "Open", "Open failed",
    // "Close", "Output FF 03 C0 20 00 20 6C 06", "Output failed", "Input 5 bytes",
    // "Input failed".
    std::vector<std::string> log;

    void ClearRecord()
    {
        written.clear();
        log.clear();
        inputCalls = inputAttempts = openCalls = closeCalls = 0;
    }

    static std::string Hex(ByteView bytes)
    {
        std::string text;
        char digits[4];
        for (std::uint8_t b : bytes) {
            std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned>(b));
            if (!text.empty())
                text += ' ';
            text += digits;
        }
        return text;
    }

    // --- SerialPort ------------------------------------------------------------------------

    int CommPort() const override { return commPort_; }
    void SetCommPort(int number) override
    {
        commPort_ = number;
        log.push_back("SetCommPort " + std::to_string(number));
    }
    void SetSettings(const std::string &text) override
    {
        settings = text;
        log.push_back("Settings " + text);
    }
    void Open() override
    {
        ++openCalls;
        if (open_ || openFails || missingPorts.count(commPort_) != 0) {
            log.emplace_back("Open failed");
            throw PortError("COM" + std::to_string(commPort_) + " cannot be opened");
        }
        open_ = true;
        log.emplace_back("Open");
    }
    void Close() override
    {
        ++closeCalls;
        open_ = false;
        log.emplace_back("Close");
    }
    bool IsOpen() const override { return open_; }
    void Output(ByteView bytes) override
    {
        if (outputThrows || outputFailuresLeft > 0 || !open_) {
            if (outputFailuresLeft > 0)
                --outputFailuresLeft;
            log.emplace_back("Output failed");
            throw PortError("write failed");
        }
        written.emplace_back(bytes.begin(), bytes.end());
        log.push_back("Output " + Hex(bytes));
        if (responder) {
            if (auto answer = responder(bytes))
                answers_.push_back(std::move(*answer));
        }
    }
    Bytes Input() override
    {
        ++inputAttempts;
        if (inputThrows || inputFailuresLeft > 0 || !open_) {
            if (inputFailuresLeft > 0)
                --inputFailuresLeft;
            log.emplace_back("Input failed");
            throw PortError("read failed");
        }
        ++inputCalls;
        Bytes taken;
        if (!replies_.empty()) {
            taken = std::move(replies_.front());
            replies_.pop_front();
        } else {
            // Everything the responder produced since the last take arrives together.
            for (Bytes &answer : answers_)
                taken.insert(taken.end(), answer.begin(), answer.end());
            answers_.clear();
        }
        log.push_back("Input " + std::to_string(taken.size()) + " bytes");
        return taken;
    }

private:
    int commPort_ = 1;
    bool open_ = false;
    std::deque<Bytes> replies_;
    std::deque<Bytes> answers_;
};

} // namespace pv::test
