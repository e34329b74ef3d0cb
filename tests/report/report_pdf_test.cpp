// The commissioning report's PDF of a visit to the simulated inverter, read back with poppler's
// pdftotext and pdffonts: every protection setting shows the value the simulator's register
// holds, decoded as the tool decodes it, in English and in Simplified Chinese; the Chinese report
// carries its font inside.

#include "record/service_recorder.h"
#include "report/report_pdf.h"
#include "support/session_rig.h"

#include "language/language_table.h"
#include "link/registers.h"
#include "platform/language_store.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace pv {
namespace {

constexpr int English = 1;
constexpr int SimplifiedChinese = 11;

// The text a tool prints for the PDF; fails the test when the tool cannot run.
QString Poppler(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << tool.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return {};
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ReportPdfTest : public ::testing::TestWithParam<int>
{
protected:
    void SetUp() override
    {
        // Without poppler the PDF cannot be read back; a CI machine must have it.
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                FAIL() << "pdftotext is missing (scripts/setup.sh installs poppler-utils)";
            GTEST_SKIP() << "pdftotext is missing";
        }
        // Flags 0x45 (communication mode, bits 2 and 0), country code 6.
        rig.inverter.SetRegister(reg::FlagsCountry, 0x4506);
        rig.inverter.SetRegister(reg::GridLimits + 9, 475);
        rig.Connect();
        rig.session.ReadIdentifiers();
        rig.RunExchange();
        rig.session.ReadConfiguration();
        rig.RunExchange();
        ConfigurationWrite write;
        write.groups = {true, false, false, false};
        write.sleepPower = 7;
        rig.session.WriteConfiguration(write);
        rig.RunExchange();
        ASSERT_TRUE(recorder.WaitUntilWritten(10000));
        QCoreApplication::processEvents(); // the commits are told on the recorder's thread
    }

    // The value the simulator holds for a field, as the tool decodes its register.
    std::string Decoded(int field) const
    {
        const auto word = [this](std::uint16_t r) { return rig.inverter.Register(r); };
        const auto text = [](const RegisterDeclaration &d, std::uint16_t w) {
            return GeneralNumberText(static_cast<float>(WordValue(d, w)), NumberFormat{});
        };
        if (field < GridLimitEntryCount)
            return text(decl::GridLimits[static_cast<std::size_t>(field)],
                        word(static_cast<std::uint16_t>(reg::GridLimits + field)));
        if (field == SleepPowerField)
            return text(decl::SleepPower, word(reg::SleepPower));
        if (field == RatedPowerField)
            return text(decl::RatedPower, word(reg::RatedPower));
        if (field == RetryTimeField)
            return text(decl::RetryTime, word(reg::RetryTime));
        if (field == CountryCodeField)
            return std::to_string(word(reg::FlagsCountry) & 0xFF);
        const int bit = FlagCount - 1 - (field - FirstFlagField); // box 0 is bit 7
        return (word(reg::FlagsCountry) >> (8 + bit) & 1) != 0 ? "1" : "0";
    }

    test::SessionRig rig;
    QTemporaryDir folder;
    ServiceRecorder recorder{rig.session, folder.filePath("records.sqlite").toStdString()};
};

TEST_P(ReportPdfTest, ShowsEverySettingAsTheSimulatorHoldsIt)
{
    LanguageTable texts;
    const auto store = MakeSqliteLanguageStore(PV_LANGUAGE_DB);
    ASSERT_TRUE(texts.LoadLanguage(*store, GetParam()));
    const ReportCaptions captions
        = ReportCaptionsFrom([&texts](int number) { return texts.Text(number); });
    ReportRequest request;
    request.unitId = recorder.Identity().id;
    request.toolVersion = "0.1.0";
    request.createdAt = "2026-12-06T11:00:00+01:00";
    request.visit = {"Hofweg 3", "A. Technician", ""};
    const auto report = BuildCommissioningReport(recorder.CommittedSinceStart(), request);
    ASSERT_TRUE(report);
    const auto pdf = CommissioningReportPdf(*report, captions);
    ASSERT_TRUE(pdf);
    const QString path = folder.filePath("report.pdf");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(*pdf) == pdf->size());
    file.close();

    const QStringList lines
        = Poppler(QStringLiteral("pdftotext"), {"-layout", "-enc", "UTF-8", path, "-"})
              .split(u'\n');
    ASSERT_TRUE(lines.join(u' ').contains(captions.title));
    // A table row: the setting's caption, its key, its value, its unit and time.
    for (int field = 0; field < ConfigurationFieldCount; ++field) {
        const QString key = QString::fromLatin1(ConfigurationKey(field));
        const std::string decoded = Decoded(field);
        const QString expected = field == DcInputField ? captions.dcInputChoices[decoded == "1"]
                                 : field == CommunicationField
                                     ? captions.communicationChoices[decoded == "1"]
                                     : QString::fromStdString(decoded);
        const auto row = std::find_if(lines.begin(), lines.end(), [&](const QString &line) {
            return line.split(u' ', Qt::SkipEmptyParts).contains(key);
        });
        ASSERT_NE(row, lines.end()) << key.toStdString();
        const QStringList cells = row->split(u' ', Qt::SkipEmptyParts);
        const auto at = cells.indexOf(key);
        ASSERT_LT(at + 1, cells.size()) << row->toStdString();
        EXPECT_EQ(cells[at + 1], expected) << row->toStdString();
    }

    // Every font the report uses travels inside it.
    const QStringList fonts
        = Poppler(QStringLiteral("pdffonts"), {path}).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_GT(fonts.size(), 2) << fonts.join(u'\n').toStdString(); // a header of two lines
    for (const QString &font : fonts.mid(2)) {
        const QStringList columns = font.split(u' ', Qt::SkipEmptyParts);
        // name type [type] encoding emb sub uni object ID: emb is the fifth column from the end.
        ASSERT_GE(columns.size(), 7) << font.toStdString();
        EXPECT_EQ(columns[columns.size() - 5], "yes") << font.toStdString();
    }
    if (GetParam() == SimplifiedChinese) {
        EXPECT_TRUE(fonts.join(u'\n').contains(QString::fromLatin1(ReportCjkFamily).remove(u' '),
                                               Qt::CaseInsensitive))
            << fonts.join(u'\n').toStdString();
    }
}
INSTANTIATE_TEST_SUITE_P(Languages, ReportPdfTest, ::testing::Values(English, SimplifiedChinese),
                         [](const auto &info) {
                             return std::string(info.param == English ? "English"
                                                                      : "SimplifiedChinese");
                         });

} // namespace
} // namespace pv
