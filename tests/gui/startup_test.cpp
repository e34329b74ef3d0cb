#include "app/form1_controls.h"
#include "app/settings_files.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <QWidget>

#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <unistd.h>

namespace pv {
namespace {

namespace fs = std::filesystem;

enum class Vis { Unchanged, Shown, Hidden };

struct MenuLeft
{
    int label;
    int shape;
};

struct InitCase
{
    const char *label;
    const char *fileName; // nullptr: no file at all
    std::string content;
    InitResult result;
    Vis calibration, flags, selfTest, efficiency;
    std::optional<MenuLeft> calibrationLeft, selfTestLeft; // nullopt: not moved
    std::optional<QString> suffix;                         // nullopt: not set
};

void PrintTo(const InitCase &c, std::ostream *os) { *os << c.label; }

// Where the two movable entries stand before the switches are read: away from every slot the
// placement knows, so that a move and a non-move differ.
constexpr MenuLeft StartLeft{300, 210}; // whole pixels, so they read back exactly
const QString StartSuffix = QStringLiteral("before");

constexpr std::size_t Calibration = 3;
constexpr std::size_t SelfTest = 6;
constexpr std::size_t Efficiency = 9;

constexpr Vis S = Vis::Shown;
constexpr Vis H = Vis::Hidden;
constexpr Vis U = Vis::Unchanged;

// Each case runs from a window with everything the switches touch shown, and again with it
// all hidden: "unchanged" then means the start state, whatever it was.
class ReadInitSettingsTest : public ::testing::TestWithParam<std::tuple<InitCase, bool>>
{
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path()
                  / ("pv_startup_" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        BuildForm1Controls(&form_, ui_);

        startShown_ = std::get<1>(GetParam());
        for (std::size_t entry : {Calibration, SelfTest}) {
            ui_.Label16[entry]->setVisible(startShown_);
            ui_.Shape2[entry]->setVisible(startShown_);
            SetLeftTwips(ui_.Label16[entry], StartLeft.label);
            SetLeftTwips(ui_.Shape2[entry], StartLeft.shape);
        }
        for (QCheckBox *flag : ui_.Check2)
            flag->setVisible(startShown_);
        ui_.Frame2[Efficiency]->setVisible(startShown_);
        ui_.Label2[Efficiency]->setVisible(startShown_);
        switches_.efficiencyShown = startShown_;
        switches_.titleSuffix = StartSuffix;
    }
    void TearDown() override { fs::remove_all(folder_); }

    void ExpectVisible(const QWidget *widget, Vis expected, const char *what) const
    {
        const bool shown = expected == Vis::Unchanged ? startShown_ : expected == Vis::Shown;
        EXPECT_EQ(!widget->isHidden(), shown) << what;
    }

    void ExpectLeft(std::size_t entry, const std::optional<MenuLeft> &expected,
                    const char *what) const
    {
        const MenuLeft left = expected.value_or(StartLeft);
        EXPECT_EQ(LeftTwips(ui_.Label16[entry]), left.label) << what << " label";
        EXPECT_EQ(LeftTwips(ui_.Shape2[entry]), left.shape) << what << " shape";
    }

    fs::path folder_;
    QWidget form_;
    Form1Controls ui_;
    InitSwitches switches_;
    bool startShown_ = false;
};

TEST_P(ReadInitSettingsTest, AppliesSwitches)
{
    const InitCase &c = std::get<0>(GetParam());
    if (c.fileName)
        std::ofstream(folder_ / c.fileName, std::ios::binary) << c.content;

    EXPECT_EQ(ReadInitSettings(folder_, ui_, switches_), c.result);

    ExpectVisible(ui_.Label16[Calibration], c.calibration, "CALIBRATION label");
    ExpectVisible(ui_.Shape2[Calibration], c.calibration, "CALIBRATION shape");
    for (const QCheckBox *flag : ui_.Check2)
        ExpectVisible(flag, c.flags, "flag box");
    ExpectVisible(ui_.Label16[SelfTest], c.selfTest, "SELFTEST label");
    ExpectVisible(ui_.Shape2[SelfTest], c.selfTest, "SELFTEST shape");
    ExpectVisible(ui_.Frame2[Efficiency], c.efficiency, "efficiency frame");
    ExpectVisible(ui_.Label2[Efficiency], c.efficiency, "efficiency value");
    const bool efficiencyShown
        = c.efficiency == Vis::Unchanged ? startShown_ : c.efficiency == Vis::Shown;
    EXPECT_EQ(switches_.efficiencyShown, efficiencyShown);

    ExpectLeft(Calibration, c.calibrationLeft, "CALIBRATION");
    ExpectLeft(SelfTest, c.selfTestLeft, "SELFTEST");
    EXPECT_EQ(switches_.titleSuffix, c.suffix.value_or(StartSuffix));
}

constexpr MenuLeft InnerSlot{9330, 9240};
constexpr MenuLeft OuterSlot{10800, 10695};
constexpr auto Applied = InitResult::Applied;
constexpr auto TooFew = InitResult::TooFewFields;
constexpr auto Missing = InitResult::Missing;
constexpr auto NotMoved = std::nullopt;

const InitCase initCases[] = {
    {"CalibrationAndSelfTestBothPlaced", InitSetFile, "1,0,1,1,0,X", Applied, S, H, S, S,
     OuterSlot, InnerSlot, QStringLiteral("X")},
    {"SelfTestHiddenCalibrationTakesItsSlot", InitSetFile, "1,1,0,0,0,X", Applied, S, S, H, H,
     InnerSlot, NotMoved, QStringLiteral("X")},
    {"CalibrationHiddenSelfTestPlaced", InitSetFile, "0,1,1,1,0,X", Applied, H, S, S, S,
     NotMoved, InnerSlot, QStringLiteral("X")},
    {"BothHiddenNothingMoves", InitSetFile, "0,1,0,1,0,X", Applied, H, S, H, S, NotMoved,
     NotMoved, QStringLiteral("X")},
    {"TrailingLineBreakKeptInSuffix", InitSetFile, "1,1,1,1,0,X\r\n", Applied, S, S, S, S,
     OuterSlot, InnerSlot, QStringLiteral("X\r\n")},
    {"TwoShowsCalibrationWithoutPlacement", InitSetFile, "2,1,1,1,0,X", Applied, S, S, S, S,
     NotMoved, NotMoved, QStringLiteral("X")},
    {"OtherSelfTestTextNoPlacement", InitSetFile, "1,1,2,1,0,X", Applied, S, S, S, S, NotMoved,
     NotMoved, QStringLiteral("X")},
    {"SelfTestZeroWithLineBreakNoPlacement", InitSetFile, "0,1,1\n,1,0,X", Applied, H, S, S, S,
     NotMoved, NotMoved, QStringLiteral("X")},
    {"BlankBeforeZeroIsNotZero", InitSetFile, " 0,1,1,1,0,X", Applied, S, S, S, S, NotMoved,
     NotMoved, QStringLiteral("X")},
    {"LineBreakAfterZeroIsNotZero", InitSetFile, "1,1,1,0\r\n,0,X", Applied, S, S, S, S,
     OuterSlot, InnerSlot, QStringLiteral("X")},
    {"FifthFieldNotRead", InitSetFile, "1,1,1,1,junk,X", Applied, S, S, S, S, OuterSlot,
     InnerSlot, QStringLiteral("X")},
    {"LaterFieldsIgnored", InitSetFile, "1,1,1,1,0,X,Y,Z", Applied, S, S, S, S, OuterSlot,
     InnerSlot, QStringLiteral("X")},
    {"EmptySuffix", InitSetFile, "1,1,1,1,0,", Applied, S, S, S, S, OuterSlot, InnerSlot,
     QString()},
    {"SuffixInCodePage", InitSetFile, "1,1,1,1,0,Gr\xFC\xDF" "e", Applied, S, S, S, S,
     OuterSlot, InnerSlot, QStringLiteral(u"Gr\u00FC\u00DFe")},
    {"FiveFieldsKeepSwitchesAndPlacement", InitSetFile, "1,0,1,0,0", TooFew, S, H, S, H,
     OuterSlot, InnerSlot, NotMoved},
    {"ThreeFieldsStopBeforeEfficiency", InitSetFile, "0,0,1", TooFew, H, H, S, U, NotMoved,
     NotMoved, NotMoved},
    {"TwoFieldsStopBeforeSelfTest", InitSetFile, "0,0", TooFew, H, H, U, U, NotMoved,
     NotMoved, NotMoved},
    {"EmptyFileReadsNShowsCalibration", InitSetFile, "", TooFew, S, U, U, U, NotMoved,
     NotMoved, NotMoved},
    {"NoCommaAtAll", InitSetFile, "0", TooFew, H, U, U, U, NotMoved, NotMoved, NotMoved},
    {"LowerCaseNameIsMissing", "initset.txt", "0,0,0,0,0,X", Missing, U, U, U, U, NotMoved,
     NotMoved, NotMoved},
    {"NoFileIsMissing", nullptr, "", Missing, U, U, U, U, NotMoved, NotMoved, NotMoved},
};

INSTANTIATE_TEST_SUITE_P(
    Startup, ReadInitSettingsTest,
    ::testing::Combine(::testing::ValuesIn(initCases), ::testing::Bool()),
    [](const auto &info) {
        return std::string(std::get<0>(info.param).label)
               + (std::get<1>(info.param) ? "_FromShown" : "_FromHidden");
    });

// The window as designed already stands where "1,1" puts the entries; reading that file must
// leave it so.
TEST(ReadInitSettingsDesign, ShippedSwitchesKeepDesignPlaces)
{
    const fs::path folder = fs::temp_directory_path()
                            / ("pv_startup_design_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / InitSetFile, std::ios::binary) << "1,1,1,1,0,1.0";
    QWidget form;
    Form1Controls ui;
    BuildForm1Controls(&form, ui);
    InitSwitches switches;

    EXPECT_EQ(ReadInitSettings(folder, ui, switches), InitResult::Applied);
    EXPECT_EQ(LeftTwips(ui.Label16[Calibration]), 10800);
    EXPECT_EQ(LeftTwips(ui.Shape2[Calibration]), 10695);
    EXPECT_EQ(LeftTwips(ui.Label16[SelfTest]), 9330);
    EXPECT_EQ(LeftTwips(ui.Shape2[SelfTest]), 9240);
    EXPECT_EQ(switches.titleSuffix, QStringLiteral("1.0"));
    fs::remove_all(folder);
}

} // namespace
} // namespace pv
