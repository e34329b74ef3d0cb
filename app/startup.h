#pragma once
// Applies the start-up switches of InitSet.txt to the main window.

#include <QString>
#include <filesystem>

namespace pv {

struct Form1Controls;

struct InitSwitches
{
    bool efficiencyShown = true;
    QString titleSuffix;
};

enum class InitResult { Applied, Missing, TooFewFields };

// Reads InitSet.txt beside the program and applies fields 1..4 (menu entries, flag boxes,
// efficiency reading), then the menu placement, then stores field 6 as the title suffix.
// With fewer than six fields the switches already applied stay applied.
InitResult ReadInitSettings(const std::filesystem::path &programFolder, Form1Controls &ui,
                            InitSwitches &switches);

} // namespace pv
