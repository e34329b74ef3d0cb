// The identifiers panel: Read and Write through the identify exchange, what a refused Write
// does, and a confirmed write shown at once. The frames of each step and the checks themselves
// are pinned by the identifiers core tests, the step order by the exchange machine's.

#include "form1_panel_fixture.h"
#include "monitor/monitor_texts.h"

namespace pv {
namespace {

using namespace test;

class Form1Identifiers : public Form1Panel
{
protected:
    void Connect()
    {
        // Energy counter 12345, ID 5 (its word holds the ID less one), 3.5 kW, model "PV3600"
        // and company "AC".
        registers.insert({{0xC031, 0}, {0xC032, 12345}, {0xC080, 4}, {0xC0B1, 35}});
        registers.insert({{0xC0B2, 0x5056}, {0xC0B3, 0x3336}, {0xC0B4, 0x3030}, {0xC0B7, 0x4143}});
        Form1Panel::Connect(MenuIdentifiers);
    }
    void Fill(const char *id, const char *energy, const char *model, const char *company)
    {
        ui().Text1->setText(id), ui().Text2->setText(energy);
        ui().Text3->setText(model), ui().Text4->setText(company);
    }
    QStringList Boxes()
    {
        return {ui().Text1->text(), ui().Text2->text(), ui().Text3->text(), ui().Text4->text()};
    }
};

TEST_F(Form1Identifiers, ReadEmptiesTheBoxesAtOnceAndFillsThemWhenItEnds)
{
    Connect();
    Fill("x", "x", "x", "x");
    form->Command1_Click(1);
    EXPECT_EQ(Boxes(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(ui().Label1->text(), Text(124));
    EXPECT_EQ(Finish().size(), 3u);
    EXPECT_EQ(Boxes(), (QStringList{"5", "12345", "PV3600", "AC"}));
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    EXPECT_TRUE(around.shown.empty());
}

// ID 7, an empty counter, model "AB" over "PV3600" and company "Co" on a 3.5 kW unit; the
// entries typed over before the exchange starts change nothing that is sent.
TEST_F(Form1Identifiers, WriteSendsWhatWasCheckedAndShowsItAtOnce)
{
    Connect();
    Fill("7", "", "AB", "Co");
    form->Command1_Click(0);
    EXPECT_EQ(ui().Text2->text(), "0") << "an empty counter is written as 0 and shown so";
    EXPECT_EQ(ui().Label1->text(), Text(125));
    Fill("1", "99999999999", "ABCDEFGHIJKLM", "");
    const auto frames = Finish();
    EXPECT_EQ(around.shown, std::vector<QString>{Text(129)});
    ASSERT_EQ(frames.size(), 4u);
    EXPECT_EQ(frames[1], "FF 10 C0 80 00 01 02 00 06") << "ID 7 goes as 6";
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    // The confirmed write is shown before any read back, in the readings too.
    const IdentifierTexts shown = IdentifierValueTexts(form->Store().Data(), format);
    EXPECT_EQ(std::tie(shown.id, shown.energy, shown.modelName, shown.companyName),
              std::make_tuple("7", "0", "AB", "Co"));
    EXPECT_EQ(Boxes(), (QStringList{"7", "0", "AB", "Co"})) << "the boxes show what was sent";
    form->Timer1_Timer();
    EXPECT_EQ(ui().Label2[8]->text(), "0") << "the readings show the new counter";
}

// A refused entry of each text box: its message (with the ID label's caption when it was left
// empty), the entry left empty and focused, and nothing started.
TEST_F(Form1Identifiers, ARefusedWriteShowsWhyAndFocusesTheEntry)
{
    Connect();
    struct
    {
        const char *id, *energy, *model;
        QString message;
        TextBox *refused;
        const char *energyAfter;
    } const refusals[] = {
        {"", "5", "M", Text(133) + ui().Label5->text(), ui().Text1, "5"},
        {"7", "2147483647", "M", Text(132), ui().Text2, ""},
        {"7", "", "ABCDEFGHIJK", Text(132), ui().Text3, "0"},
    };
    for (const auto &r : refusals) {
        SCOPED_TRACE(r.refused->objectName().toStdString());
        around.shown.clear();
        Fill(r.id, r.energy, r.model, "");
        ui().Text4->setFocus();
        form->Command1_Click(0);
        EXPECT_EQ(around.shown, std::vector<QString>{r.message});
        EXPECT_EQ(r.refused->text(), "");
        EXPECT_EQ(form->focusWidget(), r.refused);
        EXPECT_EQ(ui().Text2->text(), r.energyAfter);
        EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    }
}

} // namespace
} // namespace pv
