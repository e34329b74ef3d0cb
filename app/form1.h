#pragma once
// The main window: menu strip, live readings, status strip and the setting panels, a client of
// the service session that drives every exchange with the inverter. One class, one source file
// per panel:
//   form1.cpp                the window and its handlers
//   form1_session.cpp        the session's outcomes in texts, lamp, message boxes and panels
//   form1_startup.cpp        loading the window and the settings files
//   form1_menu.cpp           menu strip, panel layout, scroll bar
//   form1_identifiers.cpp    identifiers panel
//   form1_configuration.cpp  configuration panel and its limits grid
//   form1_configuration_files.cpp  saving, loading and comparing configuration files
//   form1_captions.cpp       captions of the chosen language
//   form1_line.cpp           the line view and the recording of the serial line
//   form1_trend.cpp          trend and recording of the readings, readings grown old

#include "form1_controls.h"

#include "language/caption_targets.h"
#include "language/language_table.h"
#include "link/numbers.h"
#include "monitor/readings_age.h"
#include "monitor/trend_buffer.h"
#include "platform/record_file.h"
#include "session/service_session.h"
#include "settings/configuration.h"
#include "settings/configuration_file.h"
#include "settings/country_presets.h"
#include "settings/identifiers.h"

#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pv {

class FileDialogs;
class Form2;
class LanguageStore;
class LineView;
class MessageSink;
class ModalPresenter;
class ProcessList;
class SerialPort;

enum class Lamp { Good, Bad };

// Milliseconds since 1970-01-01 UTC, as the system clock tells them.
std::int64_t SystemClockMs();

// The outside world of the main window, handed in by main() (or by a test).
struct Form1Services
{
    SerialPort &port;
    MessageSink &messages;
    ModalPresenter &presenter;
    ProcessList &processes;
    LanguageStore &languageStore;
    FileDialogs &files;
    std::filesystem::path programFolder;
    NumberFormat numberFormat;
    // The time stamps of the trend and the recording.
    std::function<std::int64_t()> wallClock = SystemClockMs;
    // Where LanguageSet.txt is read and written (platform/writable_folder.h); empty: the
    // program folder itself, as in the build tree and a portable copy.
    std::filesystem::path writableFolder{};
};

// Mouse buttons and shift keys as the menu handler receives them.
inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;
inline constexpr int MiddleButton = 4;
inline constexpr int ShiftMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;

// The dynamic property (true) of an entry, list, flag box or option frame that the last Compare
// found different from the file.
inline constexpr char DiffersFromFileProperty[] = "differsFromFile";

// Menu entries, by Label16 index.
enum MenuEntry {
    MenuConnection = 0,
    MenuConfigurations = 1,
    MenuIdentifiers = 2,
    MenuCalibration = 3,
    MenuAbout = 4,
    MenuLanguage = 5,
    MenuSelfTest = 6,
};

// Values of the main window that live from start-up to the end of the run (twips for sizes).
struct Form1Values
{
    int NormalWindowHeight = 0;
    int TallWindowHeight = 0;
    int NormalViewportHeight = 0;
    int TallViewportHeight = 0;
    // Design Tops of Frame1(1) and Frame1(3), the origin of scrolling.
    std::array<int, 2> SavedFrameTops{};
    bool EfficiencyShown = true;
    QString TitleSuffix;
    std::vector<std::string> CountryRecords;
    int CountryRecordCount = 0;
};

class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(const Form1Services &services, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: false after the failure message has been shown; the program then ends.
    bool Form_Load();
    bool InitializeMainWindow();

    // Event handlers, named after control and event; tests call them directly.
    void Timer1_Timer();
    void Timer2_Timer();
    void Timer3_Timer();
    void Combo1_Click();
    void Label16_MouseDown(int index, int button, int shift, int x, int y);
    void Form_Resize();
    void VScroll1_Change();
    void VScroll1_Scroll();
    void Combo2_GotFocus();
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Check2_Click(int index);
    // The country list's choice: by the user, by a configuration read, after a language change.
    void Combo2_Click();
    // 0 identify Write, 1 identify Read, 2 configuration Write, 3 configuration Read.
    void Command1_Click(int index);
    // The Line button and F12: opens the line view, or brings it to the front.
    void CommandLine_Click();
    // Configuration files: the panel to a file, a file into the panel, the panel against a file.
    void CommandSave_Click();
    void CommandLoad_Click();
    void CommandCompare_Click();

    void ShowMonitorValues();
    void HighlightMenuEntry(int index);
    void ArrangePanelsForMenu(int index);
    void ShowMonitorPanel(bool show);
    // Empties the visible panel before a read.
    void ClearPanels();
    // The limits grid from the limits last read, and from the chosen country's preset.
    void ShowGridLimits();
    void ShowPresetValues();
    // Every caption and message goes through here.
    QString LanguageText(int number) const;
    // The main window's captions, when it is the caption target.
    void ApplyCaptions();
    // The language picker's choice of picture index.
    void LanguagePicked(int index);

    // What the session's outcomes show (form1_session.cpp).
    void SetInputControlsEnabled(bool enabled);
    // Paints the lamp into the status picture and sets the status caption to text N.
    void PaintLinkStatus(Lamp lamp, int textNumber);
    // A modal message box with text N alone and an OK button.
    void ShowMessage(int textNumber);
    void ShowIdentifierValues();
    void ShowConfiguration();
    // A write reported done: the entries of the groups written show what the inverter got (the
    // session has filed it), not what was typed. Shown before the message.
    void ShowWrittenIdentifiers();
    void ShowWrittenConfiguration(const WriteGroups &groups);
    // Shows the calibration window modally; returns when it is closed.
    void OpenCalibrationWindow();
    // Each accepted reply of the readings block adds a point to the trend and, while recording,
    // a row to the file.
    void ReplyFiled(const RequestInfo &request);
    // The trend starts a new segment, and the next reading is the first after a gap.
    void ReadingsStartOver();
    // The status caption's text number now.
    int StatusTextNumber() const { return statusTextNumber_; }

    // Trend and recording (form1_trend.cpp). The Record button starts a recording into a file
    // the technician chooses, and stops it.
    void CommandRecord_Click();
    // The trend, the Record button and the file name belong to the CONNECTION panel.
    void ShowTrendPanel(bool show);
    bool IsRecording() const { return record_.IsRunning(); }
    // Waits until the rows taken so far have been handled by the recording's writer (tests and
    // tools; the window itself never waits for it).
    bool RecordingWritten(int milliseconds) const { return record_.WaitUntilWritten(milliseconds); }
    const TrendBuffer &Trend() const { return trend_; }

    Form1Controls &Controls() { return ui_; }
    const Form1Controls &Controls() const { return ui_; }
    // The session this window is a client of; other clients subscribe to it here.
    ServiceSession &Session() { return session_; }
    const ExchangeMachine &Machine() const { return session_.Machine(); }
    const LineRecorder &Line() const { return session_.Line(); }
    // The line view once it has been opened, else null.
    LineView *LineWindow() const { return lineView_.get(); }
    const ValueStore &Store() const { return session_.Store(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void ConnectControls();
    void ConnectSession(); // form1_session.cpp
    void ShowLinkStatus(LinkStatus status);
    void ShowStatus(Lamp lamp, int textNumber);
    void ConnectLine(); // form1_line.cpp
    void ApplyLineCaptions();
    void InstallKeyFilters();
    void FillPortList();
    bool LoadStartupLanguage();
    const std::filesystem::path &WritableFolder() const;
    // The Read and Write buttons of each panel, once the port is known to be open.
    void IdentifiersCommand(int index);   // form1_identifiers.cpp
    void ConfigurationCommand(int index); // form1_configuration.cpp
    void StartConfigurationWrite();
    void RefuseConfigurationEntry(const ConfigurationRefusal &refusal);
    // No identify or configuration exchange is running.
    bool ConfigurationControlsFree() const;
    // Configuration files (form1_configuration_files.cpp).
    void ConnectConfigurationFiles();
    void ApplyConfigurationFileCaptions();
    ConfigurationPanelTexts ConfigurationPanelNow() const;
    std::vector<std::uint8_t> ListedCountryCodes() const;
    bool CountryCodeListed(std::uint8_t code) const;
    // Text 277 for a code the unit reports that the country list does not offer.
    void ShowUnlistedCountry(std::uint8_t code);
    // A Country write that would replace a code the list does not offer asks first.
    bool CountryReplacementAgreed(const ConfigurationWrite &write);
    // A port chosen in Combo1: another port's unit is not the one the panel was read from.
    void ConfigurationPortChosen(int portIndex);
    std::optional<ConfigurationValues> OpenConfigurationFile(int refusalText);
    void RefuseConfigurationSave(const ConfigurationProblem &problem);
    void ShowConfigurationValues(const ConfigurationValues &values);
    std::vector<QWidget *> ConfigurationFieldControls(int field) const;
    QString ConfigurationReason(const ConfigurationProblem &problem) const;
    void ClearConfigurationMarks();
    // form1_trend.cpp
    void ShowTrend();
    void ApplyTrendCaptions();
    // Greys the readings once no reply of the readings block was accepted for two cycles.
    void ShowReadingsAge();
    // messageNumber 0: stopped by the technician, no message.
    void StopRecording(int messageNumber);

    Form1Services services_;
    Form1Controls ui_;
    ServiceSession session_{services_.port};
    // The lamp painted into the status strip last; none before the first.
    std::optional<Lamp> shownLamp_;
    int statusTextNumber_;
    // A drawing of the trend waits for the event loop (at most one at a time).
    bool trendRedrawPosted_ = false;
    LanguageTable texts_;
    CaptionTargets captionTargets_;
    Form1Values values_;
    // The configuration panel: the chosen country's values and code (SelectedCountryCode;
    // nothing while the list stands for no country).
    PresetValues presetValues_{};
    std::optional<std::uint8_t> selectedCountryCode_;
    // The panel shows what a configuration read brought (until the next read or a Load).
    bool configurationFromRead_ = false;
    // What that read showed and from which unit, through which port (COM number), for the header
    // of a saved file; forgotten at the next read, a Load, or the choice of another port.
    std::optional<ConfigurationRead> configurationRead_;
    int configurationReadPort_ = 0;
    // The country code the unit reported at that read when the list does not offer it: own
    // settings then stand for this code in a saved file, and a file holding it can be loaded.
    std::optional<std::uint8_t> unlistedCountryCode_;
    // The reason of a start-up failure met before the language table could be loaded.
    QString earlyFailure_;
    // A child window of this one, closed before the members its texts come from go.
    std::unique_ptr<LineView> lineView_;
    // The last ten minutes of readings, their age, and the recording while one runs.
    TrendBuffer trend_;
    ReadingsAge readingsAge_;
    bool readingsShownOld_ = false;
    // Rows go to the file on the writer's own thread; a failure it reports is taken only for the
    // recording it belongs to.
    RecordWriter record_;
    int recordingNumber_ = 0;
};

} // namespace pv
