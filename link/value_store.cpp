#include "value_store.h"

#include "reply_check.h"

namespace pv {

namespace {

constexpr std::size_t ByteCountIndex = 2;
constexpr std::size_t FirstDataIndex = 3;
constexpr std::uint32_t ImageBlockEnd = 0xCFFF;

} // namespace

bool ValueStore::DecodeReply(ByteView reply, const RequestInfo &request, bool calibrationState)
{
    const ReplyVerdict verdict = ClassifyReply(reply, request);
    // Fewer than three bytes (nothing at all included) cannot even be examined.
    const bool unexamined = verdict == ReplyVerdict::NoAnswer || verdict == ReplyVerdict::TooShort;
    replyUnreadable_ = unexamined ? ReplyUnreadableSet : ReplyReadable;
    if (verdict != ReplyVerdict::Accepted)
        return false;
    // Calibration replies belong to the calibration window, which reads them itself.
    if (calibrationState)
        return true;

    if (reply[1] == ReadFunction) {
        const std::size_t byteCount = reply[ByteCountIndex];
        const bool inBlock
            = request.replyAddress >= reg::ImageFirst && request.replyAddress <= ImageBlockEnd;
        const std::size_t imageStart = inBlock ? request.replyAddress - reg::ImageFirst : 0;
        image_.CopyReplyToImage(FirstDataIndex, byteCount, reply, imageStart);
    } else if (writeAcknowledge_ != nullptr) {
        writeAcknowledge_->ApplyWriteAcknowledge(reply, image_);
    }

    data_.Decode(image_);
    return true;
}

} // namespace pv
