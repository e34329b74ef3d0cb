// A technician's whole visit on real parts: the main window with its real serial port and real
// timer intervals against the inverter-sim program on a pseudo-terminal. Start-up from the
// shipped files, COM1, the firmware check, readings, identifiers read and written, configuration
// read, a country preset and a write of every group, calibration read, gains, write and offset
// write, the about window, all ten languages. On a hostile line the simulator drops, damages,
// truncates, delays, refuses and garbles replies; the technician repeats what failed. Either way
// every exchange ends with its message, every read that passed shows what the inverter holds,
// the window never stops answering, and the inverter gets nothing but the writes asked for.
#include "service_visit.h"

#include "about/form3.h"
#include "calibration/calibration_frames.h"
#include "language/language_form.h"
#include "language/language_table.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>

#include <fstream>
#include <iostream>
#include <set>

namespace pv {
namespace {

using namespace test;
using namespace visit;

// What the hostile visit may spend on repeating failed exchanges: a configuration write of
// every group, or an identify write and a calibration write. The healthy visit takes about
// 45 s, so the hostile one stays under a minute.
constexpr int RepeatAllowanceMs = 13000;

class ServiceVisitTest : public ServiceVisit
{
protected:
    void StartUpAndChooseCom1()
    {
        // The fixture has loaded the window from the shipped files: English, no port, no timer.
        EXPECT_EQ(ui().Label16[MenuConnection]->text(), "CONNECTION");
        EXPECT_EQ(ui().Label1->text(), Text(text::NoLink));
        EXPECT_EQ(ui().Combo2->count(), 4) << "three presets and own settings";
        EXPECT_FALSE(port_.IsOpen() || ui().Timer1->isActive());

        StartSimulator(QStringList{"--log-writes", "--log-faults"} + GetParam().options);
        ASSERT_TRUE(port_.IsOpen());
        EXPECT_EQ(form_->Machine().State(), ExchangeState::CheckOperatingVersion);
        EXPECT_FALSE(ui().Command1[IdentifyReadButton]->isEnabled()) << "locked until checked";
        ASSERT_TRUE(WaitResponsive([&] { return Monitoring(); })) << Seen();
        ASSERT_TRUE(WaitGoodWithReadings()) << Seen();
        readingsShown_ = true;
    }

    QStringList IdentifierBoxes()
    {
        return {ui().Text1->text(), ui().Text2->text(), ui().Text3->text(), ui().Text4->text()};
    }

    void Identifiers()
    {
        form_->Label16_MouseDown(MenuIdentifiers, LeftButton, 0, 0, 0);
        UntilDone(IdentifyReadMs, [&] {
            const bool read = ReadSucceeded(RunMain(IdentifyReadButton));
            const QStringList boxes = IdentifierBoxes();
            if (!read) {
                EXPECT_EQ(boxes, QStringList(4, QString())) << "a failed read shows nothing";
                return false;
            }
            EXPECT_EQ(boxes[0].toInt(), held_.Word(reg::InverterId) + 1);
            // The unit counts on by a few thousandths of a kWh a second.
            EXPECT_GE(boxes[1].toInt(), held_.Energy());
            EXPECT_LE(boxes[1].toInt(), held_.Energy() + 5);
            EXPECT_EQ(boxes[2], held_.Text(reg::ModelName, reg::NameLength));
            EXPECT_EQ(boxes[3], held_.Text(reg::CompanyName, reg::NameLength));
            return true;
        });

        EnterIdentifiers(ui());
        UntilDone(IdentifyWriteMs, [&] {
            Ask(IdentifierWrites(held_.Word(reg::RatedPower)));
            if (!WriteSucceeded(RunMain(IdentifyWriteButton)))
                return false;
            EXPECT_EQ(held_.Word(reg::InverterId), 6);
            EXPECT_EQ(held_.Names(), EnteredNames());
            EXPECT_EQ(held_.Energy(), EnteredEnergyKwh);
            EXPECT_TRUE(WaitResponsive([&] { return ui().Label2[8]->text() == "70000"; }))
                << "the readings show the counter written: "
                << ui().Label2[8]->text().toStdString();
            return true;
        });
    }

    // A read passes with every entry showing what the inverter holds; a failed one leaves the
    // panel empty.
    bool ReadConfiguration()
    {
        if (!ReadSucceeded(RunMain(ConfigurationReadButton))) {
            EXPECT_TRUE(ui().Text5->text().isEmpty() && ui().Text6->text().isEmpty()
                        && ui().Text8->text().isEmpty() && ui().Combo2->Text().isEmpty());
            EXPECT_EQ(Limits(), std::vector<std::string>(reg::GridLimitCount));
            EXPECT_EQ(Flags(), "00000000");
            return false;
        }
        const auto shown = [](const TextBox *box, double scale) {
            return std::lround(NumericPrefixValue(box->text().toStdString()) * scale);
        };
        EXPECT_EQ(shown(ui().Text5, 1), held_.Signed(reg::SleepPower));
        EXPECT_EQ(shown(ui().Text6, 10), held_.Signed(reg::RatedPower)) << "kW x 10";
        EXPECT_EQ(shown(ui().Text8, 1), held_.Signed(reg::RetryTime));
        for (int i = 0; i < reg::GridLimitCount; ++i) {
            const bool frequency = i >= reg::FirstFrequencyLimit && i <= reg::LastFrequencyLimit;
            EXPECT_EQ(shown(ui().Text7[i], frequency ? 10 : 1),
                      held_.Signed(static_cast<std::uint16_t>(reg::GridLimits + i)))
                << "limit " << i;
        }
        const std::uint16_t flagsCountry = held_.Word(reg::FlagsCountry);
        std::string flags;
        for (int bit = 7; bit >= 0; --bit)
            flags += (flagsCountry >> (8 + bit) & 1) ? '1' : '0';
        EXPECT_EQ(Flags(), flags);
        // The list holds Germany (6), Australia (17), the United Kingdom (5), own settings.
        const int code = flagsCountry & 0xFF;
        EXPECT_EQ(ui().Combo2->currentIndex(), code == 6 ? 0 : code == 17 ? 1 : code == 5 ? 2 : 3);
        return true;
    }

    void Configuration()
    {
        form_->Label16_MouseDown(MenuConfigurations, LeftButton, 0, 0, 0);
        UntilDone(ConfigurationReadMs, [&] { return ReadConfiguration(); });

        ChooseAustralia(ui());
        const std::vector<std::string> preset{"275",  "265", "180", "150",  "200", "1000", "10000",
                                              "2000", "52",  "47",  "62.4", "57",  "200",  "1000"};
        EXPECT_EQ(Limits(), preset) << "the shipped preset";
        EXPECT_EQ(ui().Text8->text(), "60");
        EnterConfiguration(ui());
        UntilDone(ConfigurationWriteMs, [&] {
            // On a hostile line the names may be a pair the inverter held before a write whose
            // acknowledgement was lost.
            Ask(ConfigurationWrites(Hostile() ? held_.NamesHeld()
                                              : std::vector<Words>{held_.Names()}));
            return WriteSucceeded(RunMain(ConfigurationWriteButton));
        });
        // A fresh read shows what the inverter now holds. On the hostile line the reads above
        // have made that check already, and the time goes to repeats instead.
        if (!Hostile())
            ReadConfiguration();
    }

    // The commissioning report after a fresh read names every protection setting as the unit
    // holds it, and the file dialog's PDF gets its JSON beside it.
    void Report()
    {
        // A read that failed (on the hostile line only) leaves the report to an older record.
        if (!ReadConfiguration())
            return;
        bool asked = false;
        stand_.whileOpen = [&](QDialog &dialog) {
            asked = true;
            dialog.findChild<QLineEdit *>("TextSite")->setText("Hofweg 3");
            dialog.accept();
        };
        stand_.file = program_ / "visit.pdf";
        const std::size_t before = stand_.shown.size();
        form_->CommandReport_Click();
        stand_.whileOpen = nullptr;
        ASSERT_TRUE(asked);
        ASSERT_EQ(stand_.shown.size(), before + 1) << "the report says where it went";
        stand_.shown.pop_back(); // not an exchange's message
        QFile file(QString::fromStdString((program_ / "visit.json").string()));
        ASSERT_TRUE(QFile::exists(QString::fromStdString((program_ / "visit.pdf").string())));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QJsonObject report = QJsonDocument::fromJson(file.readAll()).object();
        EXPECT_EQ(report["unit"]["id"].toString().toInt(), held_.Word(reg::InverterId) + 1);

        // The unit's registers in engineering units, in the configuration file's field order.
        std::vector<double> held;
        for (int i = 0; i < reg::GridLimitCount; ++i) {
            const bool frequency = i >= reg::FirstFrequencyLimit && i <= reg::LastFrequencyLimit;
            held.push_back(held_.Signed(static_cast<std::uint16_t>(reg::GridLimits + i))
                           / (frequency ? 10.0 : 1.0));
        }
        const std::uint16_t flagsCountry = held_.Word(reg::FlagsCountry);
        held.insert(held.end(),
                    {double(held_.Signed(reg::SleepPower)), held_.Signed(reg::RatedPower) / 10.0,
                     double(held_.Signed(reg::RetryTime)), double(flagsCountry & 0xFF)});
        for (int box = 0; box < 8; ++box)
            held.push_back((flagsCountry >> (15 - box)) & 1);
        const QJsonArray settings = report["settings"].toArray();
        ASSERT_EQ(settings.size(), static_cast<qsizetype>(held.size()));
        for (std::size_t i = 0; i < held.size(); ++i) {
            const QJsonObject setting = settings[static_cast<qsizetype>(i)].toObject();
            EXPECT_DOUBLE_EQ(setting["value"].toString().toDouble(), held[i])
                << setting["key"].toString().toStdString();
            EXPECT_TRUE(setting["pending"].isNull());
        }
    }

    // The Read Setting Data row shows the inverter's calibration bytes where the layout puts
    // them; a failed read leaves it empty but for the cell no byte goes to.
    bool ReadCalibration(Form2 &window)
    {
        const Form2Controls &u = window.Controls();
        if (!ReadSucceeded(RunCalibration(window, &Form2::Command2_Click))) {
            for (int i = 0; i < Text1Count; ++i)
                EXPECT_TRUE(i == UnusedReadBackIndex || u.Text1[i]->text().isEmpty()) << i;
            return false;
        }
        for (const ReadBackCell &cell : CalibrationReadLayout) {
            const std::size_t offset = cell.replyByte - 3; // after address, function, count
            const std::uint16_t word
                = held_.Word(static_cast<std::uint16_t>(reg::CalibrationFirst + offset / 2));
            const int byte = offset % 2 == 0 ? word >> 8 : word & 0xFF;
            EXPECT_EQ(u.Text1[cell.text1Index]->text().toInt(), byte)
                << "Text1(" << cell.text1Index << ")";
        }
        return true;
    }

    void Calibration()
    {
        bool opened = false;
        stand_.whileOpen = [&](QDialog &window) {
            opened = true;
            auto &calibration = dynamic_cast<Form2 &>(window);
            Form2Controls &u = calibration.Controls();
            UntilDone(CalibrationReadMs, [&] { return ReadCalibration(calibration); });
            EnterMeasurements(calibration);
            EXPECT_EQ(u.Text3[4]->text(), "148");
            EXPECT_EQ(u.Text4[4]->text(), "108");
            EXPECT_EQ(u.Text7->text(), "128");
            UntilDone(CalibrationWriteMs, [&] {
                Ask({CalibrationWrite()});
                if (!WriteSucceeded(RunCalibration(calibration, &Form2::Command1_Click)))
                    return false;
                EXPECT_EQ(held_.Words(reg::CalibrationSettings, 7), CalibrationWrite().values[0]);
                return true;
            });
            EXPECT_EQ(u.Text8[0]->text(), "135") << "string A voltage gain";
            EXPECT_EQ(u.Text8[1]->text(), "129") << "string A voltage offset";

            StepOffset(calibration);
            EXPECT_EQ(u.Text2->text(), "130");
            UntilDone(CalibrationWriteMs, [&] {
                Ask({OffsetWrite()});
                if (!WriteSucceeded(RunCalibration(calibration, &Form2::Command5_Click)))
                    return false;
                EXPECT_EQ(held_.Word(reg::AcCurrentOffset), 130);
                return true;
            });
            window.reject();
            EXPECT_EQ(form_->Machine().State(), ExchangeState::Monitor);
            EXPECT_TRUE(ui().Timer1->isActive()) << "monitoring resumes";
        };
        ASSERT_TRUE(WaitResponsive([&] { return Monitoring(); }));
        form_->Label16_MouseDown(MenuCalibration, LeftButton, 0, 0, 0);
        EXPECT_TRUE(WaitResponsive([&] { return opened; })) << "opens on the next tick";
        stand_.whileOpen = nullptr;
    }

    void About()
    {
        bool opened = false;
        stand_.whileOpen = [&](QDialog &window) {
            opened = true;
            const Form3Controls &u = dynamic_cast<Form3 &>(window).Controls();
            EXPECT_EQ(u.Label2->text(), held_.Text(reg::OperatingVersion, 8));
            EXPECT_EQ(u.Label4->text(), "PV" + held_.Text(reg::CertificateVersion, 6));
            EXPECT_FALSE(u.Label4->isHidden()) << "a unit on a country preset";
            window.reject();
        };
        form_->Label16_MouseDown(MenuAbout, LeftButton, 0, 0, 0);
        EXPECT_TRUE(opened);
        stand_.whileOpen = nullptr;
    }

    void Languages()
    {
        bool opened = false;
        stand_.whileOpen = [&](QDialog &window) {
            opened = true;
            auto &picker = dynamic_cast<LanguageForm &>(window);
            EXPECT_EQ(picker.Picture1().size(), 10u);
            std::set<QString> titles;
            for (const auto &[index, picture] : picker.Picture1()) {
                SCOPED_TRACE("language " + std::to_string(index + 1));
                picture->click();
                LanguageTable texts;
                ASSERT_TRUE(texts.LoadLanguage(*languageStore_, index + 1));
                for (int i = 0; i < MenuSelfTest; ++i) {
                    EXPECT_FALSE(texts.Text(10 + i).isEmpty() || texts.Text(10 + i)[0] == '#');
                    EXPECT_EQ(ui().Label16[i]->text(), texts.Text(10 + i));
                }
                EXPECT_EQ(ui().Command1[IdentifyReadButton]->text(), texts.Text(17));
                EXPECT_EQ(ui().Label1->text(), texts.Text(form_->StatusTextNumber()));
                for (int message : {text::ReadFailed, text::WriteFailed, text::WriteDone})
                    EXPECT_FALSE(texts.Text(message).isEmpty());
                EXPECT_TRUE(form_->windowTitle().startsWith(texts.Text(0)));
                titles.insert(form_->windowTitle());
                std::string kept;
                std::getline(std::ifstream(program_ / "LanguageSet.txt"), kept);
                EXPECT_EQ(std::stoi(kept), index + 1) << "the choice is kept for the next start";
            }
            EXPECT_EQ(titles.size(), 10u) << "each language has captions of its own";
            window.reject();
        };
        form_->Label16_MouseDown(MenuLanguage, LeftButton, 0, 0, 0);
        EXPECT_TRUE(opened);
        stand_.whileOpen = nullptr;
    }
};

TEST_P(ServiceVisitTest, EveryExchangeEndsWithItsMessageAndOnlyAskedWritesArrive)
{
    const FreezeWatch watch(form_.get());
    StartUpAndChooseCom1();
    if (HasFatalFailure())
        return;
    Identifiers();
    Configuration();
    Report();
    Calibration();
    About();
    Languages();

    ExpectOnlyAskedWrites();
    EXPECT_TRUE(strayReadings_.empty()) << strayReadings_.front();
    EXPECT_TRUE(Responds());
    EXPECT_EQ(sim_.state(), QProcess::Running);

    // The messages were shown in English, before the language tour.
    LanguageTable english;
    ASSERT_TRUE(english.LoadLanguage(*languageStore_, 1));
    const auto count
        = [&](int message) { return std::ranges::count(stand_.shown, english.Text(message)); };
    const auto failed = count(text::ReadFailed) + count(text::WriteFailed);
    EXPECT_EQ(failed + count(text::WriteDone), static_cast<long>(stand_.shown.size()))
        << "no other message";
    // Every exchange started has its record, with the outcome its message said.
    const auto records = ReadRecords(program_ / ServiceRecordFile);
    ASSERT_TRUE(records);
    EXPECT_EQ(static_cast<int>(records->size()), exchangesStarted_);
    const auto recorded = [&](ExchangeOutcome outcome) {
        return std::ranges::count_if(
            *records, [&](const StoredRecord &r) { return r.record.outcome == outcome; });
    };
    EXPECT_EQ(recorded(ExchangeOutcome::ReadFailed), count(text::ReadFailed));
    EXPECT_EQ(recorded(ExchangeOutcome::WriteFailed), count(text::WriteFailed));
    EXPECT_EQ(recorded(ExchangeOutcome::WriteDone), count(text::WriteDone));
    // The line was as hostile as asked, and no healthier.
    int faults = 0;
    std::string kinds;
    for (const auto &[kind, times] : SimulatorFaults())
        faults += times, kinds += " " + kind + " x" + std::to_string(times);
    EXPECT_EQ(faults > 0, Hostile()) << kinds;
    std::cout << "faults:" << kinds << "; messages: " << count(text::ReadFailed) << " x 127, "
              << count(text::WriteFailed) << " x 128, " << count(text::WriteDone)
              << " x 129; repeats: " << repeats_
              << "; writes accepted: " << SimulatorWrites().size() << " of " << asked_.size()
              << " asked\n";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ServiceVisitTest,
    ::testing::Values(VisitLine{"HealthyLine", {}, 0},
                      // Each of the seven fault kinds strikes 2 % of the requests (about 13 % in
                      // all); late replies land up to one write step later. With this seed the
                      // visit meets failed reads, a failed write and a late reply, and repeats.
                      VisitLine{"HostileLine",
                                {"--fault", "all", "--rate", "0.02", "--late-ms", "400-2600",
                                 "--seed", "3"},
                                RepeatAllowanceMs}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
} // namespace pv
