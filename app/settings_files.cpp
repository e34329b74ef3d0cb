#include "settings_files.h"

#include "settings/text_lines.h"

#include <algorithm>

namespace pv {

namespace {

// Start-up reads six fields of InitSet.txt; whatever follows the sixth comma stays in one
// seventh part that nothing reads, so a damaged file of millions of commas costs nothing.
constexpr std::size_t InitSetParts = 7;

} // namespace

ReportVisit ReadReportVisit(const std::filesystem::path &writableFolder)
{
    // One byte more than is taken tells a file that is too large from one that just fits.
    const PlainFileReading file
        = ReadPlainFile(writableFolder / ReportVisitFile, MaxSettingsFileBytes + 1);
    if (file.opening != FileOpening::Opened || file.bytes.size() > MaxSettingsFileBytes)
        return {};
    std::vector<std::string> lines = SplitLines(file.bytes);
    lines.resize(std::max<std::size_t>(lines.size(), 2));
    ReportVisit visit{lines[0], lines[1], {}};
    for (std::size_t i = 2; i < lines.size(); ++i)
        visit.notes += (i > 2 ? "\n" : "") + lines[i];
    return visit;
}

bool SaveReportVisit(const std::filesystem::path &writableFolder, const ReportVisit &visit)
{
    const auto oneLine = [](std::string text) {
        std::replace_if(
            text.begin(), text.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        return text;
    };
    return WriteTextFile(writableFolder / ReportVisitFile, oneLine(visit.site) + "\r\n"
                                                               + oneLine(visit.technician) + "\r\n"
                                                               + visit.notes);
}

std::vector<std::string> SplitInitSettings(const std::string &content)
{
    return SplitAt(content, ",", InitSetParts);
}

} // namespace pv
