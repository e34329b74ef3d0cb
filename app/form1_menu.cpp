// The menu strip, the layout of the panels for each entry, the viewport and its scroll bar.

#include "form1.h"

#include "about/form3.h"
#include "form1_layout.h"
#include "language/language_form.h"
#include "link/text_numbers.h"
#include "platform/modal_presenter.h"

namespace pv {
namespace {

// Menu colours, 0x00BBGGRR.
constexpr std::uint32_t MenuTextColor = 0xFFFFFF;
constexpr std::uint32_t MenuShapeColor = 0x400000;
constexpr std::uint32_t ChosenTextColor = 0x004000;
constexpr std::uint32_t ChosenFillColor = 0xC0C0FF;
// A locked entry draws its caption greyed, whether chosen or not.
constexpr std::uint32_t LockedTextColor = 0x909090;

void SetMenuTextColor(QWidget *label, std::uint32_t bgr)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::Active, QPalette::WindowText, ColorFromBgr(bgr));
    palette.setColor(QPalette::Inactive, QPalette::WindowText, ColorFromBgr(bgr));
    palette.setColor(QPalette::Disabled, QPalette::WindowText, ColorFromBgr(LockedTextColor));
    label->setPalette(palette);
}

} // namespace

void Form1::Label16_MouseDown(int index, int button, int /*shift*/, int /*x*/, int /*y*/)
{
    if (button != LeftButton || index < 0 || index > MenuSelfTest)
        return;
    const auto entry = static_cast<MenuEntry>(index);
    HighlightMenuEntry(entry);
    ArrangePanelsForMenu(entry);
    switch (entry) {
    case MenuConnection:
    case MenuConfigurations:
    case MenuIdentifiers:
        ui_.Frame1[index]->setVisible(ui_.Frame1[index]->isHidden());
        break;
    case MenuCalibration:
        if (context_.PortOpenOrSay())
            session_.OpenCalibration();
        break;
    case MenuAbout:
        if (context_.PortOpenOrSay()) {
            Form3 about(Form3Services{texts_, captionTargets_, session_.Data()}, this);
            about.Form_Load();
            services_.presenter.ShowModal(about);
            about.Form_Unload();
        }
        break;
    case MenuLanguage: {
        LanguageForm picker([this](int picked) { LanguagePicked(picked); }, this);
        services_.presenter.ShowModal(picker);
        break;
    }
    case MenuSelfTest: // only highlights
        break;
    }
    const bool connectionShown = !ui_.Frame1[MenuConnection]->isHidden();
    trend_.ShowTrendPanel(connectionShown);
    ui_.CommandHistory->setVisible(connectionShown);
    publish_.ShowPublishPanel(connectionShown);
}

void Form1::HighlightMenuEntry(MenuEntry entry)
{
    chosenMenu_ = entry;
    SetHeightTwips(this, values_.NormalWindowHeight);
    for (int i = 0; i <= MenuSelfTest; ++i) {
        SetMenuTextColor(ui_.Label16[i], MenuTextColor);
        ui_.Shape2[i]->SetBackColor(MenuShapeColor);
        ui_.Shape2[i]->SetBorderColor(MenuShapeColor);
        ui_.Shape2[i]->SetFillColor(MenuShapeColor);
    }
    SetMenuTextColor(ui_.Label16[entry], ChosenTextColor);
    ui_.Shape2[entry]->SetBackColor(layout::ChosenShapeColor);
    ui_.Shape2[entry]->SetBorderColor(layout::ChosenShapeColor);
    ui_.Shape2[entry]->SetFillColor(ChosenFillColor);
    for (QGroupBox *frame : ui_.Frame1)
        frame->setVisible(false);
}

void Form1::ArrangePanelsForMenu(MenuEntry entry)
{
    if (entry != MenuConfigurations) {
        SetHeightTwips(this, values_.NormalWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.NormalViewportHeight);
        ShowMonitorPanel(true);
        return;
    }
    ShowMonitorPanel(false);
    // Only own settings (the position after the presets) need the whole limits grid at once.
    if (configuration_.OwnSettingsChosen()) {
        SetHeightTwips(this, values_.TallWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.TallViewportHeight);
        SetHeightTwips(ui_.Frame1[3], HeightTwips(ui_.Picture4) - HeightTwips(ui_.Frame1[1]));
        SetHeightTwips(ui_.VScroll1, values_.TallViewportHeight);
        SetTopTwips(ui_.Label11, HeightTwips(ui_.Frame1[3]) - layout::NoteSpaceAtBottom);
        SetTopTwips(ui_.Picture5, TopTwips(ui_.Label11) + HeightTwips(ui_.Label11));
    } else {
        SetHeightTwips(this, values_.NormalWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.NormalViewportHeight);
        // A hidden scroll bar must not leave the frames scrolled out of reach.
        ui_.VScroll1->setValue(0);
        ui_.VScroll1->setVisible(false);
    }
}

void Form1::CountryChosen()
{
    if (chosenMenu_ == MenuConfigurations)
        ArrangePanelsForMenu(MenuConfigurations);
}

void Form1::ShowMonitorPanel(bool show)
{
    for (int i = 0; i < 9; ++i)
        ui_.Frame2[i]->setVisible(show);
    if (values_.EfficiencyShown)
        ui_.Frame2[9]->setVisible(show);
    ui_.VScroll1->setVisible(!show);
    ui_.Frame1[3]->setVisible(!show);
    SetTopTwips(ui_.Picture1,
                show ? layout::StatusTopBelowReadings : layout::StatusTopWithoutReadings);
    SetTopTwips(ui_.Picture4,
                show ? layout::ViewportTopBelowReadings : layout::ViewportTopWithoutReadings);
}

void Form1::Form_Resize()
{
    SetWidthTwips(ui_.Picture4, WidthTwips(this) - LeftTwips(ui_.Picture4));
    SetLeftTwips(ui_.VScroll1, WidthTwips(ui_.Picture4) - WidthTwips(ui_.VScroll1));
}

void Form1::VScroll1_Change()
{
    // The scroll value counts pixels.
    const int offset = ui_.VScroll1->value() * TwipsPerPixel;
    SetTopTwips(ui_.Frame1[1], values_.SavedFrameTops[0] - offset);
    SetTopTwips(ui_.Frame1[3], values_.SavedFrameTops[1] - offset);
}

void Form1::VScroll1_Scroll()
{
    VScroll1_Change();
}

} // namespace pv
