// The entries and lists of the main and calibration windows as a technician handles them: length
// limits, the key filter each entry has, and the mouse wheel.

#include "support/form1_fixture.h"

#include <QApplication>
#include <QClipboard>
#include <QTest>
#include <QWheelEvent>

#include <initializer_list>

namespace pv {
namespace {

using namespace test;

// The same keys typed into each entry, emptied first: a whole number keeps the digits, a decimal
// one separator too, a name everything. The entries at the ends of each run of one kind.
void TypeInto(std::initializer_list<QLineEdit *> entries, const char *after)
{
    for (QLineEdit *entry : entries) {
        SCOPED_TRACE(entry->objectName().toStdString());
        entry->clear();
        QTest::keyClicks(entry, QStringLiteral("1a.2,"));
        EXPECT_EQ(entry->text(), QLatin1String(after));
    }
}

TEST_F(Form1Test, OnlyTheCharactersOfTheEntrysNumberGetInUpToItsLength)
{
    ASSERT_TRUE(Start());
    const Form1Controls &u = ui();
    TypeInto({u.Text1, u.Text2, u.Text5, u.Text8, u.Text7[0], u.Text7[7], u.Text7[12]}, "12");
    TypeInto({u.Text6, u.Text7[8], u.Text7[11]}, "1.2");
    TypeInto({u.Text3}, "1a.2,");
    // Backspace gets in, the paste shortcut does not.
    QApplication::clipboard()->setText(QStringLiteral("99"));
    QTest::keyClick(u.Text5, Qt::Key_Backspace);
    QTest::keyClick(u.Text5, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(u.Text5->text(), QStringLiteral("1"));
    // The length limits what is typed, not what the program shows, which can still be shortened.
    QTest::keyClicks(u.Text1, QStringLiteral("3456"));
    EXPECT_EQ(u.Text1->text(), QStringLiteral("12345"));
    u.Text2->setText(QStringLiteral("-1234567890"));
    u.Text2->setFocus();
    u.Text2->end(false);
    QTest::keyClick(u.Text2, Qt::Key_Backspace);
    EXPECT_EQ(u.Text2->text(), QStringLiteral("-123456789"));
}

// Delete's key event carries the character 0x7F (as X11 delivers it), yet the key only deletes:
// it reaches every filtered entry, as do the keys that move and select.
TEST_F(Form1Test, DeleteAndTheKeysThatMoveReachEveryFilteredEntry)
{
    ASSERT_TRUE(Start());
    const Form1Controls &u = ui();
    for (QLineEdit *entry : {u.Text1, u.Text5, u.Text6, u.Text7[0], u.Text7[8]}) {
        SCOPED_TRACE(entry->objectName().toStdString());
        entry->setText(QStringLiteral("123"));
        entry->setCursorPosition(0);
        QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier, QString(QChar(0x7F)));
        QApplication::sendEvent(entry, &del);
        EXPECT_EQ(entry->text(), QStringLiteral("23"));
        QTest::keyClick(entry, Qt::Key_End);
        QTest::keyClick(entry, Qt::Key_Home, Qt::ShiftModifier);
        QTest::keyClicks(entry, QStringLiteral("9"));
        EXPECT_EQ(entry->text(), QStringLiteral("9")) << "Shift+Home selected the text";
    }
}

TEST_F(Form1Test, OnlyTheCharactersOfTheCalibrationEntrysNumberGetIn)
{
    EXPECT_TRUE(WhileCalibrating([](Form2 &calibration) {
        Form2Controls &u = calibration.Controls();
        TypeInto({u.Text1[0], u.Text1[11], u.Text2, u.Text3[4], u.Text4[0], u.Text4[4], u.Text5,
                  u.Text6, u.Text7, u.Text8[0], u.Text8[10]},
                 "12");
        TypeInto({u.Text3[5], u.Text3[10]}, "1.2");
    }));
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
    // The arrow keys still choose, as in any drop-down list.
    QTest::keyClick(ui().Combo1, Qt::Key_Down);
    EXPECT_EQ(port.CommPort(), 3);
}

} // namespace
} // namespace pv
