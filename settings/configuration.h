#pragma once
// The grid-protection configuration of the inverter: the tests a write makes before anything is
// sent, the words each write group sends, the request of every sending step of the
// configuration sequence, and the texts a read shows.

#include "entry_refusal.h"
#include "grid_limit_checks.h"
#include "packing.h"

#include "link/exchange_machine.h"
#include "link/exchange_table.h"
#include "link/inverter_data.h"
#include "link/numbers.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pv {

inline constexpr int FlagCount = 8;
using FlagBoxes = std::array<bool, FlagCount>; // Check2(0..7); box 0 is bit 7

// The write groups, by their check box Check1(index).
enum WriteGroup { SleepPowerGroup = 0, RatedPowerGroup = 1, CountryGroup = 2, RetryTimeGroup = 3 };
// Which groups a write carries: sleep power, rated power, country, retry time.
using WriteGroups = std::array<bool, 4>;

// The longest text of the single values' entries (what they accept is their registers'
// declarations, link/registers.h).
inline constexpr int SleepPowerTextLength = 5; // Text5
inline constexpr int RatedPowerTextLength = 6; // Text6
inline constexpr int RetryTimeTextLength = 5;  // Text8

// The controls a refused write points at (Text7 with its index).
enum class ConfigurationControl { None, Text5, Text6, Combo2, Text7, Text8 };

struct ConfigurationEntry
{
    ConfigurationControl control = ConfigurationControl::None;
    int index = 0; // Text7(index)
};

using ConfigurationRefusal = EntryRefusal<ConfigurationEntry>;

// What the panel holds when Write is pressed.
struct ConfigurationEntries
{
    WriteGroups groups{};
    std::string sleepPower; // Text5
    std::string ratedPower; // Text6, kW
    std::string retryTime;  // Text8, s
    // Combo2: its text, the text it shows while no country is chosen, and SelectedCountryCode
    // (nothing while the list stands for no country).
    std::string countryText;
    std::string noCountryText;
    std::optional<std::uint8_t> countryCode;
    FlagBoxes flags{};       // Check2(0..7)
    FlagBoxes optionFlags{}; // OptionFlags as last read
    // Whether one of Option1 (DC input) and one of Option2 (communication) is chosen.
    bool dcInputChosen = false;
    bool communicationChosen = false;
    GridLimitTexts limits; // Text7(0..13)
    // Sent back unchanged by the rated power write, which rewrites their block.
    std::string modelName;
    std::string companyName;
};

// Everything a configuration write sends, made only from entries that passed their tests.
struct ConfigurationWrite
{
    WriteGroups groups{};
    std::uint16_t sleepPower = 0; // 0xC084, %
    float enteredPowerKw = 0;     // EnteredPowerKw
    std::uint16_t ratedPower = 0; // 0xC0B0 and 0xC0B1, kW x 10
    NameBytes modelName{};
    NameBytes companyName{};
    std::uint8_t flags = 0;       // PendingFlagsByte, high byte of 0xC081
    std::uint8_t countryCode = 0; // SelectedCountryCode, low byte of 0xC081
    float EnteredFmax50 = 0, EnteredFmin50 = 0, EnteredFmax60 = 0, EnteredFmin60 = 0;
    GridLimitWords limits{};     // 0xC088..0xC095
    std::uint16_t retryTime = 0; // 0xC085, s
};

struct ConfigurationWriteCheck
{
    // When every test passed.
    std::optional<ConfigurationWrite> write;
    // The first test that failed.
    EntryVerdict<ConfigurationEntry> refusal;
    // Text5 was empty: it shows "0", and 0 is sent.
    bool sleepPowerFilled = false;
    // The country group found no DC input or no communication mode chosen: the flag boxes tick
    // what the inverter reported, and the options follow boxes 0 and 1. This happens before the
    // limits are checked and stays when they are refused.
    std::optional<FlagBoxes> settledFlags;
};

// The tests of a configuration write, in their order: a write group ticked (text 134); sleep
// power; rated power given; a country chosen (text 138) and the limits grid; retry time given.
// Each group is tested only when ticked. Each value is rounded to its register's unit and the
// rounded value checked against the register's declared range; a text that is no number or
// whose rounded value lies outside is refused with text 132.
ConfigurationWriteCheck CheckConfigurationWrite(const ConfigurationEntries &entries,
                                                const NumberFormat &format);

// Whether the write's Country group replaces a code the unit holds (as the monitor cycle last
// read it) that the country list does not offer with another: the technician could not choose
// that code back, so the write asks first (text 278). A write without the group, or sending the
// same code, replaces nothing.
bool ReplacesUnlistedCountry(const ConfigurationWrite &write, std::uint8_t held,
                             const std::vector<std::uint8_t> &listed);

// The flag boxes as one byte: their "0"/"1" digits, box 0 first, read in base 2.
std::uint8_t FlagsByte(const FlagBoxes &flags);

// The configuration exchange: the read of the settings (0xC081..0xC095) and of the rated power
// (0xC0B1), steps 0..3; the write of each group the plan carries, steps 4..13 (sleep power;
// rated power; flags and country, then the limits; retry time), each write request given
// 2000 ms for its answer and the next one following 500 ms after it. A group the write does not
// carry is passed over without a tick. Its plan is the write that passed the checks, with the
// groups ticked at the click (nothing for a read).
using ConfigurationPlan = std::optional<ConfigurationWrite>;
std::span<const StepRow<ConfigurationPlan>> ConfigurationTable();
inline constexpr ExchangeStart ConfigurationReadStart{0, ReadStepIntervalMs};
inline constexpr ExchangeStart ConfigurationWriteStart{4, WriteStepIntervalMs};
// The table bound to its plan, from the read's start or, with a write, from its first group.
ExchangeRun ConfigurationRun(ConfigurationPlan plan);

// The request of a sending step as its table row builds it. A write step without a checked
// write, or whose group that write does not carry, leaves the request empty: nothing is sent.
void BuildConfigurationFrame(int step, const std::optional<ConfigurationWrite> &write,
                             Channel &channel);

// What a configuration read shows: sleep power and retry time (general number text), rated
// power ("0.0"), the flags, and the limits grid.
struct ConfigurationTexts
{
    std::string sleepPower;
    std::string ratedPower;
    std::string retryTime;
    FlagBoxes flags{};
    GridLimitTexts limits;
};
ConfigurationTexts ConfigurationValueTexts(const InverterData &data, const NumberFormat &format);
GridLimitTexts GridLimitValueTexts(const InverterData &data, const NumberFormat &format);

} // namespace pv
