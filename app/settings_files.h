#pragma once
// The plain-text settings files beside the program: InitSet.txt (start-up switches) here,
// LanguageSet.txt (stored language number, in the writable folder; language/language_choice.h)
// and CountryParameter.txt (country presets; settings/country_presets.h) where a program without
// windows reads them too. All are read as bytes in the tool's code page. ReportVisit.txt, in the
// writable folder, keeps what the last commissioning report was told about the visit, in UTF-8.

#include "language/language_choice.h"
#include "platform/files.h"
#include "settings/country_presets.h"
#include "report/commissioning_report.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pv {

inline constexpr const char *InitSetFile = "InitSet.txt";
inline constexpr const char *ReportVisitFile = "ReportVisit.txt";

// The site, technician and notes of the last commissioning report from ReportVisit.txt in the
// writable folder: line 1 the site, line 2 the technician, the lines after them the notes.
// Empty when the file is missing, unreadable or larger than a settings file may be.
ReportVisit ReadReportVisit(const std::filesystem::path &writableFolder);
// Keeps them for the next report (a line break in the site or the name becomes a blank); false
// when the file could not be written.
bool SaveReportVisit(const std::filesystem::path &writableFolder, const ReportVisit &visit);

// The fields of InitSet.txt: the content split at every comma, line breaks kept; the fields
// after the sixth are left together in a seventh that nothing reads.
std::vector<std::string> SplitInitSettings(const std::string &content);

} // namespace pv
