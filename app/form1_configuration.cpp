// The configuration panel: write groups, country list, flag boxes, DC input and communication
// options, and the limits grid below it.

#include "form1.h"

#include "form1_layout.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "platform/message_box.h"

#include <QTimer>

#include <algorithm>

namespace pv {
namespace {

constexpr int ConfigurationWriteButton = 2; // Command1(2); Command1(3) reads

ConfigurationEntries ConfigurationEntriesOf(const Form1Controls &ui, const InverterData &data,
                                            std::optional<std::uint8_t> countryCode,
                                            const QString &noCountryText)
{
    ConfigurationEntries entries;
    for (std::size_t i = 0; i < ui.Check1.size(); ++i)
        entries.groups[i] = ui.Check1[i]->isChecked();
    entries.sleepPower = ui.Text5->text().toStdString();
    entries.ratedPower = ui.Text6->text().toStdString();
    entries.retryTime = ui.Text8->text().toStdString();
    entries.countryText = ui.Combo2->Text().toStdString();
    entries.noCountryText = noCountryText.toStdString();
    entries.countryCode = countryCode;
    for (std::size_t i = 0; i < ui.Check2.size(); ++i) {
        entries.flags[i] = ui.Check2[i]->isChecked();
        entries.optionFlags[i] = data.OptionFlags(static_cast<int>(i));
    }
    entries.dcInputChosen = ui.Option1[0]->Value() || ui.Option1[1]->Value();
    entries.communicationChosen = ui.Option2[0]->Value() || ui.Option2[1]->Value();
    for (std::size_t i = 0; i < ui.Text7.size(); ++i)
        entries.limits[i] = ui.Text7[i]->text().toStdString();
    entries.modelName = data.ModelName();
    entries.companyName = data.CompanyName();
    return entries;
}

// The flag boxes tick what the inverter reported (their handlers bring the options along), and
// a DC input or communication mode still unchosen follows flag box 0 or 1.
void SettleFlagOptions(Form1Controls &ui, const FlagBoxes &settled)
{
    for (std::size_t i = 0; i < ui.Check2.size(); ++i) {
        if (settled[i])
            ui.Check2[i]->setChecked(true);
    }
    if (!ui.Option1[0]->Value() && !ui.Option1[1]->Value())
        ui.Option1[ui.Check2[0]->isChecked() ? 1 : 0]->SetValue(true);
    if (!ui.Option2[0]->Value() && !ui.Option2[1]->Value())
        ui.Option2[ui.Check2[1]->isChecked() ? 1 : 0]->SetValue(true);
}

} // namespace

bool Form1::ConfigurationControlsFree() const
{
    const ExchangeState state = session_.State();
    return state == ExchangeState::Monitor || state == ExchangeState::CheckOperatingVersion;
}

void Form1::Combo2_GotFocus()
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
}

void Form1::Option1_Click(int index)
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
    // Flag bit 7 is the DC input mode: clear Standard, set Parallel.
    ui_.Check2[0]->setChecked(index == 1);
}

void Form1::Option2_Click(int index)
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
    // Flag bit 6 is the communication mode: clear jbus, set mbus.
    ui_.Check2[1]->setChecked(index == 1);
}

void Form1::Check2_Click(int index)
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
    if (index == 0 || index == 1) {
        auto &options = index == 0 ? ui_.Option1 : ui_.Option2;
        const bool ticked = ui_.Check2[index]->isChecked();
        options[0]->SetValue(!ticked);
        options[1]->SetValue(ticked);
    }
}

void Form1::Combo2_Click()
{
    // On the CONFIGURATIONS panel own settings need the tall layout, a preset the normal one.
    if (ui_.Shape2[MenuConfigurations]->BackColor() == layout::ChosenShapeColor)
        ArrangePanelsForMenu(MenuConfigurations);
    const CountryChoice choice
        = ChoiceAtPosition(ui_.Combo2->currentIndex(), values_.CountryRecordCount);
    selectedCountryCode_ = choice.code;
    if (choice.record) {
        ParsePresetRecord(values_.CountryRecords[static_cast<std::size_t>(*choice.record)],
                          presetValues_);
        ShowPresetValues();
    }
    if (choice.ownSettings)
        ShowGridLimits(); // the retry time keeps its text
}

void Form1::ShowPresetValues()
{
    const PresetTexts texts = PresetValueTexts(presetValues_, services_.numberFormat);
    for (std::size_t i = 0; i < ui_.Text7.size(); ++i)
        ui_.Text7[i]->setText(QString::fromStdString(texts.limits[i]));
    ui_.Text8->setText(QString::fromStdString(texts.retryTime));
}

void Form1::ShowGridLimits()
{
    const GridLimitTexts texts = GridLimitValueTexts(session_.Data(), services_.numberFormat);
    for (std::size_t i = 0; i < ui_.Text7.size(); ++i)
        ui_.Text7[i]->setText(QString::fromStdString(texts[i]));
}

void Form1::ConfigurationCommand(int index)
{
    if (index == ConfigurationWriteButton) {
        StartConfigurationWrite();
        return;
    }
    ShowStatus(Lamp::Good, text::Reading);
    session_.ReadConfiguration();
    ClearPanels();
    configurationFromRead_ = false;
    configurationRead_.reset();
    unlistedCountryCode_.reset();
    ClearConfigurationMarks();
}

void Form1::ShowConfiguration()
{
    const InverterData &data = session_.Data();
    const ConfigurationTexts texts = ConfigurationValueTexts(data, services_.numberFormat);
    ui_.Text5->setText(QString::fromStdString(texts.sleepPower));
    ui_.Text6->setText(QString::fromStdString(texts.ratedPower));
    // The read has cleared every box; a clear flag leaves its box as it is.
    for (std::size_t i = 0; i < ui_.Check2.size(); ++i) {
        if (texts.flags[i])
            ui_.Check2[i]->setChecked(true);
    }
    ui_.Option1[ui_.Check2[0]->isChecked() ? 1 : 0]->SetValue(true);
    ui_.Option2[ui_.Check2[1]->isChecked() ? 1 : 0]->SetValue(true);
    // The country read chooses the list position as the user does, which fills the entries
    // from its preset; the values read then overwrite them. A code without a preset whose
    // own-settings position is not in the list shows no country.
    const int position = CountryToListIndex(data.CountryCode(), values_.CountryRecordCount);
    if (position < ui_.Combo2->count())
        ui_.Combo2->setCurrentIndex(position);
    else
        ui_.Combo2->SetText(QString());
    Combo2_Click();
    ui_.Text8->setText(QString::fromStdString(texts.retryTime));
    ShowGridLimits();
    // A Compare needs these values; a Save names the inverter they came from, as it was at this
    // read, while the panel still holds them.
    const auto reported = static_cast<std::uint8_t>(data.CountryCode());
    unlistedCountryCode_.reset();
    if (!CountryCodeListed(reported))
        unlistedCountryCode_ = reported;
    configurationFromRead_ = true;
    const auto id = static_cast<std::int64_t>(RoundHalfEven(ShownInverterId(data.InverterId())));
    configurationRead_ = ConfigurationRead{
        InverterIdentity{IntegerText(id), data.ModelName(), data.OperatingVersion()},
        ConfigurationPanelNow()};
    configurationReadPort_ = services_.port.CommPort();
    ClearConfigurationMarks();
    // Said once the read has ended: the exchange is still running while this handler does, and
    // a box opened here would keep it running for as long as the box stays open.
    if (unlistedCountryCode_)
        QTimer::singleShot(0, this,
                           [this, code = *unlistedCountryCode_] { ShowUnlistedCountry(code); });
}

bool Form1::CountryCodeListed(std::uint8_t code) const
{
    const std::vector<std::uint8_t> codes = ListedCountryCodes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

void Form1::ShowUnlistedCountry(std::uint8_t code)
{
    services_.messages.ShowMessage(LanguageText(text::UnlistedCountry).arg(QString::number(code)));
}

bool Form1::CountryReplacementAgreed(const ConfigurationWrite &write)
{
    // The code the unit holds now, as the monitor cycle last read it: the one a write replaces.
    const auto held = static_cast<std::uint8_t>(session_.Data().CountryCode());
    if (!write.groups[CountryGroup] || write.countryCode == held || CountryCodeListed(held))
        return true;
    return services_.messages.Ask(
        LanguageText(text::ReplaceUnlistedCountry)
            .arg(QString::number(held), QString::number(write.countryCode)));
}

void Form1::ConfigurationPortChosen(int portIndex)
{
    if (portIndex + 1 == configurationReadPort_)
        return;
    configurationRead_.reset();
    unlistedCountryCode_.reset();
}

void Form1::ShowWrittenConfiguration(const WriteGroups &groups)
{
    // The checks may have replaced an entry (a 50 Hz limit out of its range goes as 47.5 or
    // 50.2): the entries of each group written show what the write mirror filed, which is what
    // the inverter got. The entries of other groups keep what the technician left in them.
    const ConfigurationTexts texts
        = ConfigurationValueTexts(session_.Data(), services_.numberFormat);
    if (groups[SleepPowerGroup])
        ui_.Text5->setText(QString::fromStdString(texts.sleepPower));
    if (groups[RatedPowerGroup])
        ui_.Text6->setText(QString::fromStdString(texts.ratedPower));
    if (groups[CountryGroup]) {
        for (std::size_t i = 0; i < ui_.Check2.size(); ++i)
            ui_.Check2[i]->setChecked(texts.flags[i]);
        ui_.Option1[ui_.Check2[0]->isChecked() ? 1 : 0]->SetValue(true);
        ui_.Option2[ui_.Check2[1]->isChecked() ? 1 : 0]->SetValue(true);
        ShowGridLimits();
    }
    if (groups[RetryTimeGroup])
        ui_.Text8->setText(QString::fromStdString(texts.retryTime));
}

void Form1::StartConfigurationWrite()
{
    const ConfigurationWriteCheck check
        = CheckConfigurationWrite(ConfigurationEntriesOf(ui_, session_.Data(), selectedCountryCode_,
                                                         LanguageText(text::CountryCaption)),
                                  services_.numberFormat);
    if (check.sleepPowerFilled)
        ui_.Text5->setText(QStringLiteral("0"));
    if (check.settledFlags)
        SettleFlagOptions(ui_, *check.settledFlags);
    if (check.refusal) {
        RefuseConfigurationEntry(*check.refusal);
        return;
    }
    // A No leaves everything as a refused check does: nothing is sent.
    // Only a write that passed every test is ever built into frames.
    if (!CountryReplacementAgreed(*check.write))
        return;
    ShowStatus(Lamp::Good, text::Writing);
    session_.WriteConfiguration(*check.write);
}

void Form1::RefuseConfigurationEntry(const ConfigurationRefusal &refusal)
{
    QLineEdit *entry = nullptr;
    QWidget *focus = nullptr;
    const QAbstractButton *captionOf = nullptr;
    QString caption;
    switch (refusal.entry.control) {
    case ConfigurationControl::None:
        break;
    case ConfigurationControl::Text5:
        entry = ui_.Text5;
        break;
    case ConfigurationControl::Text6:
        entry = ui_.Text6;
        captionOf = ui_.Check1[RatedPowerGroup];
        break;
    case ConfigurationControl::Combo2:
        focus = ui_.Combo2;
        break;
    case ConfigurationControl::Text7: {
        const auto i = static_cast<std::size_t>(refusal.entry.index);
        entry = ui_.Text7.at(i);
        caption = ui_.Label8.at(static_cast<std::size_t>(GridLimitLabels.at(i)))->text();
        break;
    }
    case ConfigurationControl::Text8:
        entry = ui_.Text8;
        captionOf = ui_.Check1[RetryTimeGroup];
        break;
    }
    if (captionOf != nullptr)
        caption = captionOf->text();
    services_.messages.ShowMessage(LanguageText(refusal.textNumber)
                                   + (refusal.withCaption ? caption : QString()));
    if (entry != nullptr && refusal.emptyEntry)
        entry->clear();
    if (entry != nullptr)
        focus = entry;
    if (focus != nullptr)
        focus->setFocus();
}

} // namespace pv
