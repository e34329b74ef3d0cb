#include "startup.h"

#include "form1_controls.h"
#include "form1_layout.h"
#include "settings_files.h"

#include <string>
#include <vector>

namespace pv {

namespace {

// Menu strip indices of the two entries the switches may hide or move.
constexpr std::size_t CalibrationEntry = 3;
constexpr std::size_t SelfTestEntry = 6;
constexpr std::size_t EfficiencyReading = 9;

using namespace layout;

void ShowMenuEntry(Form1Controls &ui, std::size_t entry, bool show)
{
    ui.Label16[entry]->setVisible(show);
    ui.Shape2[entry]->setVisible(show);
}

void PlaceMenuEntry(Form1Controls &ui, std::size_t entry, int shapeLeft, int labelLeft)
{
    SetLeftTwips(ui.Shape2[entry], shapeLeft);
    SetLeftTwips(ui.Label16[entry], labelLeft);
}

// Only the exact texts "0" and "1" move entries; a blank or a line break beside the digit
// makes the field neither, and the design places stay.
void PlaceMenuEntries(Form1Controls &ui, const std::string &calibration,
                      const std::string &selfTest)
{
    if (calibration == "0" && selfTest == "1") {
        PlaceMenuEntry(ui, SelfTestEntry, InnerSlotShapeLeft, InnerSlotLabelLeft);
    } else if (calibration == "1" && selfTest == "0") {
        // CALIBRATION takes the slot the hidden SELFTEST entry leaves free.
        PlaceMenuEntry(ui, CalibrationEntry, InnerSlotShapeLeft, InnerSlotLabelLeft);
    } else if (calibration == "1" && selfTest == "1") {
        PlaceMenuEntry(ui, SelfTestEntry, InnerSlotShapeLeft, InnerSlotLabelLeft);
        PlaceMenuEntry(ui, CalibrationEntry, OuterSlotShapeLeft, OuterSlotLabelLeft);
    }
}

} // namespace

InitResult ReadInitSettings(const std::filesystem::path &programFolder, Form1Controls &ui,
                            InitSwitches &switches)
{
    if (!FileIsPresent(programFolder, InitSetFile))
        return InitResult::Missing;

    // The switches are applied field by field as they are reached, so a short file leaves
    // the ones before the gap in force.
    const std::vector<std::string> fields
        = SplitInitSettings(ReadWholeFile(programFolder / InitSetFile));
    const auto present = [&fields](std::size_t count) { return fields.size() >= count; };

    if (!present(1))
        return InitResult::TooFewFields;
    ShowMenuEntry(ui, CalibrationEntry, fields[0] != "0");

    if (!present(2))
        return InitResult::TooFewFields;
    for (QCheckBox *flag : ui.Check2)
        flag->setVisible(fields[1] != "0");

    if (!present(3))
        return InitResult::TooFewFields;
    ShowMenuEntry(ui, SelfTestEntry, fields[2] != "0");

    if (!present(4))
        return InitResult::TooFewFields;
    switches.efficiencyShown = fields[3] != "0";
    ui.Frame2[EfficiencyReading]->setVisible(switches.efficiencyShown);
    ui.Label2[EfficiencyReading]->setVisible(switches.efficiencyShown);

    PlaceMenuEntries(ui, fields[0], fields[2]);

    // Field 5 is reserved and never read, but it must be there for field 6 to be.
    if (!present(6))
        return InitResult::TooFewFields;
    switches.titleSuffix = QString::fromStdString(fields[5]);
    return InitResult::Applied;
}

} // namespace pv
