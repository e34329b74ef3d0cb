#include "app/form1_controls.h"
#include "app/settings_files.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace pv {
namespace {

namespace fs = std::filesystem;

// Left edges in twips: label and shape of the calibration entry, then of the self-test entry.
using Lefts = std::array<int, 4>;
constexpr Lefts Design{300, 210, 300, 210}, Both{10800, 10695, 9330, 9240},
    CalibrationInner{9330, 9240, 300, 210}, SelfTestInner{300, 210, 9330, 9240};

struct InitCase
{
    const char *label, *content;
    InitResult result;
    // Calibration entry, flag boxes, self-test entry, efficiency: Shown, Hidden, Unchanged.
    const char *shown;
    Lefts lefts;
    const char16_t *suffix = nullptr; // nullptr: left as it was
    const char *fileName = InitSetFile;
};

constexpr auto Applied = InitResult::Applied, TooFew = InitResult::TooFewFields;
constexpr std::size_t Calibration = 3, SelfTest = 6, Efficiency = 9;

const InitCase initCases[] = {
    {"BothEntriesPlaced", "1,0,1,1,0,X", Applied, "SHSS", Both, u"X"},
    {"CalibrationTakesSelfTestSlot", "1,1,0,0,0,X", Applied, "SSHH", CalibrationInner, u"X"},
    {"SelfTestPlacedAlone", "0,1,1,1,0,X", Applied, "HSSS", SelfTestInner, u"X"},
    {"CodePageSuffixKeepsLineBreak", "1,1,1,1,0,\xFC\r\n", Applied, "SSSS", Both, u"\u00FC\r\n"},
    {"TwoShowsWithoutPlacement", "2,1,1,1,0,X", Applied, "SSSS", Design, u"X"},
    {"FiveFieldsKeepSwitches", "1,0,1,0,0", TooFew, "SHSH", Both},
    {"EmptyReadsNShowsCalibration", "", TooFew, "SUUU", Design},
    {"LowerCaseNameIsMissing", "0,0,0,0,0,X", InitResult::Missing, "UUUU", Design, nullptr,
     "initset.txt"},
};

// Every case runs from a window with everything the switches touch shown and from one with it
// all hidden, so that "unchanged" and "set" differ; the entries start away from both slots.
using ReadInitSettingsTest = ::testing::TestWithParam<std::tuple<InitCase, bool>>;

TEST_P(ReadInitSettingsTest, AppliesSwitches)
{
    const auto &[c, start] = GetParam();
    const fs::path folder = fs::temp_directory_path() / ("pv_init_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / c.fileName, std::ios::binary) << c.content;
    QWidget form;
    Form1Controls ui;
    BuildForm1Controls(&form, ui);
    const std::vector<std::vector<QWidget *>> groups{
        {ui.Label16[Calibration], ui.Shape2[Calibration]},
        {ui.Check2.begin(), ui.Check2.end()},
        {ui.Label16[SelfTest], ui.Shape2[SelfTest]},
        {ui.Frame2[Efficiency], ui.Label2[Efficiency]}};
    for (const auto &group : groups)
        std::for_each(group.begin(), group.end(), [&](QWidget *w) { w->setVisible(start); });
    const std::array<QWidget *, 4> placed{ui.Label16[Calibration], ui.Shape2[Calibration],
                                          ui.Label16[SelfTest], ui.Shape2[SelfTest]};
    for (std::size_t i = 0; i < placed.size(); ++i)
        SetLeftTwips(placed[i], Design[i]);
    InitSwitches switches{start, QStringLiteral("before")};

    EXPECT_EQ(ReadInitSettings(folder, ui, switches), c.result);
    fs::remove_all(folder);

    std::string seen, expected = c.shown;
    for (std::size_t i = 0; i < groups.size(); ++i) {
        const auto shown = std::count_if(groups[i].begin(), groups[i].end(),
                                         [](QWidget *w) { return !w->isHidden(); });
        seen += shown == 0 ? 'H' : shown == std::ssize(groups[i]) ? 'S' : '?';
        expected[i] = expected[i] == 'U' ? (start ? 'S' : 'H') : expected[i];
    }
    EXPECT_EQ(seen, expected);
    EXPECT_EQ(switches.efficiencyShown, expected[3] == 'S');
    Lefts lefts;
    std::transform(placed.begin(), placed.end(), lefts.begin(), LeftTwips);
    EXPECT_EQ(lefts, c.lefts);
    EXPECT_EQ(switches.titleSuffix,
              c.suffix ? QString::fromUtf16(c.suffix) : QStringLiteral("before"));
}

INSTANTIATE_TEST_SUITE_P(Startup, ReadInitSettingsTest,
                         ::testing::Combine(::testing::ValuesIn(initCases), ::testing::Bool()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).label)
                                    + (std::get<1>(info.param) ? "_FromShown" : "_FromHidden");
                         });

} // namespace
} // namespace pv
