// How a healthy simulated inverter answers a whole frame: reads of the held blocks, block
// writes (0x10, 0x64) and the single-word 0x64 writes through the energy selectors, each write
// stored and recorded; anything else is refused with an exception reply.

#include "inverter_simulator.h"

#include "simulator_frames.h"

namespace pv {

namespace {

using reg::CalibrationLast;
using reg::ImageLast;
using sim::ExceptionReply;
using sim::WordAt;

// Modbus limits the register count of one read to 125 and of one write to 123.
constexpr std::uint16_t MaxReadCount = 125;
constexpr std::uint16_t MaxWriteCount = 123;

void PutWord(Bytes &frame, std::uint16_t value)
{
    frame.push_back(static_cast<std::uint8_t>(value >> 8));
    frame.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

bool Within(std::uint16_t start, std::uint16_t count, std::uint16_t first, std::uint16_t last)
{
    return count > 0 && start >= first && start + count - 1u <= last;
}

// The multi-word write layout shared by 0x10 and 0x64: start, count, byte count, data.
std::optional<std::uint8_t> CheckBlockWrite(const Bytes &frame, std::uint16_t first,
                                            std::uint16_t last)
{
    const std::uint16_t start = WordAt(frame, 2);
    const std::uint16_t count = WordAt(frame, 4);
    if (count == 0 || count > MaxWriteCount || frame[6] != 2 * count)
        return IllegalDataValue;
    if (!Within(start, count, first, last))
        return IllegalDataAddress;
    return std::nullopt;
}

Bytes BlockWriteReply(const Bytes &frame)
{
    Bytes reply(frame.begin(), frame.begin() + 6);
    AppendCrc(reply);
    return reply;
}

} // namespace

Bytes InverterSimulator::Answer(const Bytes &frame, std::int64_t nowMs)
{
    switch (frame[1]) {
    case ReadFunction:
        return AnswerRead(frame);
    case WriteFunction:
        return AnswerWrite(frame, nowMs);
    case OwnWriteFunction:
        return AnswerOwnWrite(frame, nowMs);
    default:
        return ExceptionReply(frame[1], IllegalFunction);
    }
}

Bytes InverterSimulator::AnswerRead(const Bytes &frame)
{
    const std::uint16_t start = WordAt(frame, 2);
    const std::uint16_t count = WordAt(frame, 4);
    if (count == 0 || count > MaxReadCount)
        return ExceptionReply(ReadFunction, IllegalDataValue);
    if (!Within(start, count, reg::ImageFirst, ImageLast)
        && !Within(start, count, reg::CalibrationFirst, CalibrationLast))
        return ExceptionReply(ReadFunction, IllegalDataAddress);

    Bytes reply{SlaveAddress, ReadFunction, static_cast<std::uint8_t>(2 * count)};
    for (std::uint16_t k = 0; k < count; ++k)
        PutWord(reply, Register(static_cast<std::uint16_t>(start + k)));
    AppendCrc(reply);
    return reply;
}

void InverterSimulator::RecordWrite(const Bytes &frame, std::vector<std::uint16_t> values,
                                    std::int64_t nowMs)
{
    writes_.push_back(WriteRecord{frame[1], WordAt(frame, 2), std::move(values), nowMs});
}

void InverterSimulator::StoreWritten(std::uint16_t reg, std::uint16_t value)
{
    if (!kept_.contains(reg))
        SetRegister(reg, value);
}

Bytes InverterSimulator::StoreBlockWrite(const Bytes &frame, std::int64_t nowMs)
{
    const std::uint16_t start = WordAt(frame, 2);
    const std::uint16_t count = WordAt(frame, 4);
    std::vector<std::uint16_t> values;
    for (std::uint16_t k = 0; k < count; ++k) {
        values.push_back(WordAt(frame, 7 + 2u * k));
        StoreWritten(static_cast<std::uint16_t>(start + k), values.back());
    }
    RecordWrite(frame, std::move(values), nowMs);
    return BlockWriteReply(frame);
}

Bytes InverterSimulator::AnswerWrite(const Bytes &frame, std::int64_t nowMs)
{
    if (auto code = CheckBlockWrite(frame, reg::ImageFirst, ImageLast))
        return ExceptionReply(WriteFunction, *code);
    return StoreBlockWrite(frame, nowMs);
}

Bytes InverterSimulator::AnswerOwnWrite(const Bytes &frame, std::int64_t nowMs)
{
    if (frame.size() == 8) {
        const std::uint16_t reg = WordAt(frame, 2);
        const std::uint16_t value = WordAt(frame, 4);
        // The energy counter is written half by half through two selectors; the reply
        // repeats the request, so its byte 3 (1 or 2) tells which half it confirms.
        if (reg == reg::EnergyHighSelector)
            StoreWritten(reg::EnergyHigh, value);
        else if (reg == reg::EnergyLowSelector)
            StoreWritten(reg::EnergyLow, value);
        else if (reg == reg::AcCurrentOffset)
            StoreWritten(reg, value);
        else
            return ExceptionReply(OwnWriteFunction, IllegalDataAddress);
        RecordWrite(frame, {value}, nowMs);
        return BlockWriteReply(frame);
    }
    if (auto code = CheckBlockWrite(frame, reg::CalibrationSettings, CalibrationLast))
        return ExceptionReply(OwnWriteFunction, *code);
    return StoreBlockWrite(frame, nowMs);
}

} // namespace pv
