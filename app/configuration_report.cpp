// The commissioning report of the unit on the port: made from this run's service record (never
// from the panel, whose entries only add which edits are pending), asked for the visit's site,
// technician and notes, and written as a PDF with its JSON beside it.

#include "configuration_panel.h"

#include "report_dialog.h"
#include "settings_files.h"

#include "link/text_numbers.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/modal_presenter.h"
#include "record/service_recorder.h"
#include "report/report_json.h"
#include "report/report_pdf.h"
#include "report/report_texts.h"

#include <QByteArray>
#include <QDateTime>
#include <QSaveFile>

#include <algorithm>
#include <cctype>

namespace pv {
namespace {

QString PathText(const std::filesystem::path &path)
{
    return QString::fromStdU16String(path.u16string());
}

std::string LocalTimeText(std::int64_t msSinceEpoch)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    const QDate d = at.date();
    const QTime t = at.time();
    return IsoLocalTime(d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
                        at.offsetFromUtc());
}

// The PDF's name ends in ".pdf", so that the JSON beside it (the same name ending in ".json")
// never takes its place.
std::filesystem::path PdfPath(std::filesystem::path chosen)
{
    std::string extension = chosen.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension != ".pdf")
        chosen += ".pdf";
    return chosen;
}

// Written beside the old file and put in its place at the end, and only over a plain file.
bool WriteWhole(const std::filesystem::path &path, const QByteArray &bytes)
{
    if (!IsPlainFileOrAbsent(path))
        return false;
    QSaveFile out(PathText(path));
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

} // namespace

void ConfigurationPanel::CommandReport_Click()
{
    if (!ControlsFree())
        return;
    const Form1Services &services = context_.services;
    if (services.recorder == nullptr) {
        context_.ShowMessage(text::ReportNoRecord);
        return;
    }
    ReportRequest request;
    request.unitId = services.recorder->Identity().id;
    request.panel = PanelNow();
    request.format = services.numberFormat;
    request.toolVersion = PV_TOOL_VERSION;
    // Asked before the dialog, so that nobody types a visit in for a unit that cannot be reported.
    if (!BuildCommissioningReport(services.recorder->CommittedSinceStart(), request)) {
        context_.ShowMessage(text::ReportNotIdentified);
        return;
    }

    const std::filesystem::path &folder
        = services.writableFolder.empty() ? services.programFolder : services.writableFolder;
    ReportDialog dialog(context_.texts, ReadReportVisit(folder), context_.ui.Frame1[1]->window());
    services.presenter.ShowModal(dialog);
    if (dialog.result() != QDialog::Accepted)
        return;
    request.visit = dialog.Visit();
    // Kept for the next report even when no file is chosen now; a visit not kept is no failure.
    static_cast<void>(SaveReportVisit(folder, request.visit));

    const auto chosen = services.files.SaveFileName(context_.Text(text::ReportSaveTitle),
                                                    context_.Text(text::ReportPdfFiles)
                                                        + QStringLiteral(" (*.pdf)"));
    if (!chosen)
        return;
    const std::filesystem::path pdfPath = PdfPath(*chosen);
    std::filesystem::path jsonPath = pdfPath;
    jsonPath.replace_extension(".json");

    // The records committed while the dialogs were open belong in it too.
    request.createdAt = LocalTimeText(services.wallClock());
    const auto report = BuildCommissioningReport(services.recorder->CommittedSinceStart(), request);
    const auto pdf
        = report ? CommissioningReportPdf(
              *report, ReportCaptionsFrom([this](int number) { return context_.Text(number); }))
                 : std::nullopt;
    for (const auto &[path, bytes] :
         {std::pair{pdfPath, pdf.value_or(QByteArray())},
          std::pair{jsonPath, report ? CommissioningReportJson(*report) : QByteArray()}}) {
        if (bytes.isEmpty() || !WriteWhole(path, bytes)) {
            services.messages.ShowMessage(
                context_.Text(text::ReportNotWritten).arg(PathText(path)));
            return;
        }
    }
    services.messages.ShowMessage(
        context_.Text(text::ReportWritten).arg(PathText(pdfPath), PathText(jsonPath)));
}

} // namespace pv
