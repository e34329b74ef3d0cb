#pragma once
// The about window: the operating and certificate firmware versions that the inverter reported,
// as the decoded values hold them when the window opens. It sends nothing itself.

#include "platform/secondary_window.h"

#include <QGroupBox>
#include <QLabel>

namespace pv {

class CaptionTargets;
class InverterData;
class LanguageTable;

struct Form3Controls
{
    QLabel *Label1 = nullptr; // heading
    QGroupBox *Frame1 = nullptr;
    QLabel *Label8 = nullptr; // "Operating"
    QLabel *Label2 = nullptr; // operating version
    QLabel *Label3 = nullptr; // "Certificate"
    QLabel *Label4 = nullptr; // certificate version
};

struct Form3Services
{
    const LanguageTable &texts;
    CaptionTargets &captionTargets;
    const InverterData &data;
};

class Form3 : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit Form3(const Form3Services &services, QWidget *parent = nullptr);

    // Applies the captions and fills the version rows from the decoded values.
    void Form_Load();
    // The window's captions, when it is the caption target.
    void ApplyCaptions();

    const Form3Controls &Controls() const { return ui_; }

private:
    // Hands the captions back to the main window.
    void Unload() override;

    Form3Services services_;
    Form3Controls ui_;
};

} // namespace pv
