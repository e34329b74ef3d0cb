#pragma once
// The calibration window: reads the inverter's calibration bytes, computes gains and offsets
// from reference-meter readings, and writes them and the AC current offset. It runs its own
// exchanges on its own timer through the service session, which runs the calibration step
// table and judges every reply:
//   form2.cpp           opening and closing, the buttons, the exchange ticks
//   form2_controls.cpp  the controls at their design places
//   form2_captions.cpp  captions of the chosen language

#include "calibration_entries.h"
#include "calibration_frames.h"
#include "form2_controls.h"

#include "link/codec.h"
#include "link/numbers.h"
#include "platform/secondary_window.h"

namespace pv {

class CaptionTargets;
class LanguageTable;
class MessageSink;
class ServiceSession;

// What the calibration window needs of the main window, handed in when it is opened.
struct Form2Services
{
    MessageSink &messages;
    const LanguageTable &texts;
    CaptionTargets &captionTargets;
    ServiceSession &session;
    NumberFormat numberFormat;
};

class Form2 : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit Form2(const Form2Services &services, QWidget *parent = nullptr);
    ~Form2() override;

    // Places the window, shows the current readings with one decimal and applies the captions.
    void Form_Load();

    // Event handlers, named after control and event; tests call them directly.
    void Command1_Click();          // write calibration
    void Command2_Click();          // read calibration
    void Command3_Click(int index); // offset one up (0) or down (1)
    void Command4_Click();          // calculate the current gains
    void Command5_Click();          // write the AC current offset
    void Timer1_Timer();

    // Locks (false) or unlocks (true) every button and entry; the timer runs exactly while
    // the window is locked.
    void EnableCalibrationControls(bool enabled);
    void CalibrationTick();
    // Lays the reply of a passing read into the Read Setting Data row.
    void OutInterface_Calibrate();
    // Empties the Read Setting Data row but Text1(4).
    void ClearReadSettingData();
    // False, with the focus on the first empty entry of the mode and text 136, when one is empty.
    bool CheckCalibrationEntries(int mode);
    // Recomputes the Write Setting Data row; false, with text 132 and the row unchanged, when
    // it cannot be computed.
    bool FillWriteSettingData();
    // The window's captions, when it is the caption target.
    void ApplyCaptions();

    Form2Controls &Controls() { return ui_; }

private:
    // Hands the port back to monitoring and the captions to the main window.
    void Unload() override;
    void InstallKeyFilters();
    void ConnectControls();
    TextBox *Entry(EntryId entry) const;
    CalibrationTexts EntryTexts() const;
    void ShowMessage(int textNumber);
    // The entries at the click are the plan of the exchange: they stay locked while it runs.
    CalibrationPlan Plan() const;
    void StartExchange(int intervalMs);

    Form2Services services_;
    Form2Controls ui_;
};

} // namespace pv
