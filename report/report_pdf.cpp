#include "report_pdf.h"

#include "pdf_flow.h"

#include <QBuffer>
#include <QPageSize>
#include <QPdfWriter>

#include <string>
#include <vector>

namespace pv {

namespace {

using Style = PdfFlow::Style;

// Millimetres across the body: the labels of the heading blocks, and the settings table.
constexpr qreal LabelWidthMm = 46;
constexpr qreal ValueLeftMm = 48;
struct Column
{
    qreal left, width;
};
constexpr Column SettingColumn{0, 44};
constexpr Column KeyColumn{45, 40};
constexpr Column ValueColumn{86, 29};
constexpr Column UnitColumn{116, 12};
constexpr Column TimeColumn{129, 46};
constexpr qreal WriteValueIndentMm = 6;
constexpr qreal WriteArrowLeftMm = 56;
// The signature lines: the technician's, then the date's.
constexpr qreal SignatureWidthMm = 95;
constexpr qreal DateLeftMm = 110;
constexpr qreal DateWidthMm = 65;
constexpr qreal SignatureRoomMm = 20;
constexpr qreal HeadingRoomMm = 20;
// The fingerprint stays on the page the technician signs.
constexpr qreal FingerprintRoomMm = 16;
constexpr int PdfResolution = 300; // dots per inch

QString Q(const std::string &text)
{
    return QString::fromStdString(text);
}

// A mode's value by its words (unticked, ticked); any other value as recorded.
QString ChoiceText(const std::string &value, const std::array<QString, 2> &choices)
{
    return value == "1" ? choices[1] : value == "0" ? choices[0] : Q(value);
}

QString SettingValueText(int field, const std::string &value, const ReportCaptions &c)
{
    if (field == DcInputField)
        return ChoiceText(value, c.dcInputChoices);
    if (field == CommunicationField)
        return ChoiceText(value, c.communicationChoices);
    return Q(value);
}

QString ExchangeText(RecordedExchange exchange, const ReportCaptions &c)
{
    switch (exchange) {
    case RecordedExchange::IdentifyWrite:
        return c.identifyWrite;
    case RecordedExchange::CalibrationWrite:
        return c.calibrationWrite;
    default:
        return c.configurationWrite;
    }
}

void Pair(PdfFlow &flow, const QString &label, const QString &value, Style style = Style::Body)
{
    flow.Row({{0, LabelWidthMm, label, Style::Caption},
              {ValueLeftMm, flow.BodyWidthMm() - ValueLeftMm, value, style, style == Style::Mono}});
}

// A heading never stands alone at the foot of a page: keepMm must follow it on the same page.
void Heading(PdfFlow &flow, const QString &text, qreal keepMm = HeadingRoomMm)
{
    flow.Space(3);
    flow.KeepRoom(keepMm);
    flow.Paragraph(text, Style::Heading);
    flow.Space(0.5);
}

std::vector<PdfFlow::Cell> Cells(const QString &setting, const QString &key, const QString &value,
                                 Style valueStyle, const QString &unit, const QString &time,
                                 Style style)
{
    return {
        {SettingColumn.left, SettingColumn.width, setting, style},
        {KeyColumn.left, KeyColumn.width, key, style == Style::Caption ? style : Style::Mono, true},
        {ValueColumn.left, ValueColumn.width, value, valueStyle},
        {UnitColumn.left, UnitColumn.width, unit, style},
        {TimeColumn.left, TimeColumn.width, time, style}};
}

void Settings(PdfFlow &flow, const CommissioningReport &report, const ReportCaptions &c)
{
    Heading(flow, c.settings);
    flow.Paragraph(c.policy, Style::Note);
    flow.Space(1);
    const auto header = Cells(c.settingColumn, c.keyColumn, c.valueColumn, Style::Caption,
                              c.unitColumn, c.recordedColumn, Style::Caption);
    flow.Row(header);
    flow.RepeatOnNewPage(header);
    for (const ReportedSetting &s : report.settings) {
        const auto field = static_cast<std::size_t>(s.field);
        const QString value = s.value ? SettingValueText(s.field, *s.value, c) : c.notRead;
        flow.Row(Cells(c.settingNames[field], Q(s.key), value,
                       s.value ? Style::Body : Style::Absent, Q(s.unit), Q(s.recordedAt),
                       Style::Body));
        if (s.pending)
            flow.Row({{ValueColumn.left, flow.BodyWidthMm() - ValueColumn.left,
                       c.pending.arg(SettingValueText(s.field, *s.pending, c)), Style::Pending}});
    }
    flow.RepeatOnNewPage({});
}

void Writes(PdfFlow &flow, const CommissioningReport &report, const ReportCaptions &c)
{
    Heading(flow, c.writes);
    if (report.writes.empty())
        flow.Paragraph(c.noWrites, Style::Absent);
    for (const ReportedWrite &w : report.writes) {
        const QString outcome
            = w.outcome == ExchangeOutcome::WriteDone ? c.writeDone : c.writeFailed;
        flow.Space(1);
        flow.Row(
            {{0, LabelWidthMm, Q(w.localTime), Style::Body},
             {ValueLeftMm, flow.BodyWidthMm() - ValueLeftMm,
              ExchangeText(w.exchange, c) + QStringLiteral(" \u2014 ") + outcome, Style::Caption}});
        for (const RecordedValue &v : w.values) {
            const QString before = v.before ? Q(*v.before) : QStringLiteral("\u2013");
            flow.Row({{WriteValueIndentMm, WriteArrowLeftMm - WriteValueIndentMm - 1, Q(v.key),
                       Style::Mono, true},
                      {WriteArrowLeftMm, flow.BodyWidthMm() - WriteArrowLeftMm,
                       before + QStringLiteral(" \u2192 ") + Q(v.value), Style::Mono, true}});
        }
    }
}

void Content(PdfFlow &flow, const CommissioningReport &report, const ReportCaptions &c)
{
    flow.Paragraph(c.title, Style::Title);
    flow.Space(2);
    Pair(flow, c.toolVersion, Q(report.toolVersion));
    Pair(flow, c.created, Q(report.createdAt));
    Pair(flow, c.site, Q(report.visit.site));
    Pair(flow, c.technician, Q(report.visit.technician));
    Pair(flow, c.notes, Q(report.visit.notes));

    Heading(flow, c.inverter);
    Pair(flow, c.id, Q(report.unit.id));
    Pair(flow, c.model, Q(report.unit.model));
    Pair(flow, c.company, Q(report.unit.company));
    Pair(flow, c.operatingFirmware, Q(report.unit.operatingFirmware));
    Pair(flow, c.certificateFirmware, Q(report.unit.certificateFirmware));
    Pair(flow, c.lastRecord, Q(report.identityAt));

    Settings(flow, report, c);

    Heading(flow, c.calibration);
    if (report.calibration) {
        flow.Paragraph(c.calibrationData.arg(Q(report.calibration->recordedAt)), Style::Body);
        flow.Row({{0, flow.BodyWidthMm(), Q(report.calibration->replyBytes), Style::Mono, true}});
    } else {
        flow.Paragraph(c.noCalibration, Style::Absent);
    }

    Writes(flow, report, c);

    Heading(flow, c.fingerprint, FingerprintRoomMm + SignatureRoomMm);
    if (report.fingerprint)
        flow.Row({{0, flow.BodyWidthMm(), Q(*report.fingerprint), Style::Mono, true}});
    else
        flow.Paragraph(c.noFingerprint, Style::Absent);

    flow.Space(4);
    flow.KeepRoom(SignatureRoomMm);
    flow.Space(SignatureRoomMm - 6);
    flow.Rule(0, SignatureWidthMm);
    flow.Rule(DateLeftMm, DateWidthMm);
    flow.Space(1);
    flow.Row({{0, SignatureWidthMm, c.signature, Style::Note},
              {DateLeftMm, DateWidthMm, c.date, Style::Note}});
}

// Every text the report shows, to tell which font it needs.
QString AllText(const CommissioningReport &report, const ReportCaptions &c)
{
    QString all = c.title + c.policy + c.settings + c.writes + c.notRead + c.pending + c.signature
                  + c.inverter;
    for (const QString &name : c.settingNames)
        all += name;
    for (const std::string *text : {&report.visit.site, &report.visit.technician,
                                    &report.visit.notes, &report.unit.model, &report.unit.company})
        all += Q(*text);
    return all;
}

} // namespace

bool NeedsCjkFont(const QString &text)
{
    for (const char32_t c : text.toUcs4()) {
        switch (QChar::script(c)) {
        case QChar::Script_Han:
        case QChar::Script_Hangul:
        case QChar::Script_Hiragana:
        case QChar::Script_Katakana:
        case QChar::Script_Bopomofo:
            return true;
        default:
            break;
        }
    }
    return false;
}

std::optional<QByteArray> CommissioningReportPdf(const CommissioningReport &report,
                                                 const ReportCaptions &captions)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(PdfResolution);
    writer.setTitle(captions.title + QStringLiteral(" \u2014 ") + captions.id + u' '
                    + Q(report.unit.id));
    writer.setCreator(QStringLiteral("pv-service ") + Q(report.toolVersion));

    const QString family = NeedsCjkFont(AllText(report, captions))
                               ? QString::fromLatin1(ReportCjkFamily)
                               : QString::fromLatin1(ReportLatinFamily);
    PdfFlow flow(writer, family, QString::fromLatin1(ReportMonoFamily));
    Content(flow, report, captions);
    const QString footerLeft
        = captions.title + QStringLiteral(" \u00b7 ") + captions.id + u' ' + Q(report.unit.id);
    const bool painted = flow.Paint([&](int page, int pages) {
        return std::pair{footerLeft,
                         captions.page.arg(QString::number(page), QString::number(pages))};
    });
    if (!painted)
        return std::nullopt;
    buffer.close();
    return bytes;
}

} // namespace pv
