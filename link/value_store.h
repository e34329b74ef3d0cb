#pragma once
// Files accepted replies into the register image and decodes the image into InverterData.

#include "codec.h"
#include "inverter_data.h"
#include "register_image.h"

namespace pv {

// Mirrors a confirmed identify or configuration write into the image (the write-mirror of the
// settings panels plugs in here). Called with the whole reply, CRC already verified, for every
// accepted reply whose function is not a read.
class WriteAcknowledge
{
public:
    virtual ~WriteAcknowledge() = default;
    virtual void ApplyWriteAcknowledge(ByteView reply, RegisterImage &image) = 0;
};

class ValueStore
{
public:
    // True when the reply is accepted (ClassifyReply, reply_check.h, holds the rules). Refused,
    // with the image and the values unchanged:
    //  - a reply failing its CRC (ReplyUnreadable tells whether it could be examined at all);
    //  - an exception reply (function byte with its top bit set): the inverter refused;
    //  - a reply whose function byte differs from the request's, or a read reply whose byte
    //    count is not twice the registers requested or runs past its own data (a late reply
    //    to an earlier request must not be filed here, nor taken for a calibration reply);
    //  - a write acknowledgement that does not repeat its request's start register and count
    //    (or register and value): the mirror must not show a write the inverter never confirmed.
    // In the calibration states nothing is filed or decoded: the calibration window reads the
    // accepted reply itself.
    bool DecodeReply(ByteView reply, const RequestInfo &request, bool calibrationState);

    std::uint16_t ReplyUnreadable() const { return replyUnreadable_; }
    bool LastReplyUnreadable() const { return replyUnreadable_ == ReplyUnreadableSet; }
    const RegisterImage &Image() const { return image_; }
    const InverterData &Data() const { return data_; }

    // Until the write mirror is plugged in, a write reply changes nothing.
    void SetWriteAcknowledge(WriteAcknowledge *handler) { writeAcknowledge_ = handler; }

private:
    RegisterImage image_;
    InverterData data_;
    std::uint16_t replyUnreadable_ = ReplyReadable;
    WriteAcknowledge *writeAcknowledge_ = nullptr;
};

} // namespace pv
