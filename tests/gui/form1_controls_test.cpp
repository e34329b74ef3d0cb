// The main window's entries and lists as a technician handles them: length limits, key filters,
// the mouse wheel, locked menu entries and the scrolled configuration panel.

#include "support/form1_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWheelEvent>

namespace pv {
namespace {

using namespace test;

TEST_F(Form1Test, ALimitedBoxShowsTheWholeTextThatTheProgramPutsInIt)
{
    ASSERT_TRUE(Start());
    ui().Text1->setText(QStringLiteral("-32768X"));
    ui().Text2->setText(QStringLiteral("-1234567890"));
    EXPECT_EQ(ui().Text1->text(), QStringLiteral("-32768X"));
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("-1234567890"));
    ui().Text1->clear();
    QTest::keyClicks(ui().Text1, QStringLiteral("123456"));
    EXPECT_EQ(ui().Text1->text(), QStringLiteral("12345")) << "a sixth digit is refused";
    ui().Text2->setFocus();
    ui().Text2->end(false);
    QTest::keyClick(ui().Text2, Qt::Key_Backspace);
    EXPECT_EQ(ui().Text2->text(), QStringLiteral("-123456789")) << "a long text can be shortened";
}

// Keys typed into an entry of the main window or of the calibration window, emptied first, and
// the text they leave.
struct KeyCase
{
    const char *name;
    std::function<QWidget *(Form1Controls &)> entry;
    std::function<QWidget *(Form2Controls &)> calibrationEntry; // instead of entry
    const char *typed, *after;
};

using Form1Keys = Form1With<KeyCase>;

TEST_P(Form1Keys, OnlyTheCharactersOfTheEntrysNumberGetIn)
{
    const auto typeInto = [](QWidget *widget) {
        auto *entry = qobject_cast<QLineEdit *>(widget);
        EXPECT_NE(entry, nullptr);
        if (entry == nullptr)
            return;
        entry->clear();
        QTest::keyClicks(entry, QString::fromUtf8(GetParam().typed));
        EXPECT_EQ(entry->text(), QString::fromUtf8(GetParam().after));
    };
    if (GetParam().calibrationEntry) {
        EXPECT_TRUE(WhileCalibrating([&](Form2 &calibration) {
            typeInto(GetParam().calibrationEntry(calibration.Controls()));
        }));
    } else {
        ASSERT_TRUE(Start());
        typeInto(GetParam().entry(ui()));
    }
}

using F1 = Form1Controls;
using F2 = Form2Controls;
const KeyCase KeyCases[] = {
    {"SleepPowerTakesDigitsOnly", [](F1 &u) { return u.Text5; }, {}, "1a-2", "12"},
    {"FrequencyTakesOneComma", [](F1 &u) { return u.Text7[9]; }, {}, "1,5.", "1,5"},
    {"VoltageRefusesAPoint", [](F1 &u) { return u.Text7[0]; }, {}, "23.0", "230"},
    {"KwTakesALonePoint", [](F1 &u) { return u.Text6; }, {}, ".5,", ".5"},
    {"RetryTimeRefusesEnter", [](F1 &u) { return u.Text8; }, {}, "6\r0", "60"},
    {"ModelNameTakesAnyText", [](F1 &u) { return u.Text3; }, {}, "PV-3,6k", "PV-3,6k"},
    {"ReadBackRowTakesDigits", {}, [](F2 &u) { return u.Text1[11]; }, "1a2", "12"},
    {"OffsetRefusesAPoint", {}, [](F2 &u) { return u.Text2; }, "12.5", "125"},
    {"VoltagePointRefusesAComma", {}, [](F2 &u) { return u.Text3[2]; }, "3,00", "300"},
    {"StringAGainRefusesAPoint", {}, [](F2 &u) { return u.Text3[4]; }, "12.8", "128"},
    {"CurrentReadingTakesOneSeparator", {}, [](F2 &u) { return u.Text3[5]; }, "5,1.2", "5,12"},
    {"AcLcdCurrentTakesALonePoint", {}, [](F2 &u) { return u.Text3[10]; }, ".5", ".5"},
    {"StringBGainRefusesAMinus", {}, [](F2 &u) { return u.Text4[4]; }, "-12", "12"},
    {"DcBusMeterRefusesEnter", {}, [](F2 &u) { return u.Text5; }, "30\r0", "300"},
    {"AcMeterRefusesAPoint", {}, [](F2 &u) { return u.Text6; }, "230.5", "2305"},
    {"AcGainRefusesALetter", {}, [](F2 &u) { return u.Text7; }, "1e2", "12"},
    {"WriteRowTakesDigits", {}, [](F2 &u) { return u.Text8[10]; }, "2+5", "25"},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1Keys, ::testing::ValuesIn(KeyCases), RowName);

TEST_F(Form1Test, BackspaceAndThePasteShortcutInAFilteredEntry)
{
    ASSERT_TRUE(Start());
    QApplication::clipboard()->setText(QStringLiteral("99"));
    QTest::keyClicks(ui().Text5, QStringLiteral("12"));
    QTest::keyClick(ui().Text5, Qt::Key_Backspace);
    QTest::keyClick(ui().Text5, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(ui().Text5->text(), QStringLiteral("1"));
}

TEST_F(Form1Test, TheListsChangeOnlyByADeliberateChoice)
{
    ASSERT_TRUE(Start());
    ui().Combo2->setCurrentIndex(1);
    ChoosePort(1);
    port.ClearRecord();
    for (DropList *list : {ui().Combo1, ui().Combo2}) {
        // One notch down over the list, without focus, and then the letter keys.
        QWheelEvent notch(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), QPoint(),
                          QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(list, &notch);
        QTest::keyClicks(list, QStringLiteral("C 3"));
        EXPECT_EQ(list->currentIndex(), 1) << list->objectName().toStdString();
    }
    EXPECT_EQ(port.openCalls + port.closeCalls, 0);
    EXPECT_EQ(port.CommPort(), 2);
    // The arrow keys still choose, as in any drop-down list.
    QTest::keyClick(ui().Combo1, Qt::Key_Down);
    EXPECT_EQ(port.CommPort(), 3);
}

TEST_F(Form1Test, LockedMenuEntriesDrawTheirCaptionsGreyed)
{
    ASSERT_TRUE(Start());
    const auto drawn = [](const QLabel *label) {
        return label->palette().color(label->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                      QPalette::WindowText);
    };
    const QColor chosen = drawn(ui().Label16[0]), other = drawn(ui().Label16[1]);
    ChoosePort(0); // the version check locks the controls
    ASSERT_FALSE(ui().Label16[1]->isEnabled());
    EXPECT_NE(drawn(ui().Label16[0]), chosen);
    EXPECT_NE(drawn(ui().Label16[1]), other);
}

TEST_F(Form1Test, APresetChosenAfterScrollingBringsTheFramesBack)
{
    ASSERT_TRUE(Start());
    ui().Combo2->setCurrentIndex(3); // own settings: the tall layout with its scroll bar
    Press(MenuConfigurations);
    ui().VScroll1->setValue(100);
    ASSERT_EQ(TopTwips(ui().Frame1[1]), -1500);
    ui().Combo2->setCurrentIndex(0);
    Press(MenuConfigurations);
    EXPECT_EQ(TopTwips(ui().Frame1[1]), 0);
    EXPECT_EQ(TopTwips(ui().Frame1[3]), 3000);
    EXPECT_EQ(ui().VScroll1->value(), 0);
}

} // namespace
} // namespace pv
