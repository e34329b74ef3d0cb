#pragma once
// The commissioning report as a PDF on A4, in the language of its captions: the tool's version
// and the date, the visit, the unit's identity and firmware, every protection setting with its
// unit and the time of its record (and its pending edit), the calibration read, every write
// since the start, the settings' fingerprint and the lines the technician signs on.

#include "commissioning_report.h"
#include "report_captions.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace pv {

// The families the report is set in. Chinese and Korean characters need a font that holds them;
// a report that shows any (its captions, or a site typed in them) is set in that one throughout.
// The PDF embeds the subset of each font it uses, so it reads alike on every machine.
inline constexpr char ReportLatinFamily[] = "DejaVu Sans";
inline constexpr char ReportCjkFamily[] = "WenQuanYi Micro Hei";
inline constexpr char ReportMonoFamily[] = "DejaVu Sans Mono";

// Whether the text holds Chinese, Japanese or Korean characters.
bool NeedsCjkFont(const QString &text);

// The PDF's bytes; nothing when it could not be made. Needs a QGuiApplication (fonts).
std::optional<QByteArray> CommissioningReportPdf(const CommissioningReport &report,
                                                 const ReportCaptions &captions);

} // namespace pv
