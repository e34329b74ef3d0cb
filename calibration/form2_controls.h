#pragma once
// The calibration window's controls under their design names and control-array indices.

#include "calibration_entries.h"

#include "platform/controls.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include <array>

namespace pv {

struct Form2Controls
{
    // Frame1(0..3) voltages, (4..6) currents, (7) AC current offset, (8) and (9) the captionless
    // groups around the voltage and the current frames, (10) Write and (11) Read Setting Data.
    std::array<QGroupBox *, 12> Frame1{};
    // Row and column captions: "150", "300", "Meter", "LCD", "gain".
    std::array<QLabel *, 19> Label1{};

    std::array<TextBox *, Text1Count> Text1{}; // Read Setting Data row
    TextBox *Text2 = nullptr;                  // AC current offset
    std::array<TextBox *, Text3Count> Text3{}; // string A voltages, current readings, A gain
    std::array<TextBox *, Text4Count> Text4{}; // string B voltages and gain
    TextBox *Text5 = nullptr;                  // DC bus voltage, meter
    TextBox *Text6 = nullptr;                  // AC voltage, meter
    TextBox *Text7 = nullptr;                  // AC current gain
    std::array<TextBox *, Text8Count> Text8{}; // Write Setting Data row

    QPushButton *Command1 = nullptr;         // write calibration
    QPushButton *Command2 = nullptr;         // read calibration
    std::array<QToolButton *, 2> Command3{}; // offset one up, one down
    QPushButton *Command4 = nullptr;         // calculate gain
    QPushButton *Command5 = nullptr;         // write the offset

    QTimer *Timer1 = nullptr;
};

// Creates every control of the calibration window on form at its design place, with its design
// text, and gives the form its design size. Timer1 is stopped, at its design interval.
void BuildForm2Controls(QWidget *form, Form2Controls &ui);

} // namespace pv
