// The configuration panel's Report button: refused without a service record or an identified
// unit, asked for the visit through its dialog, written as a PDF with its JSON beside it, the
// visit remembered for the next report and the panel's unwritten edits named pending.

#include "app/report_dialog.h"
#include "gui/form1_panel_fixture.h"
#include "record/service_recorder.h"

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace pv {
namespace {

using namespace test;

class Form1Report : public Form1Panel
{
protected:
    Form1Report()
    {
        around.ownTexts[322] = "not written %1";
        around.ownTexts[323] = "written %1 %2";
    }
    // The window ends before the recorder it was told of.
    ~Form1Report() override { form.reset(); }

    // Reads the unit's identifiers and configuration through the panels, as a technician does,
    // until the service record has committed them.
    void ReadUnit()
    {
        Press(MenuIdentifiers);
        Run(1);
        Press(MenuConfigurations);
        Run(3);
        ASSERT_TRUE(ownRecorder.WaitUntilWritten(10000));
        QCoreApplication::processEvents(); // the commits are told on the recorder's thread
    }

    // Answers the report's dialog: the visit typed in, then Create (or Cancel).
    void AnswerDialog(bool create, const QString &site = QStringLiteral("Hofweg 3"))
    {
        around.whileOpen = [this, create, site](QDialog &dialog) {
            ++dialogs;
            ASSERT_NE(dynamic_cast<ReportDialog *>(&dialog), nullptr);
            shownSite = dialog.findChild<QLineEdit *>("TextSite")->text();
            dialog.findChild<QLineEdit *>("TextSite")->setText(site);
            dialog.findChild<QLineEdit *>("TextTechnician")->setText("A. Technician");
            dialog.findChild<QPlainTextEdit *>("TextNotes")->setPlainText("Roof\narray");
            create ? dialog.accept() : dialog.reject();
        };
    }

    QJsonObject Json(const std::string &name)
    {
        QFile file(QString::fromStdString((program / name).string()));
        return file.open(QIODevice::ReadOnly) ? QJsonDocument::fromJson(file.readAll()).object()
                                              : QJsonObject();
    }

    ServiceRecorder ownRecorder{session, program / "records.sqlite"};
    int dialogs = 0;
    QString shownSite;
};

struct ReportRow
{
    const char *name;
    bool recorder;
    bool identified;
    bool create;
    const char *file; // answered in the file dialog, in the program folder; null: cancelled
    int dialogs;
    const char *message; // %1 the PDF, %2 the JSON
    bool written;
};

class Form1ReportClick : public Form1Report, public ::testing::WithParamInterface<ReportRow>
{
};

TEST_P(Form1ReportClick, AsksWritesOrSaysWhy)
{
    const ReportRow &row = GetParam();
    recorder = row.recorder ? &ownRecorder : nullptr;
    Connect(MenuConfigurations);
    EXPECT_EQ(ui().CommandReport->isEnabled(), row.recorder);
    if (row.identified)
        ReadUnit();
    AnswerDialog(row.create);
    if (row.file != nullptr)
        around.files.push_back(program / row.file);
    around.shown.clear();
    form->CommandReport_Click();

    // The PDF's name ends in ".pdf"; the JSON's is the same with ".json".
    std::filesystem::path pdfPath = program / (row.file != nullptr ? row.file : "visit");
    if (pdfPath.extension() != ".pdf")
        pdfPath += ".pdf";
    const QString pdf = QString::fromStdString(pdfPath.string());
    const QString json = QString::fromStdString(pdfPath.replace_extension(".json").string());
    const QString message
        = row.message == nullptr
              ? QString()
              : QString::fromUtf8(row.message).replace("%1", pdf).replace("%2", json);
    EXPECT_EQ(around.shown, message.isEmpty() ? std::vector<QString>{} : std::vector{message});
    EXPECT_EQ(dialogs, row.dialogs);
    EXPECT_EQ(QFile::exists(pdf), row.written);
    EXPECT_EQ(QFile::exists(json), row.written);
}

const ReportRow ReportRows[] = {
    {"NoServiceRecord", false, true, true, "visit", 0, "L1-320", false},
    {"UnitNeverIdentified", true, false, true, "visit", 0, "L1-321", false},
    {"DialogCancelled", true, true, false, "visit", 1, nullptr, false},
    {"FileDialogCancelled", true, true, true, nullptr, 1, nullptr, false},
    {"NameWithoutExtensionGetsPdf", true, true, true, "visit", 1, "written %1 %2", true},
    {"FolderMissing", true, true, true, "missing/visit.pdf", 1, "not written %1", false},
};
INSTANTIATE_TEST_SUITE_P(Form1, Form1ReportClick, ::testing::ValuesIn(ReportRows), RowName);

TEST_F(Form1Report, RemembersTheVisitAndNamesUnwrittenEditsPending)
{
    recorder = &ownRecorder;
    Connect(MenuConfigurations);
    ReadUnit();
    ui().Text5->setText("9"); // edited, not written
    AnswerDialog(true, "Hofweg 3");
    around.files.push_back(program / "visit.pdf");
    form->CommandReport_Click();
    const QJsonObject report = Json("visit.json");
    EXPECT_EQ(report["unit"]["id"], "1");
    EXPECT_EQ(report["visit"].toObject(), (QJsonObject{{"site", "Hofweg 3"},
                                                       {"technician", "A. Technician"},
                                                       {"notes", "Roof\narray"}}));
    const QJsonObject sleepPower = report["settings"].toArray()[SleepPowerField].toObject();
    EXPECT_EQ(sleepPower["value"], "0");
    EXPECT_EQ(sleepPower["pending"], "9");

    // The next report's dialog starts from this visit.
    AnswerDialog(false);
    form->CommandReport_Click();
    EXPECT_EQ(shownSite, "Hofweg 3");
}

TEST_F(Form1Report, CaptionFollowsTheLanguage)
{
    ASSERT_TRUE(Start());
    EXPECT_EQ(ui().CommandReport->text(), Text(310));
    form->LanguagePicked(2);
    EXPECT_EQ(ui().CommandReport->text(), "L3-310");
}

} // namespace
} // namespace pv
