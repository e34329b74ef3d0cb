#pragma once
// The plain-text settings files beside the program: InitSet.txt (start-up switches),
// LanguageSet.txt (stored language number, in the writable folder), CountryParameter.txt
// (country presets). All are read as bytes in the tool's code page. ReportVisit.txt, in the
// writable folder, keeps what the last commissioning report was told about the visit, in UTF-8.

#include "language/language_choice.h"
#include "platform/files.h"
#include "report/commissioning_report.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pv {

inline constexpr const char *InitSetFile = "InitSet.txt";
inline constexpr const char *CountryParameterFile = "CountryParameter.txt";
inline constexpr const char *ReportVisitFile = "ReportVisit.txt";

// The language number to load at start-up, from LanguageSet.txt in the tool's writable folder:
// the stored one when it is a language the picker offers, otherwise the first language (also
// when the file is missing or holds no number).
int ReadLanguageSetting(const std::filesystem::path &writableFolder);

// Lines 3 onward of CountryParameter.txt (split at CR LF or a lone LF; a final line break ends
// the last line and adds no empty one). False when the file is missing or has fewer than three
// lines.
bool ReadCountryRecords(const std::filesystem::path &programFolder,
                        std::vector<std::string> &records);

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
