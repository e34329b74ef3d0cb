#include "codec.h"

#include "monitor_cycle.h"

#include "codepage.h"

#include <stdexcept>

namespace pv {

std::uint16_t ComputeCrc16(ByteView frame)
{
    std::uint16_t crc = 0xFFFF;
    for (std::uint8_t b : frame) {
        crc ^= b;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                            : static_cast<std::uint16_t>(crc >> 1);
    }
    return crc;
}

void AppendCrc(Bytes &frame)
{
    const std::uint16_t crc = ComputeCrc16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CheckReplyCrc(ByteView reply, std::uint16_t &replyUnreadable)
{
    if (reply.size() < 3) {
        replyUnreadable = ReplyUnreadableSet;
        return false;
    }
    replyUnreadable = ReplyReadable;
    const std::size_t last = reply.size() - 1;
    const std::uint16_t carried = static_cast<std::uint16_t>(reply[last] << 8 | reply[last - 1]);
    return ComputeCrc16(reply.first(reply.size() - 2)) == carried;
}

namespace {

void PutWord(Bytes &frame, std::uint16_t value)
{
    frame.push_back(static_cast<std::uint8_t>(value >> 8));
    frame.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

// Only the low byte of the start register enters the reply address, which is therefore right
// for start registers 0xC000..0xC0FF and points at nothing useful elsewhere.
std::uint32_t ReplyAddressOf(std::uint16_t startRegister)
{
    return reg::ImageFirst + 2u * (startRegister & 0xFFu);
}

} // namespace

void BuildReadRequest(Channel &channel, std::uint16_t startRegister, std::uint16_t count)
{
    Bytes frame{SlaveAddress, ReadFunction};
    PutWord(frame, startRegister);
    PutWord(frame, count);
    AppendCrc(frame);
    channel.request = std::move(frame);
    channel.sent = {ReplyAddressOf(startRegister), ReadFunction, count, startRegister, count};
}

void BuildWriteRequest(Channel &channel, std::uint8_t function, std::uint16_t startRegister,
                       ByteView data)
{
    if (data.size() % 2 != 0 || data.size() > 250)
        throw std::invalid_argument("BuildWriteRequest: data must be whole registers");
    const auto count = static_cast<std::uint16_t>(data.size() / 2);
    Bytes frame{SlaveAddress, function};
    PutWord(frame, startRegister);
    PutWord(frame, count);
    frame.push_back(static_cast<std::uint8_t>(data.size()));
    frame.insert(frame.end(), data.begin(), data.end());
    AppendCrc(frame);
    channel.request = std::move(frame);
    channel.sent = {ReplyAddressOf(startRegister), function, count, startRegister, count};
}

void BuildSingleWordWrite(Channel &channel, std::uint16_t reg, std::uint16_t value)
{
    Bytes frame{SlaveAddress, OwnWriteFunction};
    PutWord(frame, reg);
    PutWord(frame, value);
    AppendCrc(frame);
    channel.request = std::move(frame);
    channel.sent = {ReplyAddressOf(reg), OwnWriteFunction, 1, reg, value};
}

void BuildMonitorRequest(int step, Channel &channel)
{
    const monitor_cycle::MonitorRow *row = monitor_cycle::Find(step);
    if (row == nullptr || !row->sends)
        throw std::invalid_argument("BuildMonitorRequest: not a sending step of the cycle");
    BuildReadRequest(channel, row->start, row->count);
}

std::int16_t ImageWord(ByteView bytes, std::size_t i)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]));
}

std::int32_t ImageLong(ByteView bytes, std::size_t i)
{
    const std::uint32_t value = std::uint32_t{bytes[i]} << 24 | std::uint32_t{bytes[i + 1]} << 16
                                | std::uint32_t{bytes[i + 2]} << 8 | std::uint32_t{bytes[i + 3]};
    return static_cast<std::int32_t>(value);
}

std::string ImageText(ByteView bytes, std::size_t i, std::size_t length)
{
    Bytes kept;
    for (std::size_t k = 0; k < length; ++k) {
        if (bytes[i + k] != 0)
            kept.push_back(bytes[i + k]);
    }
    return CodePageToUtf8(kept);
}

std::string ToRadixString(std::uint8_t value, int radix)
{
    static constexpr char Digits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    if (radix < 2 || radix > 36)
        throw std::invalid_argument("ToRadixString: radix must be 2..36");
    unsigned v = value;
    std::string text(1, Digits[v % radix]);
    while (static_cast<unsigned>(radix) <= v) {
        v /= radix;
        text.insert(text.begin(), Digits[v % radix]);
    }
    return text;
}

void ByteToFlags(ByteView bytes, std::size_t i, std::span<bool> flags, std::size_t base)
{
    std::string s = ToRadixString(bytes[i], 2);
    s.insert(0, 8 - s.size(), '0');
    for (std::size_t k = 0; k < 8; ++k)
        flags[base + k] = s[k] == '1';
}

} // namespace pv
