#pragma once
// The one home of the rules by which a reply is accepted or refused. The value store files only
// what passes them, and the line recorder names the rule a refused reply broke, so the line view
// can never tell a technician something other than what the tool did with the reply.

#include "codec.h"

#include <cstdint>

namespace pv {

enum class ReplyVerdict {
    Accepted,
    NoAnswer,          // nothing arrived
    TooShort,          // one or two bytes: too little to carry a CRC
    CrcFailed,         // the last two bytes are not the CRC of the rest
    Exception,         // the inverter refused the request (function byte with its top bit set)
    FunctionMismatch,  // a whole reply carrying another function than the request
    ByteCountMismatch, // a read reply whose byte count is not the request's or runs past its data
    // A write acknowledgement (0x10 or 0x64) that repeats another start register, register count
    // or written word than its request's, or is too short to repeat them.
    AcknowledgementMismatch,
};

// Checks in this order: length and CRC, the exception bit, then the function and, for a read,
// the byte count against the request, for a write the two words its acknowledgement repeats. A late
// reply to an earlier request carries another function or length; filing it would put its bytes at
// this request's place in the image, and in the calibration window show another block's bytes or
// pass for a write's acknowledgement. An acknowledgement of another write must not pass for this
// one's either: the write mirror would show values the inverter never confirmed.
ReplyVerdict ClassifyReply(ByteView reply, const RequestInfo &request);

// The exception code of an exception reply (its third byte); 0 when the reply holds none.
std::uint8_t ExceptionCodeOf(ByteView reply);

} // namespace pv
