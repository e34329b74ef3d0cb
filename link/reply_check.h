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
};

// Checks in this order: length and CRC, the exception bit, then the function and, for a read,
// the byte count against the request. A late reply to an earlier request carries another
// function or length; filing it would put its bytes at this request's place in the image, and
// in the calibration window show another block's bytes or pass for a write's acknowledgement.
ReplyVerdict ClassifyReply(ByteView reply, const RequestInfo &request);

// The exception code of an exception reply (its third byte); 0 when the reply holds none.
std::uint8_t ExceptionCodeOf(ByteView reply);

} // namespace pv
