#pragma once
// Puts the texts of the loaded language on the captions of the windows.

#include <QString>

class QWidget;

namespace pv {

class LanguageTable;
struct Form1Controls;

// Which window the next ApplyCaptions serves: main (0), calibration (1) or about (2).
class CaptionTargets
{
public:
    // 0, 1 or 2 selects that window alone; any other value changes nothing.
    void SelectCaptionTarget(int which);
    bool Main() const { return main_; }
    bool Calibration() const { return calibration_; }
    bool About() const { return about_; }

private:
    bool main_ = false, calibration_ = false, about_ = false;
};

// The main window part: title (text 0, a blank, titleSuffix), menu labels, frames, panel
// captions, the country list (keeping its chosen position), buttons, and the status caption
// from statusTextNumber.
void ApplyMainCaptions(const LanguageTable &texts, QWidget &form1, Form1Controls &ui,
                       const QString &titleSuffix, int statusTextNumber);

} // namespace pv
