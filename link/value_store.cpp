#include "value_store.h"

namespace pv {

namespace {

constexpr std::size_t FunctionIndex = 1;
constexpr std::size_t ByteCountIndex = 2;
constexpr std::size_t FirstDataIndex = 3;
constexpr std::size_t CrcLength = 2;
constexpr std::uint32_t ImageBlockEnd = 0xCFFF;

} // namespace

bool ValueStore::DecodeReply(ByteView reply, const RequestInfo &request, bool calibrationState)
{
    if (!CheckReplyCrc(reply, replyUnreadable_))
        return false;
    const std::uint8_t function = reply[FunctionIndex];
    // A refusal from the inverter is never a success, least of all for a calibration write.
    if (function & ExceptionBit)
        return false;
    // A late reply to an earlier request carries another function or length; filing it would
    // put its bytes at this request's place in the image, and in the calibration window it
    // would show another block's bytes as calibration values, or pass for the acknowledgement
    // of a calibration write that the inverter never heard.
    if (function != request.function)
        return false;
    const std::size_t byteCount = reply.size() > ByteCountIndex ? reply[ByteCountIndex] : 0;
    if (function == ReadFunction
        && (reply.size() < FirstDataIndex + CrcLength
            || FirstDataIndex + byteCount + CrcLength > reply.size()
            || byteCount != 2u * request.registerCount))
        return false;
    // Calibration replies belong to the calibration window, which reads them itself.
    if (calibrationState)
        return true;

    if (function == ReadFunction) {
        const bool inBlock
            = request.replyAddress >= ImageBase && request.replyAddress <= ImageBlockEnd;
        const std::size_t imageStart = inBlock ? request.replyAddress - ImageBase : 0;
        image_.CopyReplyToImage(FirstDataIndex, byteCount, reply, imageStart);
    } else if (writeAcknowledge_ != nullptr) {
        writeAcknowledge_->ApplyWriteAcknowledge(reply, image_);
    }

    data_.Decode(image_);
    return true;
}

} // namespace pv
