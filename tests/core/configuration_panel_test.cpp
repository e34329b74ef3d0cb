// The configuration panel without a window: what a read shows is saved, compared and written
// again as it stands, and what saving refuses.

#include "settings/configuration_fields.h"
#include "settings/configuration_file.h"

#include "configuration_unit.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <tuple>

namespace pv {
namespace {

using namespace pv::test;
using F = ConfigurationFault;

// Settings are unsigned words, as their checks accept them: a disconnect time of 40000 ms and
// a rated power of 6553.5 kW read back as written, so saving, comparing and writing the panel
// again take them as they stand.
TEST(ConfigurationPanel, UnsignedSettingsReadBackAsWrittenAndPassSaveCompareAndWrite)
{
    ConfigurationValues unit = Unit();
    unit.limits[12] = 40000;
    unit.ratedPower = 6553.5f;
    RegisterImage image;
    const auto put = [&image](std::uint16_t r, std::uint16_t word) {
        const Bytes bytes{static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
        image.CopyReplyToImage(0, 2, bytes, reg::ImageIndex(r));
    };
    for (std::size_t i = 0; i < unit.limits.size(); ++i)
        put(decl::GridLimits[i].address,
            static_cast<std::uint16_t>(unit.limits[i] * decl::GridLimits[i].scale + 0.5f));
    put(decl::SleepPower.address, 5);
    put(decl::RetryTime.address, 600);
    put(decl::RatedPower.address, 0xFFFF);
    InverterData data;
    data.Decode(image);
    const ConfigurationTexts read = ConfigurationValueTexts(data, CommaDecimal);
    EXPECT_EQ(read.limits[12], "40000");
    EXPECT_EQ(read.ratedPower, "6553,5");
    ConfigurationPanelTexts panel{read.limits,    read.sleepPower,  read.ratedPower,
                                  read.retryTime, unit.countryCode, unit.flags};
    const PanelReading saved = ReadConfigurationPanel(panel, CommaDecimal);
    ASSERT_TRUE(saved.values) << static_cast<int>(saved.problem.fault);
    EXPECT_EQ(*saved.values, unit);
    EXPECT_EQ(CompareConfiguration(panel, unit, CommaDecimal), std::vector<int>{});
    const GridLimitCheck write = CheckGridLimitEntries(read.limits, CommaDecimal);
    EXPECT_FALSE(write.refusal);
    EXPECT_EQ(write.words[12], 40000);
}

// The panel as a technician left it: what saving it refuses (the first fault, its field), and
// the fields Compare finds different from Unit() (nothing: not compared).
TEST(ConfigurationPanel, SavingRefusesTheFirstFaultAndComparingFindsExactlyTheFieldsThatDiffer)
{
    using P = ConfigurationPanelTexts;
    const std::tuple<std::function<void(P &)>, F, int, std::optional<std::vector<int>>> cases[] = {
        {[](P &) {}, F::None, -1, std::vector<int>{}},
        {[](P &p) { p.limits[9] = "47,50", p.ratedPower = "3.600"; }, F::None, -1,
         std::vector<int>{}}, // the same values written otherwise
        {[](P &p) {
             p.limits[13] = "", p.sleepPower = "6", p.countryCode = 6, p.flags[1] = false;
             p.flags[7] = false;
         },
         F::EmptyEntry, 13,
         std::vector{13, SleepPowerField, CountryCodeField, CommunicationField, FlagField(7)}},
        {[](P &p) { p.retryTime = "6o0"; }, F::NotNumber, RetryTimeField,
         std::vector{RetryTimeField}},
        {[](P &p) { p.countryCode.reset(); }, F::NoCountry, CountryCodeField,
         std::vector{CountryCodeField}},
        {[](P &p) { p = {}; }, F::EmptyPanel, -1, std::nullopt},
    };
    for (const auto &[edit, fault, field, differing] : cases) {
        SCOPED_TRACE(testing::Message()
                     << "fault " << static_cast<int>(fault) << ", field " << field);
        ConfigurationPanelTexts panel = ConfigurationEntryTexts(Unit(), CommaDecimal);
        edit(panel);
        const ConfigurationProblem p = ReadConfigurationPanel(panel, CommaDecimal).problem;
        EXPECT_EQ(std::pair(p.fault, p.field), std::pair(fault, field));
        if (differing) {
            EXPECT_EQ(CompareConfiguration(panel, Unit(), CommaDecimal), *differing);
        }
    }
}

} // namespace
} // namespace pv
