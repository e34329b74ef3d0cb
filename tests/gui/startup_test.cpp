#include "app/form1_controls.h"
#include "app/settings_files.h"
#include "app/startup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace pv {
namespace {

namespace fs = std::filesystem;

enum class Vis { Unchanged, Shown, Hidden };
constexpr Vis S = Vis::Shown, H = Vis::Hidden, U = Vis::Unchanged;

struct MenuLeft
{
    int label = 300, shape = 210; // where both entries stand before the switches are read
};
constexpr MenuLeft Stay{}, Inner{9330, 9240}, Outer{10800, 10695};

struct InitCase
{
    const char *label, *fileName;
    std::string content;
    InitResult result;
    Vis calibration, flags, selfTest, efficiency;
    MenuLeft calibrationLeft, selfTestLeft;
    const char16_t *suffix; // nullptr: left as it was
};

constexpr auto Applied = InitResult::Applied, TooFew = InitResult::TooFewFields,
               Missing = InitResult::Missing;
constexpr std::size_t Calibration = 3, SelfTest = 6, Efficiency = 9;

const InitCase initCases[] = {
    {"BothEntriesPlaced", InitSetFile, "1,0,1,1,0,X", Applied, S, H, S, S, Outer, Inner, u"X"},
    {"CalibrationTakesSelfTestSlot", InitSetFile, "1,1,0,0,0,X", Applied, S, S, H, H, Inner, Stay,
     u"X"},
    {"SelfTestPlacedAlone", InitSetFile, "0,1,1,1,0,X", Applied, H, S, S, S, Stay, Inner, u"X"},
    {"LineBreakKeptInSuffix", InitSetFile, "1,1,1,1,0,X\r\n", Applied, S, S, S, S, Outer, Inner,
     u"X\r\n"},
    {"TwoShowsWithoutPlacement", InitSetFile, "2,1,1,1,0,X", Applied, S, S, S, S, Stay, Stay, u"X"},
    {"OtherSelfTestTextNoPlacement", InitSetFile, "1,1,2,1,0,X", Applied, S, S, S, S, Stay, Stay,
     u"X"},
    {"BlankOrLineBreakIsNotZero", InitSetFile, " 0,1,1,0\n,0,X,Y", Applied, S, S, S, S, Stay, Stay,
     u"X"},
    {"SuffixInCodePage", InitSetFile, "0,0,0,0,0,Gr\xFC\xDF", Applied, H, H, H, H, Stay, Stay,
     u"Gr\u00FC\u00DF"},
    {"FiveFieldsKeepSwitches", InitSetFile, "1,0,1,0,0", TooFew, S, H, S, H, Outer, Inner, nullptr},
    {"TwoFieldsStopEarly", InitSetFile, "0,0", TooFew, H, H, U, U, Stay, Stay, nullptr},
    {"EmptyReadsNShowsCalibration", InitSetFile, "", TooFew, S, U, U, U, Stay, Stay, nullptr},
    {"LowerCaseNameIsMissing", "initset.txt", "0,0,0,0,0,X", Missing, U, U, U, U, Stay, Stay,
     nullptr},
};

// Every case runs once from a window with everything the switches touch shown and once with it
// all hidden, so that "unchanged" and "set" differ; the entries start away from both slots.
class ReadInitSettingsTest : public ::testing::TestWithParam<std::tuple<InitCase, bool>>
{
protected:
    void SetUp() override
    {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        BuildForm1Controls(&form_, ui_);
        for (std::size_t entry : {Calibration, SelfTest}) {
            SetLeftTwips(ui_.Label16[entry], Stay.label);
            SetLeftTwips(ui_.Shape2[entry], Stay.shape);
        }
        for (QWidget *w : Switched())
            w->setVisible(start_);
        switches_ = {start_, QStringLiteral("before")};
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::vector<QWidget *> Switched() const
    {
        std::vector<QWidget *> all{ui_.Label16[Calibration], ui_.Shape2[Calibration],
                                   ui_.Label16[SelfTest],    ui_.Shape2[SelfTest],
                                   ui_.Frame2[Efficiency],   ui_.Label2[Efficiency]};
        all.insert(all.end(), ui_.Check2.begin(), ui_.Check2.end());
        return all;
    }
    bool Expected(Vis v) const { return v == U ? start_ : v == S; }
    void ExpectShown(std::size_t entry, Vis v) const
    {
        EXPECT_EQ(!ui_.Label16[entry]->isHidden(), Expected(v)) << "Label16 " << entry;
        EXPECT_EQ(!ui_.Shape2[entry]->isHidden(), Expected(v)) << "Shape2 " << entry;
    }
    void ExpectLeft(std::size_t entry, MenuLeft left) const
    {
        EXPECT_EQ(LeftTwips(ui_.Label16[entry]), left.label) << "Label16 " << entry;
        EXPECT_EQ(LeftTwips(ui_.Shape2[entry]), left.shape) << "Shape2 " << entry;
    }

    const bool start_ = std::get<1>(GetParam());
    const fs::path folder_
        = fs::temp_directory_path() / ("pv_startup_" + std::to_string(::getpid()));
    QWidget form_;
    Form1Controls ui_;
    InitSwitches switches_;
};

TEST_P(ReadInitSettingsTest, AppliesSwitches)
{
    const InitCase &c = std::get<0>(GetParam());
    std::ofstream(folder_ / c.fileName, std::ios::binary) << c.content;

    EXPECT_EQ(ReadInitSettings(folder_, ui_, switches_), c.result);

    ExpectShown(Calibration, c.calibration);
    ExpectShown(SelfTest, c.selfTest);
    for (const QCheckBox *flag : ui_.Check2)
        EXPECT_EQ(!flag->isHidden(), Expected(c.flags));
    EXPECT_EQ(!ui_.Frame2[Efficiency]->isHidden(), Expected(c.efficiency));
    EXPECT_EQ(!ui_.Label2[Efficiency]->isHidden(), Expected(c.efficiency));
    EXPECT_EQ(switches_.efficiencyShown, Expected(c.efficiency));
    ExpectLeft(Calibration, c.calibrationLeft);
    ExpectLeft(SelfTest, c.selfTestLeft);
    EXPECT_EQ(switches_.titleSuffix,
              c.suffix ? QString::fromUtf16(c.suffix) : QStringLiteral("before"));
}

INSTANTIATE_TEST_SUITE_P(Startup, ReadInitSettingsTest,
                         ::testing::Combine(::testing::ValuesIn(initCases), ::testing::Bool()),
                         [](const auto &info) {
                             return std::string(std::get<0>(info.param).label)
                                    + (std::get<1>(info.param) ? "_FromShown" : "_FromHidden");
                         });

TEST(ReadInitSettingsFile, NoFileChangesNothing)
{
    QWidget form;
    Form1Controls ui;
    BuildForm1Controls(&form, ui);
    ui.Label16[Calibration]->hide();
    InitSwitches switches{false, QStringLiteral("before")};
    EXPECT_EQ(ReadInitSettings("/nonexistent/pv", ui, switches), Missing);
    EXPECT_TRUE(ui.Label16[Calibration]->isHidden());
    EXPECT_FALSE(switches.efficiencyShown);
    EXPECT_EQ(switches.titleSuffix, QStringLiteral("before"));
}

} // namespace
} // namespace pv
