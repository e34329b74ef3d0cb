#include "calibration_frames.h"

#include "link/registers.h"

namespace pv {
namespace {

constexpr std::size_t CrcLength = 2;

// Where each data byte of the settings write comes from, in register order 0xCF03..0xCF09:
// an entry, or nothing for the zero low byte of a current gain register.
constexpr std::optional<EntryId> WriteDataSources[] = {
    EntryId{CalibrationEntry::Text8, 0},                // 0xCF03 string A voltage gain
    EntryId{CalibrationEntry::Text8, 1},                //        string A voltage offset
    EntryId{CalibrationEntry::Text8, 2},                // 0xCF04 string B voltage gain
    EntryId{CalibrationEntry::Text8, 3},                //        string B voltage offset
    EntryId{CalibrationEntry::Text8, 4},                // 0xCF05 DC bus meter voltage, high byte
    EntryId{CalibrationEntry::Text8, 5},                //        low byte
    EntryId{CalibrationEntry::Text3, CurrentGainIndex}, // 0xCF06 string A current gain
    std::nullopt,
    EntryId{CalibrationEntry::Text4, CurrentGainIndex}, // 0xCF07 string B current gain
    std::nullopt,
    EntryId{CalibrationEntry::Text8, 8}, // 0xCF08 AC meter voltage, high byte
    EntryId{CalibrationEntry::Text8, 9}, //        low byte
    EntryId{CalibrationEntry::Text7, 0}, // 0xCF09 AC current gain
    std::nullopt,
};
static_assert(std::size(WriteDataSources) == 2 * reg::CalibrationSettingsCount);

} // namespace

int AdvanceCalibrationStep(int step)
{
    switch (step) {
    case CalibrationReadStep:
    case CalibrationWriteStep:
    case OffsetWriteStep:
        return step + 1;
    default:
        return step;
    }
}

std::optional<Bytes> CalibrationWriteData(const CalibrationTexts &texts, const NumberFormat &format)
{
    Bytes data;
    for (const auto &source : WriteDataSources) {
        if (!source) {
            data.push_back(0);
            continue;
        }
        const auto byte = EntryWord(decl::CalibrationByte, texts.Text(*source), format);
        if (!byte)
            return std::nullopt;
        data.push_back(static_cast<std::uint8_t>(*byte));
    }
    return data;
}

bool BuildCalibrationRequest(int step, const CalibrationTexts &texts, const NumberFormat &format,
                             Channel &channel)
{
    switch (step) {
    case CalibrationReadStep:
        BuildReadRequest(channel, reg::CalibrationFirst, reg::CalibrationReadCount);
        return true;
    case CalibrationWriteStep: {
        const auto data = CalibrationWriteData(texts, format);
        if (!data)
            break;
        BuildWriteRequest(channel, OwnWriteFunction, reg::CalibrationSettings, *data);
        return true;
    }
    case OffsetWriteStep: {
        const auto value = EntryWord(decl::AcCurrentOffset, texts.text2, format);
        if (!value)
            break;
        BuildSingleWordWrite(channel, reg::AcCurrentOffset, *value);
        return true;
    }
    default:
        return true;
    }
    // Nothing that was not checked may reach the inverter.
    channel.request.clear();
    return false;
}

std::optional<std::vector<ReadBackText>> LayOutCalibrationReply(ByteView reply)
{
    if (reply.size() < CalibrationReplyBytesNeeded + CrcLength)
        return std::nullopt;
    std::vector<ReadBackText> texts;
    for (const ReadBackCell &cell : CalibrationReadLayout)
        texts.push_back({cell.text1Index, IntegerText(reply[cell.replyByte])});
    return texts;
}

} // namespace pv
