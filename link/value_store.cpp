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
    // Calibration replies belong to the calibration window, which reads them itself.
    if (calibrationState)
        return true;
    // A late reply to an earlier request carries another function or length; filing it would
    // put its bytes at this request's place in the image.
    if (function != request.function)
        return false;

    if (function == ReadFunction) {
        if (reply.size() < FirstDataIndex + CrcLength)
            return false;
        const std::size_t byteCount = reply[ByteCountIndex];
        if (FirstDataIndex + byteCount + CrcLength > reply.size())
            return false;
        if (byteCount != 2u * request.registerCount)
            return false;
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
