#pragma once
// The calibration window's three exchanges with the inverter's 0xCF00 block: the read of
// 0xCF00..0xCF0E, the write of the settings 0xCF03..0xCF09 with the inverter's own function
// 0x64, and the write of the AC current offset 0xCF0A by itself. Here are their step table,
// the request frames and the layout of a read reply in the Read Setting Data row.

#include "calibration_entries.h"

#include "link/codec.h"
#include "link/exchange_machine.h"
#include "link/exchange_table.h"
#include "link/numbers.h"

#include <optional>
#include <string>
#include <vector>

namespace pv {

// The calibration exchanges, one tick of the calibration window's timer per step: the read
// (steps 0, 1), the settings write (2, 3) and the offset write (4, 5), each ending at its
// reply. A read reply serves only when it fills the Read Setting Data row. The plan is the
// window's entries at the click (they stay locked while the exchange runs); a request is made
// from them at its step, and one that cannot be made is not sent.
inline constexpr int CalibrationReadStep = 0;
inline constexpr int CalibrationWriteStep = 2;
inline constexpr int OffsetWriteStep = 4;
struct CalibrationPlan
{
    CalibrationTexts texts;
    NumberFormat format;
};
std::span<const StepRow<CalibrationPlan>> CalibrationTable();
inline constexpr ExchangeStart CalibrationReadStart{CalibrationReadStep, ReadStepIntervalMs};
inline constexpr ExchangeStart CalibrationWriteStart{CalibrationWriteStep, WriteStepIntervalMs};
inline constexpr ExchangeStart OffsetWriteStart{OffsetWriteStep, WriteStepIntervalMs};
ExchangeRun CalibrationRun(CalibrationPlan plan, ExchangeStart start);

// The 14 data bytes of the settings write, in register order 0xCF03..0xCF09: the Text8 row
// for the voltage gains, offsets and meter voltages, and the three current gains from their
// own entries (Text3(4), Text4(4), Text7), each followed by a zero low byte. Each byte is its
// text through the calibration byte's declaration (link/registers.h); nothing when one is no
// number or rounds outside the byte.
std::optional<Bytes> CalibrationWriteData(const CalibrationTexts &texts,
                                          const NumberFormat &format);

// The request of a sending step into channel.request, CRC appended: step 0 the read
// FF 03 CF 00 00 0F, step 2 the settings write FF 64 CF 03 00 07 0E + 14 bytes, step 4 the
// offset write FF 64 CF 0A + word (Text2 through the offset's declaration: a value typed
// outside the range its buttons keep is refused like one that is no number). False, with the
// request left empty, when an entry cannot be converted; any other step leaves the channel
// alone and gives true.
bool BuildCalibrationRequest(int step, const CalibrationTexts &texts, const NumberFormat &format,
                             Channel &channel);

// Which reply byte of a read is shown in which element of the Read Setting Data row (Text1).
// The row is laid out for the technician, not in register order, and Text1(4) is never
// written.
struct ReadBackCell
{
    std::size_t replyByte;
    int text1Index;
};
inline constexpr ReadBackCell CalibrationReadLayout[] = {
    {3, 0},   // 0xCF00 high
    {4, 6},   // 0xCF00 low
    {5, 2},   // 0xCF01 high
    {6, 7},   // 0xCF01 low
    {9, 8},   // 0xCF03 high
    {10, 10}, // 0xCF03 low
    {11, 9},  // 0xCF04 high
    {13, 1},  // 0xCF05 high
    {15, 3},  // 0xCF06 high
    {17, 5},  // 0xCF07 high
    {18, 11}, // 0xCF07 low
};
// No reply byte goes to Text1(4); it keeps whatever it holds.
inline constexpr int UnusedReadBackIndex = 4;
// Bytes a read reply must carry before its CRC to fill the row.
inline constexpr std::size_t CalibrationReplyBytesNeeded = 19;

struct ReadBackText
{
    int text1Index;
    std::string text; // the byte's unsigned decimal value
};

// The texts of the Read Setting Data row for a reply (CRC already checked), in layout order;
// nothing when the reply is too short to fill the row, which then stays as it was.
std::optional<std::vector<ReadBackText>> LayOutCalibrationReply(ByteView reply);
bool CalibrationReplyFillsRow(ByteView reply);

} // namespace pv
