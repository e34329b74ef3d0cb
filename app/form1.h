#pragma once
// The main window: menu strip, live readings, status strip and the setting panels, a client of
// the service session that drives every exchange with the inverter. The window keeps the menu,
// the layout of the panels, the captions and the start-up; each panel owns its controls'
// handlers and state and subscribes to the session's outcomes it shows:
//   form1.cpp                the window, its menu events and the session's messages
//   form1_startup.cpp        loading the window and the settings files
//   form1_menu.cpp           menu strip, panel layout, scroll bar
//   form1_captions.cpp       captions of the chosen language
//   connection_panel.cpp     port list, lamp and status caption, the lock of the inputs
//   identifiers_panel.cpp    identifiers panel
//   configuration_panel.cpp  configuration panel and its limits grid (and its files and marks)
//   trend_panel.cpp          readings, their trend and recording, readings grown old
//   line_panel.cpp           the line view of the serial line
//   history_panel.cpp        the service history of the recorded exchanges
//   publish_panel.cpp        publishing the readings to an MQTT broker

#include "configuration_panel.h"
#include "connection_panel.h"
#include "form1_controls.h"
#include "history_panel.h"
#include "identifiers_panel.h"
#include "line_panel.h"
#include "panel_context.h"
#include "publish_panel.h"
#include "trend_panel.h"

#include "language/caption_targets.h"
#include "language/language_table.h"
#include "session/service_session.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <optional>

namespace pv {

class LineView;

// Mouse buttons and shift keys as the menu handler receives them.
inline constexpr int LeftButton = 1;
inline constexpr int RightButton = 2;
inline constexpr int MiddleButton = 4;
inline constexpr int ShiftMask = 1;
inline constexpr int CtrlMask = 2;
inline constexpr int AltMask = 4;

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
};

class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(const Form1Services &services, QWidget *parent = nullptr);
    ~Form1() override;

    // Start-up: false after the failure message has been shown; the program then ends.
    bool Form_Load();

    // The menu strip's handler, named after control and event as the design has it.
    void Label16_MouseDown(int index, int button, int shift, int x, int y);
    // The language picker's choice of picture index.
    void LanguagePicked(int index);
    // Every caption and message goes through here.
    QString LanguageText(int number) const;

    // The panels' handlers by their design names, for tests and tools that press a control
    // without an event loop; each passes straight to the panel that owns the control.
    void Timer1_Timer() { session_.MonitorTick(); }
    void Timer2_Timer() { session_.IdentifyTick(); }
    void Timer3_Timer() { session_.ConfigurationTick(); }
    void Combo1_Click() { connection_.Combo1_Click(); }
    void Combo2_Click() { configuration_.Combo2_Click(); }
    // 0 identify Write, 1 identify Read, 2 configuration Write, 3 configuration Read.
    void Command1_Click(int index);
    void CommandSave_Click() { configuration_.CommandSave_Click(); }
    void CommandLoad_Click() { configuration_.CommandLoad_Click(); }
    void CommandCompare_Click() { configuration_.CommandCompare_Click(); }
    void CommandReport_Click() { configuration_.CommandReport_Click(); }
    void CommandLine_Click() { line_.CommandLine_Click(); }
    void CommandRecord_Click() { trend_.CommandRecord_Click(); }
    void CommandHistory_Click() { history_.CommandHistory_Click(); }

    // What the window shows, for tests and tools.
    const Form1Controls &Controls() const { return ui_; }
    int StatusTextNumber() const { return connection_.StatusTextNumber(); }
    bool IsRecording() const { return trend_.IsRecording(); }
    bool RecordingWritten(int milliseconds) const { return trend_.RecordingWritten(milliseconds); }
    const TrendBuffer &Trend() const { return trend_.Trend(); }
    // The line view once it has been opened, else null.
    LineView *LineWindow() const { return line_.LineWindow(); }
    // The history window once it has been opened, else null.
    HistoryWindow *History() const { return history_.Window(); }
    const ExchangeMachine &Machine() const { return session_.Machine(); }
    const LineRecorder &Line() const { return session_.Line(); }
    const ValueStore &Store() const { return session_.Store(); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool InitializeMainWindow(); // form1_startup.cpp
    bool LoadStartupLanguage();
    const std::filesystem::path &WritableFolder() const;
    void ConnectSession();
    void InstallKeyFilters();
    // form1_menu.cpp
    void HighlightMenuEntry(MenuEntry entry);
    void ArrangePanelsForMenu(MenuEntry entry);
    void ShowMonitorPanel(bool show);
    // On the CONFIGURATIONS panel own settings need the tall layout, a preset the normal one.
    void CountryChosen();
    void Form_Resize();
    void VScroll1_Change();
    void VScroll1_Scroll();
    // The main window's captions, when it is the caption target (form1_captions.cpp).
    void ApplyCaptions();
    // Shows the calibration window modally; returns when it is closed.
    void OpenCalibrationWindow();

    Form1Services services_;
    ServiceSession &session_{services_.session};
    // Built before the panels, which connect to them as they are made.
    Form1Controls ui_;
    LanguageTable texts_;
    CaptionTargets captionTargets_;
    Form1Values values_;
    // The menu entry marked last; none before the start-up marks CONNECTION.
    std::optional<MenuEntry> chosenMenu_;
    // The reason of a start-up failure met before the language table could be loaded.
    QString earlyFailure_;
    PanelContext context_{services_, ui_, session_, texts_};
    ConnectionPanel connection_{context_};
    IdentifiersPanel identifiers_{context_, connection_};
    ConfigurationPanel configuration_{context_, connection_, [this] { CountryChosen(); }};
    TrendPanel trend_{context_};
    HistoryPanel history_{context_, *this};
    PublishPanel publish_{context_};
    // Last, so that the line view closes first, while the texts it shows are still there.
    LinePanel line_{context_, *this};
};

} // namespace pv
