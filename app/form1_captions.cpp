// The main window's captions in the chosen language, and the language picker's choice.

#include "form1.h"

#include "language/language_choice.h"
#include "link/text_numbers.h"
#include "report/report_texts.h"
#include "settings/country_presets.h"

#include <QSignalBlocker>

namespace pv {
namespace {

constexpr int TitleText = 0;
constexpr int FirstMenuText = 10;         // Label16(0..5)
constexpr int FirstSettingFrameText = 44; // Frame1(0..2)
constexpr int FirstReadingText = 35;      // Frame2(0..8)
constexpr int EfficiencyText = 89;        // Frame2(9)
constexpr int PortCaptionText = text::PortCaption;
constexpr int NoPortText = 48;
constexpr int WriteHintText = 139;
constexpr int WriteGroupTexts[4] = {text::SleepPowerCaption, text::RatedPowerCaption,
                                    text::CountryCaption, text::RetryTimeCaption};
constexpr int WriteText = 16;
constexpr int ReadText = 17;
constexpr int NoteText = 150;

// Check3 completes the hint sentence, so it follows the hint's text at this gap.
constexpr int HintToCheckGapTwips = 40;

// True when a country was chosen and is chosen again: its choice then runs once more.
bool RefillCountryList(const LanguageTable &texts, DropList &list)
{
    // The list is rebuilt in place without reporting the passing changes of position; the
    // choice made again is reported once, by the caller, after the list is whole.
    const QSignalBlocker quiet(&list);
    const int chosen = list.currentIndex();
    list.clear();
    for (int number : CountryListTexts)
        list.addItem(texts.Text(number));
    if (chosen >= 0)
        list.setCurrentIndex(chosen);
    else
        list.SetText(texts.Text(text::CountryCaption));
    return chosen >= 0;
}

} // namespace

void Form1::ApplyCaptions()
{
    if (!captionTargets_.Main())
        return;
    const Form1Controls &ui = ui_;
    const LanguageTable &texts = texts_;
    setWindowTitle(texts.Text(TitleText) + QLatin1Char(' ') + values_.TitleSuffix);

    // Label16(6) (SELFTEST) has no text of its own and keeps its design caption.
    for (int i = 0; i < MenuSelfTest; ++i)
        ui.Label16[i]->setText(texts.Text(FirstMenuText + i));
    for (int i = 0; i < 3; ++i)
        ui.Frame1[i]->setTitle(texts.Text(FirstSettingFrameText + i));
    for (int i = 0; i < 9; ++i)
        ui.Frame2[i]->setTitle(texts.Text(FirstReadingText + i));
    ui.Frame2[9]->setTitle(texts.Text(EfficiencyText));

    ui.Label1->setText(texts.Text(connection_.StatusTextNumber()));

    ui.Label3->setText(texts.Text(PortCaptionText));
    if (ui.Combo1->currentIndex() < 0)
        ui.Combo1->SetText(texts.Text(NoPortText));

    ui.Label10->setText(texts.Text(WriteHintText));
    ui.Label10->resize(ui.Label10->sizeHint().width(), ui.Label10->height());
    SetLeftTwips(ui.Check3, LeftTwips(ui.Label10) + WidthTwips(ui.Label10) + HintToCheckGapTwips);

    for (int i = 0; i < 4; ++i)
        ui.Check1[i]->setText(texts.Text(WriteGroupTexts[i]));
    // Choosing the country again refills the limits grid and the retry time from its preset.
    if (RefillCountryList(texts, *ui.Combo2))
        configuration_.Combo2_Click();

    ui.Frame3->setTitle(texts.Text(text::DcInputCaption));
    for (int i = 0; i < 2; ++i)
        ui.Option1[i]->setText(texts.Text(text::DcInputOptionCaptions[i]));
    ui.Frame4->setTitle(texts.Text(text::CommunicationCaption));
    for (int i = 0; i < 2; ++i)
        ui.Option2[i]->setText(texts.Text(text::CommunicationOptionCaptions[i]));

    for (int i = 0; i < 14; ++i)
        ui.Label8[i]->setText(texts.Text(text::FirstLimitCaption + i));

    ui.Label4->setText(texts.Text(text::IdentifierCaptions[0]));
    ui.Label5->setText(texts.Text(text::IdentifierCaptions[1]));
    ui.Label6->setText(texts.Text(text::IdentifierCaptions[2]));
    ui.Label7->setText(texts.Text(text::IdentifierCaptions[3]));

    // Identifiers panel (0, 1) and configuration panel (2, 3) each have a Write and a Read.
    ui.Command1[0]->setText(texts.Text(WriteText));
    ui.Command1[1]->setText(texts.Text(ReadText));
    ui.Command1[2]->setText(texts.Text(WriteText));
    ui.Command1[3]->setText(texts.Text(ReadText));
    configuration_.ApplyFileCaptions();
    ui.CommandReport->setText(texts.Text(text::ReportButton));

    ui.Label11->setText(texts.Text(NoteText));
    line_.ApplyCaptions();
    trend_.ApplyCaptions();
    history_.ApplyCaptions();
    publish_.ApplyCaptions();
}

void Form1::LanguagePicked(int index)
{
    // Whatever loaded is shown, and the choice is kept all the same: a language that fails to
    // load now is passed over at the next start.
    const bool loaded = texts_.LoadLanguage(services_.languageStore, index + 1);
    (void)loaded;
    ApplyCaptions();
    SaveLanguageChoice(WritableFolder(), index);
}

} // namespace pv
