#pragma once
// The identifiers panel's part of the identify exchange: the checks of a write, in the order the
// panel makes them, and the request of every step. A write is built only from the values the
// checks passed, so what reaches the inverter is exactly what was checked.

#include "entry_refusal.h"
#include "packing.h"

#include "link/codec.h"
#include "link/exchange_machine.h"
#include "link/exchange_table.h"
#include "link/numbers.h"
#include "link/registers.h"

#include <cstdint>
#include <optional>
#include <string>

namespace pv {

// The entries of the panel, and the one value of the write that no entry holds.
enum class IdentifierEntry {
    Id,          // Text1, label Label5
    Energy,      // Text2, label Label4
    ModelName,   // Text3
    CompanyName, // Text4
    RatedPower,  // no entry: the rated power last read from the inverter
};

// The texts of Text1..Text4 as they stand when Write is pressed.
struct IdentifierEntries
{
    std::string id;
    std::string energy;
    std::string modelName;
    std::string companyName;
};

// Everything the four write requests carry.
struct IdentifyWriteValues
{
    std::uint16_t ratedPowerWord = 0; // 0xC0B0 and 0xC0B1, as last read
    NameBytes modelName{};
    NameBytes companyName{};
    std::uint16_t idWord = 0; // 0xC080: the ID minus one, as the inverter keeps it
    std::int32_t energy = 0;  // kWh, sent half by half through function 0x64
};

struct IdentifyWriteCheck
{
    // Text2 was empty and now reads "0" (also when a later check refused the write).
    bool energyFilledWithZero = false;
    // Exactly one of the two is set.
    EntryVerdict<IdentifierEntry> refusal;
    std::optional<IdentifyWriteValues> values;
};

// The checks of an identify write, each stopping it when it fails:
//  1. an empty ID: text 133 followed by the caption of the ID label;
//  2. an ID that is no number in the regional format, or that rounds (halves to even) outside
//     its declared range: text 132, the entry emptied;
//  3. an empty energy counter counts as "0";
//  4. an energy counter that is no number, or rounds outside its declared range: text 132,
//     emptied;
//  5. a name longer than its ten code-page bytes: text 132, emptied;
//  6. a rated power that no register word could have held: text 132 (see RatedPowerWord).
// The focus goes to the refused entry.
IdentifyWriteCheck CheckIdentifyWrite(const IdentifierEntries &entries, double powerKw,
                                      const NumberFormat &format);

// The rated power words of the names block write. That write must leave the rated power as the
// inverter holds it, so it sends back the very word last read from 0xC0B1: the stored kW value
// (the unsigned word over ten) times ten, rounded. Nothing for a value that no word can give
// (outside 0..6553.5 kW, or not a number).
std::optional<std::uint16_t> RatedPowerWord(double powerKw);

// The identify exchange: the read of the names block, the ID and the energy counter (steps
// 0..5), and the write of the names block, the ID and the energy counter's two halves (6..13),
// each write request given 2000 ms for its answer and the next one following 500 ms after it.
// Its plan is the write that passed the checks (nothing for a read).
using IdentifyPlan = std::optional<IdentifyWriteValues>;
std::span<const StepRow<IdentifyPlan>> IdentifyTable();
inline constexpr ExchangeStart IdentifyReadStart{0, ReadStepIntervalMs};
inline constexpr ExchangeStart IdentifyWriteStart{6, WriteStepIntervalMs};
// The table bound to its plan, from the read's start or, with values, from the write's.
ExchangeRun IdentifyRun(IdentifyPlan plan);

// The request of an identify step into the channel (reply address, function and count recorded
// with it), as its table row builds it. A write step without values, or a step the table does
// not hold, leaves the request empty, so nothing is sent.
void BuildIdentifyStepRequest(int step, const IdentifyWriteValues *values, Channel &channel);

} // namespace pv
