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

bool CalibrationReplyFillsRow(ByteView reply)
{
    return LayOutCalibrationReply(reply).has_value();
}

namespace {

void BuildFromPlan(int step, const CalibrationPlan &plan, Channel &channel)
{
    channel.request.clear();
    BuildCalibrationRequest(step, plan.texts, plan.format, channel);
}

void BuildRead(const CalibrationPlan &plan, Channel &channel)
{
    BuildFromPlan(CalibrationReadStep, plan, channel);
}

void BuildSettingsWrite(const CalibrationPlan &plan, Channel &channel)
{
    BuildFromPlan(CalibrationWriteStep, plan, channel);
}

void BuildOffsetWrite(const CalibrationPlan &plan, Channel &channel)
{
    BuildFromPlan(OffsetWriteStep, plan, channel);
}

constexpr int Keep = KeepInterval;

// Step, sends, discards first, interval, group, mirror, judge, next; then the builder. The
// replies are the calibration window's to read: nothing is mirrored.
constexpr StepRow<CalibrationPlan> Rows[] = {
    {{CalibrationReadStep, true, true, Keep, AnyGroup, {}, nullptr, 1}, BuildRead},
    {{1, false, false, Keep, AnyGroup, {}, CalibrationReplyFillsRow, NoStep}},
    {{CalibrationWriteStep, true, true, Keep, AnyGroup, {}, nullptr, 3}, BuildSettingsWrite},
    {{3, false, false, Keep, AnyGroup, {}, nullptr, NoStep}},
    {{OffsetWriteStep, true, true, Keep, AnyGroup, {}, nullptr, 5}, BuildOffsetWrite},
    {{5, false, false, Keep, AnyGroup, {}, nullptr, NoStep}},
};

} // namespace

std::span<const StepRow<CalibrationPlan>> CalibrationTable()
{
    return Rows;
}

ExchangeRun CalibrationRun(CalibrationPlan plan, ExchangeStart start)
{
    return ExchangeRun(CalibrationTable(), std::move(plan), start);
}

} // namespace pv
