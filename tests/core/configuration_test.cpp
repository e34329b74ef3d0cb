// The configuration write: the tests made before anything is sent, and the exact frames of every
// sending step of the configuration sequence.

#include "link/line_recorder.h"
#include "settings/configuration.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <vector>

namespace pv {
namespace {

constexpr NumberFormat PointDecimal{'.', ','};
constexpr NumberFormat CommaDecimal{',', '.'};

// A panel on which every group would pass: Germany chosen, both options chosen, the limits of a
// 230 V / 50 Hz grid. Each case ticks its groups and changes what it is about.
ConfigurationEntries Panel()
{
    ConfigurationEntries e;
    e.sleepPower = "5";
    e.ratedPower = "3.6";
    e.retryTime = "60";
    e.countryText = "Germany";
    e.noCountryText = "Country";
    e.countryCode = 6;
    e.dcInputChosen = e.communicationChosen = true;
    e.limits = {"264", "253",  "195",  "184",  "200",  "2000", "2000",
                "200", "50.2", "47.5", "60.5", "59.5", "200",  "300"};
    e.modelName = "PV3600";
    e.companyName = "Sun";
    return e;
}

using Edit = std::function<void(ConfigurationEntries &)>;

Edit Ticked(
    std::initializer_list<WriteGroup> list, Edit more = [](ConfigurationEntries &) {})
{
    return [groups = std::vector<WriteGroup>(list), more](ConfigurationEntries &e) {
        for (WriteGroup g : groups)
            e.groups[g] = true;
        more(e);
    };
}

// One text of the panel set, its group ticked.
Edit With(WriteGroup group, std::string ConfigurationEntries::*entry, const char *text)
{
    return Ticked({group}, [=](ConfigurationEntries &e) { e.*entry = text; });
}
using E = ConfigurationEntries;

ConfigurationWriteCheck Check(const Edit &edit, const NumberFormat &format = PointDecimal)
{
    ConfigurationEntries entries = Panel();
    edit(entries);
    return CheckConfigurationWrite(entries, format);
}

// ---- frames ------------------------------------------------------------------------------------

const char *const NamesPv3600Sun = "50 56 33 36 30 30 00 00 00 00 53 75 6E 00 00 00 00 00 00 00";
const std::string RatedPower35 = std::string("FF 10 C0 B0 00 0C 18 00 23 00 23 ") + NamesPv3600Sun;
const std::string RatedPowerMax = std::string("FF 10 C0 B0 00 0C 18 FF FF FF FF ") + NamesPv3600Sun;

TEST(ConfigurationFrame, IsSentByteForByte)
{
    // The panel when Write was pressed (nothing pressed for the reads), the step, what is sent
    // before the CRC (empty: nothing) and where a read reply is filed.
    const std::tuple<const char *, Edit, int, const char *, std::uint32_t> cases[] = {
        {"SettingsRead_FF03C0810015", nullptr, 0, "FF 03 C0 81 00 15", 0xC102},
        {"RatedPowerRead_FF03C0B10001", nullptr, 2, "FF 03 C0 B1 00 01", 0xC162},
        {"RetryTime600", With(RetryTimeGroup, &E::retryTime, "600"), 12,
         "FF 10 C0 85 00 01 02 02 58", 0xC10A},
        {"EmptySleepPowerSendsZero", With(SleepPowerGroup, &E::sleepPower, ""), 4,
         "FF 10 C0 84 00 01 02 00 00", 0xC108},
        {"RatedPowerWithComma", With(RatedPowerGroup, &E::ratedPower, "3,5"), 6,
         RatedPower35.c_str(), 0xC160},
        {"RatedPower6553_5IsFFFF", With(RatedPowerGroup, &E::ratedPower, "6553.5"), 6,
         RatedPowerMax.c_str(), 0xC160},
        {"FlagsAllButBox0ThenTheCode",
         Ticked({CountryGroup},
                [](auto &e) { e.flags = {false, true, true, true, true, true, true, true}; }),
         8, "FF 10 C0 81 00 01 02 7F 06", 0xC102},
        // Fmin(50HZ) 47.5 becomes 475 (01 DB) at 0xC091; the frequencies are sent in tenths.
        {"LimitsInRegisterOrder", Ticked({CountryGroup}), 10,
         "FF 10 C0 88 00 0E 1C 01 08 00 FD 00 C3 00 B8 00 C8 07 D0 07 D0 00 C8 01 F6 01 DB "
         "02 5D 02 53 00 C8 01 2C",
         0xC110},
        // A step whose group was not checked sends nothing, and nothing is sent without a check.
        {"SleepStepOfAWriteWithoutIt", Ticked({RetryTimeGroup}), 4, "", 0},
        {"WriteStepWithoutACheckedWrite", nullptr, 12, "", 0},
    };
    for (const auto &[name, edit, step, sent, replyAddress] : cases) {
        SCOPED_TRACE(name);
        std::optional<ConfigurationWrite> write;
        if (edit) {
            const ConfigurationWriteCheck check = Check(edit);
            ASSERT_FALSE(check.refusal) << check.refusal->textNumber;
            write = check.write;
        }
        Channel channel;
        channel.request = {0x01}; // a stale request must not survive
        BuildConfigurationFrame(step, write, channel);
        const std::string hex = HexText(channel.request);
        EXPECT_EQ(hex.substr(0, hex.size() < 6 ? 0 : hex.size() - 6), sent) << "before the CRC";
        std::uint16_t unreadable = 0;
        EXPECT_TRUE(channel.request.empty() || CheckReplyCrc(channel.request, unreadable));
        EXPECT_EQ(channel.request.empty() ? 0 : channel.sent.replyAddress, replyAddress);
    }
}

// ---- tests before a write ----------------------------------------------------------------------

using C = ConfigurationControl;
// Text 132, the entry emptied; text 133 with the caption; text 138 for the country list.
ConfigurationRefusal Refused(C control, int index = 0)
{
    return {{control, index}, 132, false, true};
}
ConfigurationRefusal Empty(C control, bool emptied = false, int index = 0)
{
    return {{control, index}, 133, true, emptied};
}
const ConfigurationRefusal NoCountry{{C::Combo2}, 138};

TEST(ConfigurationWriteCheck, StopsAtTheFirstFailedTestAndSendsNothing)
{
    // The panel, and the refusal (nothing: the write passes).
    const std::tuple<const char *, Edit, std::optional<ConfigurationRefusal>> cases[] = {
        {"NoGroupTicked", [](auto &) {}, ConfigurationRefusal{{C::None}, 134}},
        // Each value is judged as it will be sent, rounded to its register's unit.
        {"SleepPower20_4SentAs20", With(SleepPowerGroup, &E::sleepPower, "20.4"), std::nullopt},
        {"SleepPower20_6SentAs21", With(SleepPowerGroup, &E::sleepPower, "20.6"),
         Refused(C::Text5)},
        {"RatedPowerEmpty", With(RatedPowerGroup, &E::ratedPower, ""), Empty(C::Text6)},
        {"RatedPowerLoneComma", With(RatedPowerGroup, &E::ratedPower, ","), Refused(C::Text6)},
        {"RatedPower6553_6", With(RatedPowerGroup, &E::ratedPower, "6553.6"), Refused(C::Text6)},
        {"CountryListShowsItsOwnText",
         Ticked({CountryGroup}, [](auto &e) { e.countryText = e.noCountryText; }), NoCountry},
        {"CountryListEmpty", Ticked({CountryGroup}, [](auto &e) { e.countryText = ""; }),
         NoCountry},
        {"CountryPositionWithoutCode",
         Ticked({CountryGroup}, [](auto &e) { e.countryCode.reset(); }), NoCountry},
        {"Fmin60HalfWithComma", Ticked({CountryGroup}, [](auto &e) { e.limits[11] = "0,5"; }),
         Empty(C::Text7, true, 11)},
        {"RetryTimeEmpty", With(RetryTimeGroup, &E::retryTime, ""), Empty(C::Text8)},
        {"RetryTime0_4SentAs0", With(RetryTimeGroup, &E::retryTime, "0.4"), Refused(C::Text8)},
        {"RetryTime601", With(RetryTimeGroup, &E::retryTime, "601"), Refused(C::Text8)},
        {"RetryTime0_6SentAs1", With(RetryTimeGroup, &E::retryTime, "0.6"), std::nullopt},
        // Sleep power is tested before rated power, rated power before the country.
        {"OnlyTheFirstFailureCounts",
         Ticked({SleepPowerGroup, RatedPowerGroup, CountryGroup},
                [](auto &e) { e.sleepPower = "25", e.ratedPower = "", e.countryText = ""; }),
         Refused(C::Text5)},
        {"UntickedGroupsAreNotTested",
         Ticked({RetryTimeGroup}, [](auto &e) { e.sleepPower = "25", e.limits[2] = ""; }),
         std::nullopt},
    };
    const auto key = [](const std::optional<ConfigurationRefusal> &r) {
        return r ? std::optional(std::tuple(r->entry.control, r->entry.index, r->textNumber,
                                            r->withCaption, r->emptyEntry))
                 : std::nullopt;
    };
    for (const auto &[name, edit, refusal] : cases) {
        const ConfigurationWriteCheck check = Check(edit);
        EXPECT_EQ(key(check.refusal), key(refusal)) << name;
        EXPECT_NE(check.refusal.has_value(), check.write.has_value())
            << name << ": a refused write builds no frame";
    }
}

TEST(ConfigurationWriteTest, SingleValuesFollowTheRegionalFormat)
{
    const auto sleep = [](const char *text) {
        return Ticked({SleepPowerGroup, RetryTimeGroup},
                      [text](auto &e) { e.sleepPower = text, e.retryTime = "1.000"; });
    };
    // Where "." groups thousands, "1.000" s is a thousand seconds: too long a retry time.
    const auto comma = Check(sleep("12,5"), CommaDecimal);
    ASSERT_TRUE(comma.refusal);
    EXPECT_EQ(comma.refusal->entry.control, ConfigurationControl::Text8);
    // Where "." is the point it is one second; 12.5 % is sent as 12 (halves to the even).
    const auto point = Check(sleep("12.5"), PointDecimal);
    ASSERT_TRUE(point.write);
    EXPECT_EQ(point.write->sleepPower, 12);
    EXPECT_EQ(point.write->retryTime, 1);
}

// With no DC input or no communication mode chosen, the boxes take the flags the inverter
// reported before the byte is made; that stays even when a limit is then refused.
TEST(ConfigurationWriteTest, UnchosenOptionsTakeTheReportedFlags)
{
    const auto withOptions = [](bool chosen, const char *vminL1) {
        return Ticked({CountryGroup}, [chosen, vminL1](auto &e) {
            e.flags = {false, false, true, false, false, false, false, false};
            e.optionFlags = {true, false, false, false, false, false, false, true};
            e.communicationChosen = chosen;
            e.limits[2] = vminL1;
        });
    };
    const auto settled = Check(withOptions(false, "195"));
    ASSERT_TRUE(settled.write && settled.settledFlags);
    EXPECT_EQ(*settled.settledFlags,
              (FlagBoxes{true, false, true, false, false, false, false, true}));
    EXPECT_EQ(settled.write->flags, 0xA1);

    const auto chosen = Check(withOptions(true, "195"));
    EXPECT_FALSE(chosen.settledFlags);
    EXPECT_EQ(chosen.write->flags, 0x20);

    const auto refused = Check(withOptions(false, "149"));
    EXPECT_TRUE(refused.refusal && refused.settledFlags);
}

// ---- what a read shows -------------------------------------------------------------------------

TEST(ConfigurationTextsTest, ShowTheValuesReadInTheRegionalFormat)
{
    // 0xC081 = 80 11 (flag 0, code 17), 0xC084 = 7, 0xC085 = 600, 0xC091 = 475, 0xC0B1 = 35.
    RegisterImage image;
    const auto put = [&image](std::uint16_t reg, Bytes word) {
        image.CopyReplyToImage(0, 2, word, reg::ImageIndex(reg));
    };
    put(reg::FlagsCountry, {0x80, 0x11});
    put(reg::SleepPower, {0x00, 0x07});
    put(reg::RetryTime, {0x02, 0x58});
    put(reg::GridLimits + 9, {0x01, 0xDB});
    put(reg::RatedPower, {0x00, 0x23});
    InverterData data;
    data.Decode(image);
    const ConfigurationTexts texts = ConfigurationValueTexts(data, CommaDecimal);
    EXPECT_EQ(texts.sleepPower, "7");
    EXPECT_EQ(texts.ratedPower, "3,5");
    EXPECT_EQ(texts.retryTime, "600");
    EXPECT_EQ(texts.flags, (FlagBoxes{true}));
    EXPECT_EQ(texts.limits[9], "47,5");
    EXPECT_EQ(texts.limits[0], "0");
}

} // namespace
} // namespace pv
