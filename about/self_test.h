#pragma once

#include <string_view>

namespace pv {

class ProcessList;

inline constexpr std::string_view SelfTestProgram = "Solvane.exe";

// True when a running process's executable name begins with name (letter case counts).
bool IsProcessRunning(const ProcessList &processes, std::string_view name);

} // namespace pv
