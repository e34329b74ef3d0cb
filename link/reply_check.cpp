#include "reply_check.h"

namespace pv {

namespace {

constexpr std::size_t FunctionIndex = 1;
constexpr std::size_t ByteCountIndex = 2;
constexpr std::size_t FirstDataIndex = 3;
constexpr std::size_t CrcLength = 2;
// A write acknowledgement repeats the request's address, function and next two words.
constexpr std::size_t RepeatedStartIndex = 2;
constexpr std::size_t RepeatedWordIndex = 4;
constexpr std::size_t AcknowledgementLength = 8;

std::uint16_t WordAt(ByteView bytes, std::size_t i)
{
    return static_cast<std::uint16_t>(bytes[i] << 8 | bytes[i + 1]);
}

} // namespace

ReplyVerdict ClassifyReply(ByteView reply, const RequestInfo &request)
{
    std::uint16_t unreadable = 0;
    if (!CheckReplyCrc(reply, unreadable)) {
        if (unreadable == 0)
            return ReplyVerdict::CrcFailed;
        return reply.empty() ? ReplyVerdict::NoAnswer : ReplyVerdict::TooShort;
    }
    const std::uint8_t function = reply[FunctionIndex];
    // A refusal from the inverter is never a success, least of all for a calibration write.
    if (function & ExceptionBit)
        return ReplyVerdict::Exception;
    // Also in the calibration window: a late monitor reply must not show as calibration values,
    // nor a late read reply pass for the acknowledgement of a write the inverter never heard.
    if (function != request.function)
        return ReplyVerdict::FunctionMismatch;
    if (function == ReadFunction) {
        if (reply.size() < FirstDataIndex + CrcLength)
            return ReplyVerdict::ByteCountMismatch;
        const std::size_t byteCount = reply[ByteCountIndex];
        if (FirstDataIndex + byteCount + CrcLength > reply.size()
            || byteCount != 2u * request.registerCount)
            return ReplyVerdict::ByteCountMismatch;
    } else if (function == WriteFunction || function == OwnWriteFunction) {
        if (reply.size() < AcknowledgementLength
            || WordAt(reply, RepeatedStartIndex) != request.startRegister
            || WordAt(reply, RepeatedWordIndex) != request.repeatedWord)
            return ReplyVerdict::AcknowledgementMismatch;
    }
    return ReplyVerdict::Accepted;
}

std::uint8_t ExceptionCodeOf(ByteView reply)
{
    const bool exception = reply.size() > ByteCountIndex && (reply[FunctionIndex] & ExceptionBit);
    return exception ? reply[ByteCountIndex] : 0;
}

} // namespace pv
