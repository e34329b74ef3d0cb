// The identifiers panel against a scripted inverter: Read and Write through the identify
// exchange, the checks of a Write, and a confirmed write shown at once.

#include "monitor/monitor_texts.h"
#include "support/form1_fixture.h"

#include <QApplication>
#include <QTest>

namespace pv {
namespace {

using namespace test;

// An inverter that answers reads from its registers, stores function-0x10 writes and the energy
// halves written through function 0x64, and stays silent to the requests `silent` picks.
struct ScriptedInverter
{
    std::map<int, int> registers{
        {0xC031, 0},      {0xC032, 12345},  {0xC080, 4},      // energy counter, ID 5
        {0xC0B1, 35},                                         // 3.5 kW
        {0xC0B2, 0x5056}, {0xC0B3, 0x3336}, {0xC0B4, 0x3030}, // "PV3600"
        {0xC0B7, 0x4143},                                     // "AC"
        {0xC0BC, 0x3031}, {0xC0BD, 0x3030}, {0xC0BE, 0x3037}, {0xC0BF, 0x3030}, // "01000700"
    };
    std::function<bool(ByteView)> silent = [](ByteView) { return false; };

    std::optional<Bytes> operator()(ByteView request)
    {
        if (silent(request))
            return std::nullopt;
        const auto word = [&request](std::size_t i) { return request[i] << 8 | request[i + 1]; };
        if (request[1] == ReadFunction)
            return Answer(registers, request);
        if (request[1] == WriteFunction) {
            for (int k = 0; k < word(4); ++k)
                registers[word(2) + k] = word(7 + 2 * static_cast<std::size_t>(k));
        } else if (request[1] == OwnWriteFunction) {
            registers[word(2) == reg::EnergyHighSelector ? reg::EnergyHigh : reg::EnergyLow]
                = word(4);
        }
        Bytes reply(request.begin(), request.begin() + 6); // a write is acknowledged by its head
        AppendCrc(reply);
        return reply;
    }
};

class Form1Identifiers : public Form1Test
{
protected:
    // Monitoring COM1 after a passed version check, with the identifiers panel open.
    void Connect()
    {
        ASSERT_TRUE(Start());
        port.responder = [this](ByteView request) { return inverter(request); };
        ChoosePort(0);
        for (int tick = 0; tick < 6; ++tick)
            form->Timer1_Timer();
        ASSERT_EQ(form->Machine().State(), ExchangeState::Monitor);
        Press(MenuIdentifiers);
        port.ClearRecord();
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
    // The monitor tick that hands the exchange over (its own monitor request is forgotten),
    // then Timer2 until it stops (at most 20 ticks); each entry is Timer2's interval after that
    // tick.
    std::vector<int> RunIdentifyExchange()
    {
        form->Timer1_Timer();
        port.ClearRecord();
        std::vector<int> intervals;
        while (ui().Timer2->isActive() && intervals.size() < 20) {
            form->Timer2_Timer();
            intervals.push_back(ui().Timer2->interval());
        }
        return intervals;
    }
    Bytes ImageBytes(std::size_t first, std::size_t length)
    {
        const ByteView image = form->Store().Image().Bytes();
        return Bytes(image.begin() + static_cast<std::ptrdiff_t>(first),
                     image.begin() + static_cast<std::ptrdiff_t>(first + length));
    }

    ScriptedInverter inverter;
};

TEST_F(Form1Identifiers, PortClosedSays131AndSendsNothing)
{
    ASSERT_TRUE(Start());
    Press(MenuIdentifiers);
    Fill("7", "1", "M", "C");
    form->Command1_Click(0);
    form->Command1_Click(1);
    EXPECT_EQ(around.shown, (std::vector<QString>{Text(131), Text(131)}));
    EXPECT_TRUE(port.written.empty());
    EXPECT_EQ(form->Machine().State(), ExchangeState::CheckOperatingVersion);
    EXPECT_EQ(Boxes(), (QStringList{"7", "1", "M", "C"})) << "nothing is emptied";
}

TEST_F(Form1Identifiers, ReadEmptiesTheBoxesAtOnceAndFillsThemAfterSixTicks)
{
    Connect();
    Fill("x", "x", "x", "x");
    form->Command1_Click(1);
    EXPECT_EQ(Boxes(), (QStringList{"", "", "", ""}));
    EXPECT_EQ(ui().Label1->text(), Text(124));
    EXPECT_EQ(form->Machine().State(), ExchangeState::PrepareIdentifyRead);
    EXPECT_EQ(ui().Timer2->interval(), 500);

    form->Timer1_Timer(); // hands over after its own monitor request
    port.ClearRecord();
    EXPECT_EQ(TimersActive(), (Timers{false, true, false}));
    for (int tick = 1; tick <= 5; ++tick) {
        form->Timer2_Timer();
        EXPECT_EQ(Boxes(), (QStringList{"", "", "", ""})) << "tick " << tick;
    }
    form->Timer2_Timer();
    EXPECT_EQ(Boxes(), (QStringList{"5", "12345", "PV3600", "AC"}));
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(form->Machine().MonitorStep(), 0);
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    EXPECT_EQ(port.written,
              (std::vector<std::string>{"FF 03 C0 B0 00 13 2C 3E", "FF 03 C0 80 00 01 AC 3C",
                                        "FF 03 C0 31 00 02 BC 1A"}));
    EXPECT_TRUE(around.shown.empty());
}

// ID 7, 70196 kWh (0x00011234), model "AB" over "PV3600", company "Co", on a 3.5 kW unit.
TEST_F(Form1Identifiers, WriteSendsFourFramesAndShowsThemAtOnce)
{
    Connect();
    Fill("7", "70196", "AB", "Co");
    form->Command1_Click(0);
    EXPECT_EQ(ui().Label1->text(), Text(125));
    EXPECT_EQ(form->Machine().State(), ExchangeState::PrepareIdentifyWrite);
    EXPECT_EQ(ui().Timer2->interval(), 2000) << "the first write request gets 2000 ms too";

    // Each request gets 2000 ms for its reply; the next request follows 500 ms after a reply.
    EXPECT_EQ(RunIdentifyExchange(),
              (std::vector<int>{2000, 500, 2000, 500, 2000, 500, 2000, 500}));
    EXPECT_EQ(around.shown, std::vector<QString>{Text(129)});
    EXPECT_EQ(port.written,
              (std::vector<std::string>{
                  "FF 10 C0 B0 00 0C 18 00 23 00 23 41 42 00 00 00 00 00 00 00 00 43 6F 00 00 00 "
                  "00 00 00 00 00 E3 93",
                  "FF 10 C0 80 00 01 02 00 06 B1 FA", "FF 64 CF 01 00 01 CA C8",
                  "FF 64 CF 02 12 34 F6 7F"}));
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));

    // The mirror, before any read back: the ID word is the ID minus one, the two-letter name is
    // zero-filled over the old one, and the 0x64 reply FF 64 CF 02 12 34 lands at 0x64.
    EXPECT_EQ(ImageBytes(0x100, 2), (Bytes{0x00, 0x06}));
    EXPECT_EQ(ImageBytes(0x164, 10), (Bytes{'A', 'B', 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(ImageBytes(0x64, 2), (Bytes{0x12, 0x34}));
    const IdentifierTexts shown = IdentifierValueTexts(form->Store().Data(), format);
    EXPECT_EQ(std::tie(shown.id, shown.energy, shown.modelName, shown.companyName),
              std::make_tuple("7", "70196", "AB", "Co"));
    EXPECT_EQ(Boxes(), (QStringList{"7", "70196", "AB", "Co"}));
    form->Timer1_Timer();
    EXPECT_EQ(ui().Label2[8]->text(), "70196") << "the readings show the new counter";
}

TEST_F(Form1Identifiers, WriteSendsWhatWasCheckedNotWhatWasTypedAfterwards)
{
    Connect();
    Fill("7", "", "AB", "Co");
    form->Command1_Click(0);
    EXPECT_EQ(ui().Text2->text(), "0") << "an empty counter is written as 0 and shown so";
    Fill("0", "99999999999", "ABCDEFGHIJKLM", ""); // before the next monitor tick hands over
    RunIdentifyExchange();
    ASSERT_EQ(port.written.size(), 4u);
    EXPECT_EQ(port.written[1], "FF 10 C0 80 00 01 02 00 06 B1 FA");
    EXPECT_EQ(port.written[0].substr(33, 11), "41 42 00 00") << port.written[0];
    EXPECT_EQ(port.written[2].substr(0, 17), "FF 64 CF 01 00 00");
    EXPECT_EQ(port.written[3].substr(0, 17), "FF 64 CF 02 00 00");
}

TEST_F(Form1Identifiers, FailedReplyAtStep9Ends128AndSendsNoEnergyHalf)
{
    Connect();
    inverter.silent
        = [](ByteView request) { return request[1] == WriteFunction && request[3] == 0x80; };
    Fill("7", "70196", "AB", "Co");
    form->Command1_Click(0);
    EXPECT_EQ(RunIdentifyExchange().size(), 4u) << "steps 6 to 9";
    EXPECT_EQ(around.shown, std::vector<QString>{Text(128)});
    ASSERT_EQ(port.written.size(), 2u);
    EXPECT_EQ(port.written[1].substr(0, 8), "FF 10 C0");
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    EXPECT_EQ(TimersActive(), (Timers{true, false, false}));
    EXPECT_EQ(ImageBytes(0x100, 2), (Bytes{0x00, 0x04})) << "the unconfirmed ID is not mirrored";
}

// ---- refusals ----------------------------------------------------------------------------------

struct Refusal
{
    const char *name;
    const char *id, *energy, *model;
    int text;                // 0: the write goes on
    bool withCaption;        // the ID label's caption follows the text
    int entry;               // 1..4: Text1..Text4 refused and focused
    const char *entryAfter;  // the refused entry's text afterwards
    const char *energyAfter; // Text2 afterwards
};

class Form1IdentifiersRefusal : public Form1Identifiers,
                                public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(Form1IdentifiersRefusal, ShowsTheMessageAndSendsNothing)
{
    const Refusal &r = GetParam();
    Connect();
    form->show();
    QApplication::setActiveWindow(form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ui().Text1->setText(r.id), ui().Text2->setText(r.energy), ui().Text3->setText(r.model);
    ui().Text4->setFocus();

    form->Command1_Click(0);
    TextBox *boxes[] = {ui().Text1, ui().Text2, ui().Text3, ui().Text4};
    EXPECT_EQ(ui().Text2->text(), r.energyAfter);
    if (r.text == 0) {
        EXPECT_TRUE(around.shown.empty());
        EXPECT_EQ(form->Machine().State(), ExchangeState::PrepareIdentifyWrite);
        return;
    }
    const QString caption = r.withCaption ? ui().Label5->text() : QString();
    EXPECT_EQ(around.shown, std::vector<QString>{Text(r.text) + caption});
    TextBox *refused = boxes[r.entry - 1];
    EXPECT_EQ(refused->text(), r.entryAfter);
    EXPECT_TRUE(refused->hasFocus());
    EXPECT_EQ(form->Machine().State(), ExchangeState::Monitor);
    form->Timer1_Timer();
    EXPECT_TRUE(port.written.size() == 1 && port.written[0].substr(0, 5) == "FF 03")
        << "only the monitor cycle goes on";
}

const Refusal Refusals[] = {
    {"IdEmpty", "", "5", "M", 133, true, 1, "", "5"},
    {"IdZero", "0", "5", "M", 132, false, 1, "", "5"},
    {"EnergyTooLarge", "7", "2147483647", "M", 132, false, 2, "", ""},
    {"EnergyEmptyAndModelTooLong", "7", "", "ABCDEFGHIJK", 132, false, 3, "", "0"},
    {"Id65535Accepted", "65535", "2147483646", "M", 0, false, 0, "", "2147483646"},
    {"EnergyEmptyBecomesZero", "1", "", "M", 0, false, 0, "", "0"},
};

INSTANTIATE_TEST_SUITE_P(Form1, Form1IdentifiersRefusal, ::testing::ValuesIn(Refusals), RowName);

} // namespace
} // namespace pv
