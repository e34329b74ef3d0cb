#pragma once
// The main window's controls under their design names and control-array indices.

#include "platform/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include <array>

namespace pv {

class TrendView;

struct Form1Controls
{
    // Menu strip: caption labels over rectangles of the same index.
    std::array<QLabel *, 7> Label16{};
    std::array<ShapeControl *, 7> Shape2{};

    // Live readings: ten small frames, each with one value label.
    std::array<QGroupBox *, 10> Frame2{};
    std::array<QLabel *, 10> Label2{};

    // Status strip: Picture1 shows the lamp, Label1 the status caption; Picture2 and Picture3
    // hold the good (blue, 40 x 38 px) and bad (red, 32 x 32 px) lamp images and stay hidden.
    PictureBox *Picture1 = nullptr;
    QLabel *Label1 = nullptr;
    PictureBox *Picture2 = nullptr;
    PictureBox *Picture3 = nullptr;

    // Viewport with the four setting frames and the scroll bar.
    PictureBox *Picture4 = nullptr;
    std::array<QGroupBox *, 4> Frame1{};
    QScrollBar *VScroll1 = nullptr;

    // Frame1(0) Connection Setting.
    QLabel *Label3 = nullptr; // "ComPort"
    DropList *Combo1 = nullptr;
    QPushButton *CommandLine = nullptr; // opens the line view; in the free space right of Combo1

    // Frame1(1) Configurations Setting.
    QLabel *Label10 = nullptr; // hint before the write-group boxes
    QCheckBox *Check3 = nullptr;
    std::array<QCheckBox *, 4> Check1{}; // write groups: sleep power, KW, country, retry time
    TextBox *Text5 = nullptr;            // sleep power
    TextBox *Text6 = nullptr;            // KW
    TextBox *Text8 = nullptr;            // retry time
    DropList *Combo2 = nullptr;          // country list
    std::array<QCheckBox *, 8> Check2{}; // flag bits 7..0
    QGroupBox *Frame3 = nullptr;         // DC Input
    std::array<OptionButton *, 2> Option1{};
    QGroupBox *Frame4 = nullptr; // Communication
    std::array<OptionButton *, 2> Option2{};
    std::array<QPushButton *, 4> Command1{}; // 0 identify Write, 1 identify Read,
                                             // 2 configuration Write, 3 configuration Read
    // Configuration files: save the panel, load a file into it, compare it with a file.
    QPushButton *CommandSave = nullptr;
    QPushButton *CommandLoad = nullptr;
    QPushButton *CommandCompare = nullptr;
    // The commissioning report of the unit from this run's service record.
    QPushButton *CommandReport = nullptr;

    // Frame1(2) Identifiers Setting.
    QLabel *Label4 = nullptr; // KWH
    QLabel *Label5 = nullptr; // ID
    QLabel *Label6 = nullptr; // Model Name
    QLabel *Label7 = nullptr; // Company
    TextBox *Text1 = nullptr;
    TextBox *Text2 = nullptr;
    TextBox *Text3 = nullptr;
    TextBox *Text4 = nullptr;

    // Frame1(3) limits grid.
    std::array<TextBox *, 14> Text7{};
    std::array<QLabel *, 14> Label8{};
    QLabel *Label11 = nullptr; // note "(*)"
    PictureBox *Picture5 = nullptr;

    // The service session's step timers (monitor, identify, configuration), by their design
    // names; the session owns them.
    QTimer *Timer1 = nullptr;
    QTimer *Timer2 = nullptr;
    QTimer *Timer3 = nullptr;

    // Beside and below Frame1(0), shown with it: the trend of the readings, the button that
    // starts and stops a recording, and the name of the file being recorded to.
    TrendView *TrendChart = nullptr;
    QPushButton *CommandRecord = nullptr;
    QLabel *LabelRecord = nullptr;
    // On the Record button's row: opens the service history.
    QPushButton *CommandHistory = nullptr;
    // Under them: publishing the readings to an MQTT broker, the broker's address, the button
    // to its other settings, and the status of publishing.
    QCheckBox *CheckPublish = nullptr;
    TextBox *TextBroker = nullptr;
    QPushButton *CommandBroker = nullptr;
    QLabel *LabelPublish = nullptr;
};

// Creates every control of the main window on form at its design place, with its design
// caption, maximum length and initial state.
void BuildForm1Controls(QWidget *form, Form1Controls &ui);
// The trend and recording controls in the viewport (form1_trend.cpp).
void BuildTrendControls(QWidget *viewport, Form1Controls &ui);
// The History button in the viewport (history_panel.cpp).
void BuildHistoryButton(QWidget *viewport, Form1Controls &ui);
// The publishing controls in the viewport (publish_panel.cpp).
void BuildPublishControls(QWidget *viewport, Form1Controls &ui);

} // namespace pv
