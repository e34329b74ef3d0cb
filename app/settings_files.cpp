#include "settings_files.h"

#include "settings/text_lines.h"

namespace pv {

namespace {

// Start-up reads six fields of InitSet.txt; whatever follows the sixth comma stays in one
// seventh part that nothing reads, so a damaged file of millions of commas costs nothing.
constexpr std::size_t InitSetParts = 7;

} // namespace

std::vector<std::string> SplitInitSettings(const std::string &content)
{
    return SplitAt(content, ",", InitSetParts);
}

} // namespace pv
