#pragma once
// Byte level of the inverter's register protocol: Modbus-RTU framing, slave address 0xFF,
// function 0x03 to read, 0x10 to write the 0xC000 block and the inverter's own 0x64 to write
// the 0xCF00 block, each frame closed by the Modbus CRC-16.

#include "register_map.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace pv {

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

inline constexpr std::uint8_t SlaveAddress = 0xFF;
inline constexpr std::uint8_t ReadFunction = 0x03;
inline constexpr std::uint8_t WriteFunction = 0x10;
inline constexpr std::uint8_t OwnWriteFunction = 0x64; // the inverter's write for 0xCF00..0xCF0F
inline constexpr std::uint8_t ExceptionBit = 0x80;     // set in the function byte of a refusal

// ReplyUnreadable: ReplyReadable (0) when the last reply examined could be examined at all,
// ReplyUnreadableSet (65535) when it held fewer than three bytes (nothing, or too little to
// carry a CRC).
inline constexpr std::uint16_t ReplyReadable = 0;
inline constexpr std::uint16_t ReplyUnreadableSet = 0xFFFF;

// What a channel asked for with its last request, so that a reply can be filed (reply
// address) and refused when it cannot be the answer to that request.
struct RequestInfo
{
    std::uint32_t replyAddress = 0; // 0xC000 + 2 * (low byte of the start register)
    std::uint8_t function = 0;      // function byte of the request
    std::uint16_t registerCount = 0;
    // The two words after the function byte, which a write's acknowledgement repeats: the start
    // register and the register count of a block write, the register and the value of a
    // single-word write.
    std::uint16_t startRegister = 0;
    std::uint16_t repeatedWord = 0;
};

// One exchange channel: request bytes, reply bytes, and what the request asked for.
struct Channel
{
    Bytes request;
    Bytes reply;
    RequestInfo sent;
};

std::uint16_t ComputeCrc16(ByteView frame);

// Grows the frame by two bytes holding its CRC; the CRC goes low byte first on the wire.
void AppendCrc(Bytes &frame);

// True when the last two bytes hold the CRC of all bytes before them. Sets replyUnreadable to
// ReplyUnreadableSet for a reply of fewer than three bytes, to ReplyReadable otherwise (also on a
// mismatch).
bool CheckReplyCrc(ByteView reply, std::uint16_t &replyUnreadable);

// Request builders. Each replaces channel.request by the finished frame (CRC included) and
// records in channel.sent the reply address, function and register count.
void BuildReadRequest(Channel &channel, std::uint16_t startRegister, std::uint16_t count);
// Function 0x10 (or 0x64 for the multi-word calibration write): data holds 2 * n bytes.
void BuildWriteRequest(Channel &channel, std::uint8_t function, std::uint16_t startRegister,
                       ByteView data);
// Function 0x64, one word (0xCF01, 0xCF02, 0xCF0A).
void BuildSingleWordWrite(Channel &channel, std::uint16_t reg, std::uint16_t value);

// The read request of a sending step of the monitor cycle (monitor_cycle.h).
void BuildMonitorRequest(int step, Channel &channel);

// Conversions of reply or image bytes; indices must lie inside the array.
std::int16_t ImageWord(ByteView bytes, std::size_t i);
std::int32_t ImageLong(ByteView bytes, std::size_t i);
// Bytes i .. i+length-1 as text (UTF-8), each non-zero byte one character of the code page;
// zero bytes are skipped and do not end the text.
std::string ImageText(ByteView bytes, std::size_t i, std::size_t length);
// flags[base] = bit 7 of bytes[i] ... flags[base + 7] = bit 0.
void ByteToFlags(ByteView bytes, std::size_t i, std::span<bool> flags, std::size_t base);
// Digits "0".."9", "A".."Z" of value in radix 2..36, no leading zeros ("0" for zero).
std::string ToRadixString(std::uint8_t value, int radix);

} // namespace pv
