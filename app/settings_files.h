#pragma once
// The plain-text settings files beside the program: InitSet.txt (start-up switches) here,
// LanguageSet.txt (stored language number, in the writable folder; language/language_choice.h)
// and CountryParameter.txt (country presets; settings/country_presets.h) where a program without
// windows reads them too. All are read as bytes in the tool's code page.

#include "language/language_choice.h"
#include "platform/files.h"
#include "settings/country_presets.h"

#include <filesystem>
#include <string>
#include <vector>

namespace pv {

inline constexpr const char *InitSetFile = "InitSet.txt";

// The fields of InitSet.txt: the content split at every comma, line breaks kept; the fields
// after the sixth are left together in a seventh that nothing reads.
std::vector<std::string> SplitInitSettings(const std::string &content);

} // namespace pv
