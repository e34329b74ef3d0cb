#pragma once
// The CONFIGURATIONS panel: write groups, country list and its presets, flag boxes, DC input and
// communication options, the limits grid below it, and the configuration files (Save, Load,
// Compare) of what it shows.
//   configuration_panel.cpp   the entries, the country list, Read and Write
//   configuration_files.cpp   saving, loading and comparing configuration files
//   configuration_marks.cpp   the entries of each file field, their marks, the file buttons' row
//   configuration_report.cpp  the commissioning report of the unit from the service record

#include "panel_context.h"

#include "session/service_session.h"
#include "settings/configuration.h"
#include "settings/configuration_file.h"
#include "settings/country_presets.h"

#include <QObject>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pv {

class ConnectionPanel;

class ConfigurationPanel : public QObject
{
public:
    // countryChosen runs at every choice of the country list, before the entries follow it (the
    // window's layout depends on whether own settings are chosen).
    ConfigurationPanel(const PanelContext &context, ConnectionPanel &connection,
                       std::function<void()> countryChosen);

    // The country presets of CountryParameter.txt beside the program; false when unreadable.
    bool LoadCountryRecords(const std::filesystem::path &programFolder);
    // The country list stands at own settings (the position after the presets).
    bool OwnSettingsChosen() const;

    // Command1(2) writes the ticked groups, Command1(3) reads; both need the port first.
    void Command1_Click(int index);
    // The country list's choice: by the user, by a configuration read, after a language change.
    void Combo2_Click();
    void Combo2_GotFocus();
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Check2_Click(int index);
    // Configuration files: the panel to a file, a file into the panel, the panel against a file.
    void CommandSave_Click();
    void CommandLoad_Click();
    void CommandCompare_Click();
    // The commissioning report of the unit on the port, as PDF and JSON (configuration_report.cpp).
    void CommandReport_Click();
    // The file buttons' captions, laid out in their row by their width.
    void ApplyFileCaptions();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // No identify or configuration exchange is running.
    bool ControlsFree() const;
    void ShowPresetValues();
    // The limits grid from the limits last read.
    void ShowGridLimits();
    void StartRead();
    void ShowConfiguration();
    // A write reported done: the entries of the groups written show what the inverter got.
    void ShowWrittenConfiguration(const WriteGroups &groups);
    void StartWrite();
    void RefuseEntry(const ConfigurationRefusal &refusal);
    std::vector<std::uint8_t> ListedCountryCodes() const;
    bool CountryCodeListed(std::uint8_t code) const;
    // Text 277 for a code the unit reports that the country list does not offer.
    void ShowUnlistedCountry(std::uint8_t code);
    // A Country write that would replace a code the list does not offer asks first.
    bool CountryReplacementAgreed(const ConfigurationWrite &write);
    // A port chosen in Combo1: another port's unit is not the one the panel was read from.
    void PortChosen(int portIndex);
    // configuration_files.cpp
    ConfigurationPanelTexts PanelNow() const;
    std::optional<ConfigurationValues> OpenFile(int refusalText);
    void RefuseSave(const ConfigurationProblem &problem);
    void ShowValues(const ConfigurationValues &values);
    QString Reason(const ConfigurationProblem &problem) const;
    // configuration_marks.cpp
    void ConnectMarks();
    std::vector<QWidget *> FieldControls(int field) const;
    void MarkDiffering(const std::vector<int> &fields);
    void ClearMarks();

    PanelContext context_;
    ConnectionPanel &connection_;
    std::function<void()> countryChosen_;
    std::vector<std::string> countryRecords_;
    int countryRecordCount_ = 0;
    // The chosen country's values and code (SelectedCountryCode; nothing while the list stands
    // for no country).
    PresetValues presetValues_{};
    std::optional<std::uint8_t> selectedCountryCode_;
    // The panel shows what a configuration read brought (until the next read or a Load).
    bool fromRead_ = false;
    // What that read showed and from which unit, through which port (COM number), for the header
    // of a saved file; forgotten at the next read, a Load, or the choice of another port.
    std::optional<ConfigurationRead> read_;
    int readPort_ = 0;
    // The country code the unit reported at that read when the list does not offer it: own
    // settings then stand for this code in a saved file, and a file holding it can be loaded.
    std::optional<std::uint8_t> unlistedCountryCode_;
};

} // namespace pv
