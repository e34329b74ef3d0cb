#pragma once
// A scripted serial port for tests: records what was sent and taken, hands out queued replies
// or what the responder answered, and fails on demand the way a real port does (PortError).

#include "link/serial_port.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pv::test {

class FakeSerialPort : public SerialPort
{
public:
    // Called on every Output that succeeds; all it answered since the last take arrives at the
    // next Input, unless a queued reply (one per Input; an empty one finds nothing) comes first.
    std::function<std::optional<Bytes>(ByteView request)> responder;
    void QueueReply(Bytes reply) { replies_.push_back(std::move(reply)); }

    bool openFails = false;        // every Open throws
    std::uint64_t devicesLost = 0; // raised by a test as the device goes away and comes back
    int outputFailuresLeft = 0;    // the next n Output / Input calls throw
    int inputFailuresLeft = 0;

    // Frames written, as "FF 03 C0 20 00 20 6C 06"; one line per Output or Input, in order:
    // "Output FF 03 ...", "Output failed", "Input 5 bytes", "Input failed"; counts of the calls.
    std::vector<std::string> written, log;
    std::string settings;
    int openCalls = 0, closeCalls = 0, inputCalls = 0;

    void ClearRecord()
    {
        written.clear();
        log.clear();
        openCalls = closeCalls = inputCalls = 0;
    }

    std::uint64_t DevicesLost() const override { return devicesLost; }
    int CommPort() const override { return commPort_; }
    void SetCommPort(int number) override { commPort_ = number; }
    void SetSettings(const std::string &text) override { settings = text; }
    bool IsOpen() const override { return open_; }
    void Open() override
    {
        ++openCalls;
        if (open_ || openFails)
            throw PortError("cannot be opened");
        open_ = true;
    }
    void Close() override
    {
        ++closeCalls;
        open_ = false;
    }
    void Output(ByteView bytes) override
    {
        FailIf(outputFailuresLeft, "Output");
        static constexpr char digits[] = "0123456789ABCDEF";
        std::string hex;
        for (std::uint8_t b : bytes)
            hex += std::string(hex.empty() ? "" : " ") + digits[b >> 4] + digits[b & 15];
        written.push_back(hex);
        log.push_back("Output " + hex);
        if (auto answer = responder ? responder(bytes) : std::nullopt)
            answers_.insert(answers_.end(), answer->begin(), answer->end());
    }
    Bytes Input() override
    {
        FailIf(inputFailuresLeft, "Input");
        ++inputCalls;
        Bytes taken;
        taken.swap(replies_.empty() ? answers_ : replies_.front());
        if (!replies_.empty())
            replies_.pop_front();
        log.push_back("Input " + std::to_string(taken.size()) + " bytes");
        return taken;
    }

private:
    int commPort_ = 1;
    bool open_ = false;
    std::deque<Bytes> replies_;
    Bytes answers_;

    // A closed port fails too.
    void FailIf(int &failuresLeft, const std::string &call)
    {
        if (open_ && failuresLeft <= 0)
            return;
        failuresLeft -= failuresLeft > 0 ? 1 : 0;
        log.push_back(call + " failed");
        throw PortError(call + " failed");
    }
};

} // namespace pv::test
