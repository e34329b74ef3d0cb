#pragma once
// The commissioning report as JSON, written beside its PDF for the operator's systems: the same
// content, under the versioned schema docs/commissioning-report-schema.md describes. Keys never
// change within a schema version; every number is the recorded "." text, every time ISO 8601
// with its offset.

#include "commissioning_report.h"

#include <QByteArray>

#include <string_view>

namespace pv {

inline constexpr std::string_view ReportSchema = "pv-commissioning-report/1";

// UTF-8, indented, ending with a line break.
QByteArray CommissioningReportJson(const CommissioningReport &report);

} // namespace pv
