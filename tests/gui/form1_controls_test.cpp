// The main window's controls: every control under its design name and index, at its place,
// with its maximum length, range and timer interval.

#include "app/form1_controls.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace pv {
namespace {

class Form1ControlsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        form = std::make_unique<QWidget>();
        BuildForm1Controls(form.get(), ui);
    }
    QWidget *Find(const QString &name) const { return form->findChild<QWidget *>(name); }

    std::unique_ptr<QWidget> form;
    Form1Controls ui;
};

struct Place
{
    const char *name;
    const char *parent;
    int left, top, width, height; // twips; -1: not fixed by the design
};

class ControlPlace : public Form1ControlsTest, public ::testing::WithParamInterface<Place>
{
};

TEST_P(ControlPlace, StandsAtItsDesignPlace)
{
    const Place &p = GetParam();
    QWidget *w = Find(QLatin1String(p.name));
    ASSERT_NE(w, nullptr) << p.name;
    EXPECT_EQ(w->parentWidget()->objectName(), QLatin1String(p.parent));
    if (p.left >= 0) {
        EXPECT_EQ(LeftTwips(w), p.left);
    }
    if (p.top >= 0) {
        EXPECT_EQ(TopTwips(w), p.top);
    }
    if (p.width >= 0) {
        EXPECT_EQ(WidthTwips(w), p.width);
    }
    if (p.height >= 0) {
        EXPECT_EQ(HeightTwips(w), p.height);
    }
}

const Place Places[] = {
    {"Label16(0)", "Form1", 105, -1, -1, -1},
    {"Label16(1)", "Form1", 2040, -1, -1, -1},
    {"Label16(2)", "Form1", 4560, -1, -1, -1},
    {"Label16(3)", "Form1", 10800, -1, -1, -1},
    {"Label16(4)", "Form1", 6465, -1, -1, -1},
    {"Label16(5)", "Form1", 7665, -1, -1, -1},
    {"Label16(6)", "Form1", 9330, -1, -1, -1},
    {"Shape2(3)", "Form1", 10695, -1, -1, -1},
    {"Shape2(6)", "Form1", 9240, -1, -1, -1},
    {"Frame2(0)", "Form1", -1, 840, -1, -1},
    {"Frame2(4)", "Form1", -1, 840, -1, -1},
    {"Frame2(5)", "Form1", -1, 1980, -1, -1},
    {"Frame2(9)", "Form1", -1, 1980, -1, -1},
    {"Label2(9)", "Frame2(9)", -1, -1, -1, -1},
    {"Picture1", "Form1", -1, 3120, -1, -1},
    {"Label1", "Picture1", -1, -1, -1, -1},
    {"Picture2", "Form1", -1, -1, 40 * 15, 38 * 15},
    {"Picture3", "Form1", -1, -1, 32 * 15, 32 * 15},
    {"Picture4", "Form1", 60, 3840, 12240, 3735},
    {"VScroll1", "Picture4", 12240 - 255, 0, 255, 3735},
    {"Frame1(0)", "Picture4", -1, -1, -1, -1},
    {"Frame1(1)", "Picture4", -1, 0, -1, 3000},
    {"Frame1(2)", "Picture4", -1, -1, -1, -1},
    {"Frame1(3)", "Picture4", -1, 3000, -1, 6000},
    {"Combo1", "Frame1(0)", -1, -1, -1, -1},
    {"Label3", "Frame1(0)", -1, -1, -1, -1},
    {"Combo2", "Frame1(1)", -1, -1, -1, -1},
    {"Check1(2)", "Frame1(1)", -1, -1, -1, -1},
    {"Check2(7)", "Frame1(1)", -1, -1, -1, -1},
    {"Option1(1)", "Frame3", -1, -1, -1, -1},
    {"Option2(0)", "Frame4", -1, -1, -1, -1},
    {"Frame3", "Frame1(1)", -1, -1, -1, -1},
    {"Command1(2)", "Frame1(1)", -1, -1, -1, -1},
    {"Command1(1)", "Frame1(2)", -1, -1, -1, -1},
    {"Text4", "Frame1(2)", -1, -1, -1, -1},
    {"Text7(13)", "Frame1(3)", -1, -1, -1, -1},
    {"Label8(13)", "Frame1(3)", -1, -1, -1, -1},
    // The note sits 2200 twips above the grid's bottom, the picture right below it.
    {"Label11", "Frame1(3)", -1, 3795, -1, 300},
    {"Picture5", "Frame1(3)", -1, 4095, -1, -1},
};

INSTANTIATE_TEST_SUITE_P(Form1, ControlPlace, ::testing::ValuesIn(Places), [](const auto &info) {
    std::string name = info.param.name;
    for (char &c : name) {
        if (c == '(' || c == ')')
            c = '_';
    }
    return name;
});

TEST_F(Form1ControlsTest, WindowIsNormalHeightAndAboutTwelveThousandTwipsWide)
{
    EXPECT_EQ(HeightTwips(form.get()), 7560);
    EXPECT_GE(WidthTwips(form.get()), 11500);
    EXPECT_LE(WidthTwips(form.get()), 12600);
}

TEST_F(Form1ControlsTest, EveryArrayElementExistsUnderItsIndexedName)
{
    struct Array
    {
        const char *name;
        int count;
    };
    for (const Array &a :
         {Array{"Label16", 7}, Array{"Shape2", 7}, Array{"Frame2", 10}, Array{"Label2", 10},
          Array{"Frame1", 4}, Array{"Check1", 4}, Array{"Check2", 8}, Array{"Option1", 2},
          Array{"Option2", 2}, Array{"Command1", 4}, Array{"Text7", 14}, Array{"Label8", 14}}) {
        for (int i = 0; i < a.count; ++i)
            EXPECT_NE(Find(QStringLiteral("%1(%2)").arg(QLatin1String(a.name)).arg(i)), nullptr)
                << a.name << "(" << i << ")";
    }
    for (const char *name :
         {"Label1",   "Label3",   "Label4",   "Label5",   "Label6",  "Label7", "Label10",
          "Label11",  "Check3",   "Combo1",   "Combo2",   "Frame3",  "Frame4", "Text1",
          "Text2",    "Text3",    "Text4",    "Text5",    "Text6",   "Text8",  "Picture1",
          "Picture2", "Picture3", "Picture4", "Picture5", "VScroll1"})
        EXPECT_NE(Find(QLatin1String(name)), nullptr) << name;
}

TEST_F(Form1ControlsTest, MenuLabelsLieOverTheirShapes)
{
    for (int i = 0; i < 7; ++i) {
        const QRect label = ui.Label16[i]->geometry();
        EXPECT_TRUE(ui.Shape2[i]->geometry().contains(label)) << i;
        // Drawn above the shape: a later sibling.
        EXPECT_GT(form->children().indexOf(ui.Label16[i]), form->children().indexOf(ui.Shape2[i]));
        EXPECT_EQ(ui.Shape2[i]->BackColor(), 0x400000u);
        EXPECT_EQ(ui.Label16[i]->palette().color(QPalette::WindowText), QColor(Qt::white));
    }
    EXPECT_EQ(ui.Label16[0]->text(), "CONNECTION");
    EXPECT_EQ(ui.Label16[6]->text(), "SELFTEST");
}

TEST_F(Form1ControlsTest, MaximumLengthsOfTheEntries)
{
    struct Length
    {
        QLineEdit *text;
        int max;
    };
    for (const Length &l :
         {Length{ui.Text1, 5}, Length{ui.Text2, 10}, Length{ui.Text3, 10}, Length{ui.Text4, 10},
          Length{ui.Text5, 5}, Length{ui.Text6, 6}, Length{ui.Text8, 5}})
        EXPECT_EQ(l.text->maxLength(), l.max) << l.text->objectName().toStdString();
    for (int i = 0; i < 14; ++i)
        EXPECT_EQ(ui.Text7[i]->maxLength(), i >= 8 && i <= 11 ? 6 : 5) << "Text7(" << i << ")";
}

TEST_F(Form1ControlsTest, LimitEntriesStandBesideTheirOwnLabels)
{
    // Text7(i) is captioned by Label8 of a different index; each pair shares a row.
    const std::pair<int, const char *> pairs[] = {{0, "Vmax_L2"},
                                                  {2, "Vmin_L1"},
                                                  {6, "Vmin_L1_Dicsonnect time"},
                                                  {9, "Fmin(50HZ)"},
                                                  {13, "Fmin_Disconnect time(>0)"}};
    const int labelOf[14] = {3, 1, 0, 2, 13, 11, 10, 12, 5, 4, 7, 6, 9, 8};
    for (const auto &[textIndex, caption] : pairs) {
        QLabel *label = ui.Label8[labelOf[textIndex]];
        EXPECT_EQ(label->text(), QLatin1String(caption));
        EXPECT_LT(label->x(), ui.Text7[textIndex]->x());
        EXPECT_NEAR(label->y(), ui.Text7[textIndex]->y(), 3);
    }
}

TEST_F(Form1ControlsTest, ScrollBarTimersAndLamps)
{
    EXPECT_EQ(ui.VScroll1->minimum(), 0);
    EXPECT_EQ(ui.VScroll1->maximum(), 400);
    EXPECT_EQ(ui.VScroll1->singleStep(), 10);
    EXPECT_EQ(ui.VScroll1->pageStep(), 10);
    EXPECT_EQ(ui.VScroll1->value(), 0);

    EXPECT_EQ(ui.Timer1->interval(), 350);
    EXPECT_EQ(ui.Timer2->interval(), 2000);
    EXPECT_EQ(ui.Timer3->interval(), 2000);
    for (QTimer *t : {ui.Timer1, ui.Timer2, ui.Timer3})
        EXPECT_FALSE(t->isActive());

    EXPECT_TRUE(ui.Picture2->isHidden());
    EXPECT_TRUE(ui.Picture3->isHidden());
    EXPECT_EQ(ui.Picture2->Picture().size(), QSize(40, 38));
    EXPECT_EQ(ui.Picture3->Picture().size(), QSize(32, 32));
    // Blue good lamp, red bad lamp, both drawn as discs (corners left clear).
    const QImage good = ui.Picture2->Picture().toImage();
    const QImage bad = ui.Picture3->Picture().toImage();
    EXPECT_GT(good.pixelColor(20, 19).blue(), good.pixelColor(20, 19).red());
    EXPECT_GT(bad.pixelColor(16, 16).red(), bad.pixelColor(16, 16).blue());
    EXPECT_EQ(good.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(bad.pixelColor(0, 0).alpha(), 0);
}

TEST_F(Form1ControlsTest, OptionPairsAreSiblingsOnlyWithinTheirPair)
{
    ui.Option1[0]->SetValue(true);
    ui.Option2[1]->SetValue(true);
    ui.Option1[1]->SetValue(true);
    EXPECT_FALSE(ui.Option1[0]->Value());
    EXPECT_TRUE(ui.Option1[1]->Value());
    EXPECT_TRUE(ui.Option2[1]->Value()); // the other pair is left alone
    // A clicked option that is already chosen stays chosen.
    ui.Option1[1]->click();
    EXPECT_TRUE(ui.Option1[1]->Value());
    // Both may be left unchosen.
    ui.Option1[1]->SetValue(false);
    EXPECT_FALSE(ui.Option1[0]->Value());
    EXPECT_FALSE(ui.Option1[1]->Value());
}

TEST_F(Form1ControlsTest, ListsAreDropListsThatShowTheirOwnTextUntilChosen)
{
    EXPECT_NE(qobject_cast<DropList *>(ui.Combo1), nullptr);
    EXPECT_NE(qobject_cast<DropList *>(ui.Combo2), nullptr);
    EXPECT_EQ(ui.Combo2->currentIndex(), -1);
    EXPECT_FALSE(ui.Combo1->isEditable());
}

} // namespace
} // namespace pv
