#include "configuration_panel.h"

#include "connection_panel.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "settings_files.h"

#include <QEvent>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace pv {
namespace {

constexpr int WriteButton = 2; // Command1(2); Command1(3) reads
constexpr int ReadButton = 3;

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
void SettleFlagOptions(const Form1Controls &ui, const FlagBoxes &settled)
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

ConfigurationPanel::ConfigurationPanel(const PanelContext &context, ConnectionPanel &connection,
                                       std::function<void()> countryChosen)
    : context_(context), connection_(connection), countryChosen_(std::move(countryChosen))
{
    const Form1Controls &ui = context_.ui;
    connect(ui.Combo2, &QComboBox::activated, this, [this](int) { Combo2_Click(); });
    ui.Combo2->installEventFilter(this);
    // Toggles are watched rather than clicks, so that a change made in code raises the handler
    // just as a user's click does; an option button's handler runs when it becomes chosen.
    for (int i = 0; i < 2; ++i) {
        connect(ui.Option1[i], &QAbstractButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
        connect(ui.Option2[i], &QAbstractButton::toggled, this, [this, i](bool on) {
            if (on)
                Option2_Click(i);
        });
    }
    for (int i = 0; i < 8; ++i)
        connect(ui.Check2[i], &QAbstractButton::toggled, this, [this, i] { Check2_Click(i); });
    for (int i : {WriteButton, ReadButton})
        connect(ui.Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    connect(ui.CommandSave, &QPushButton::clicked, this, [this] { CommandSave_Click(); });
    connect(ui.CommandLoad, &QPushButton::clicked, this, [this] { CommandLoad_Click(); });
    connect(ui.CommandCompare, &QPushButton::clicked, this, [this] { CommandCompare_Click(); });
    connect(ui.CommandReport, &QPushButton::clicked, this, [this] { CommandReport_Click(); });
    // Without a service record there is nothing to report from.
    ui.CommandReport->setEnabled(context_.services.recorder != nullptr);
    connect(ui.Combo1, &QComboBox::activated, this, [this](int index) { PortChosen(index); });
    ConnectMarks();

    ServiceSession *session = &context_.session;
    connect(session, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::ConfigurationRead)
            ShowConfiguration();
    });
    connect(session, &ServiceSession::WrittenValuesFiled, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::ConfigurationWrite)
            ShowWrittenConfiguration(context_.session.ConfigurationWriteGroups());
    });
}

bool ConfigurationPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn && watched == context_.ui.Combo2)
        Combo2_GotFocus();
    return QObject::eventFilter(watched, event);
}

bool ConfigurationPanel::LoadCountryRecords(const std::filesystem::path &programFolder)
{
    if (!ReadCountryRecords(programFolder, countryRecords_))
        return false;
    countryRecordCount_ = static_cast<int>(countryRecords_.size());
    return true;
}

bool ConfigurationPanel::OwnSettingsChosen() const
{
    return context_.ui.Combo2->currentIndex() == countryRecordCount_;
}

bool ConfigurationPanel::ControlsFree() const
{
    const ExchangeState state = context_.session.State();
    return state == ExchangeState::Monitor || state == ExchangeState::CheckOperatingVersion;
}

void ConfigurationPanel::Combo2_GotFocus()
{
    const Form1Controls &ui = context_.ui;
    if (!ControlsFree())
        return;
    ui.Check1[2]->setChecked(true);
}

void ConfigurationPanel::Option1_Click(int index)
{
    const Form1Controls &ui = context_.ui;
    if (!ControlsFree())
        return;
    ui.Check1[2]->setChecked(true);
    // Flag bit 7 is the DC input mode: clear Standard, set Parallel.
    ui.Check2[0]->setChecked(index == 1);
}

void ConfigurationPanel::Option2_Click(int index)
{
    const Form1Controls &ui = context_.ui;
    if (!ControlsFree())
        return;
    ui.Check1[2]->setChecked(true);
    // Flag bit 6 is the communication mode: clear jbus, set mbus.
    ui.Check2[1]->setChecked(index == 1);
}

void ConfigurationPanel::Check2_Click(int index)
{
    const Form1Controls &ui = context_.ui;
    if (!ControlsFree())
        return;
    ui.Check1[2]->setChecked(true);
    if (index == 0 || index == 1) {
        auto &options = index == 0 ? ui.Option1 : ui.Option2;
        const bool ticked = ui.Check2[index]->isChecked();
        options[0]->SetValue(!ticked);
        options[1]->SetValue(ticked);
    }
}

void ConfigurationPanel::Combo2_Click()
{
    const Form1Controls &ui = context_.ui;
    // The window's layout follows first: own settings and a preset do not take the same room.
    countryChosen_();
    const CountryChoice choice = ChoiceAtPosition(ui.Combo2->currentIndex(), countryRecordCount_);
    selectedCountryCode_ = choice.code;
    if (choice.record) {
        ParsePresetRecord(countryRecords_[static_cast<std::size_t>(*choice.record)], presetValues_);
        ShowPresetValues();
    }
    if (choice.ownSettings)
        ShowGridLimits(); // the retry time keeps its text
}

void ConfigurationPanel::ShowPresetValues()
{
    const Form1Controls &ui = context_.ui;
    const PresetTexts texts = PresetValueTexts(presetValues_, context_.services.numberFormat);
    for (std::size_t i = 0; i < ui.Text7.size(); ++i)
        ui.Text7[i]->setText(QString::fromStdString(texts.limits[i]));
    ui.Text8->setText(QString::fromStdString(texts.retryTime));
}

void ConfigurationPanel::ShowGridLimits()
{
    const Form1Controls &ui = context_.ui;
    const GridLimitTexts texts
        = GridLimitValueTexts(context_.session.Data(), context_.services.numberFormat);
    for (std::size_t i = 0; i < ui.Text7.size(); ++i)
        ui.Text7[i]->setText(QString::fromStdString(texts[i]));
}

void ConfigurationPanel::Command1_Click(int index)
{
    if (!context_.PortOpenOrSay())
        return;
    if (index == WriteButton) {
        StartWrite();
        return;
    }
    connection_.ShowStatus(Lamp::Good, text::Reading);
    context_.session.ReadConfiguration();
    ClearPanels(context_.ui);
    fromRead_ = false;
    read_.reset();
    unlistedCountryCode_.reset();
    ClearMarks();
}

void ConfigurationPanel::ShowConfiguration()
{
    const Form1Controls &ui = context_.ui;
    const InverterData &data = context_.session.Data();
    const ConfigurationTexts texts = ConfigurationValueTexts(data, context_.services.numberFormat);
    ui.Text5->setText(QString::fromStdString(texts.sleepPower));
    ui.Text6->setText(QString::fromStdString(texts.ratedPower));
    // The read has cleared every box; a clear flag leaves its box as it is.
    for (std::size_t i = 0; i < ui.Check2.size(); ++i) {
        if (texts.flags[i])
            ui.Check2[i]->setChecked(true);
    }
    ui.Option1[ui.Check2[0]->isChecked() ? 1 : 0]->SetValue(true);
    ui.Option2[ui.Check2[1]->isChecked() ? 1 : 0]->SetValue(true);
    // The country read chooses the list position as the user does, which fills the entries
    // from its preset; the values read then overwrite them. A code without a preset whose
    // own-settings position is not in the list shows no country.
    const int position = CountryToListIndex(data.CountryCode(), countryRecordCount_);
    if (position < ui.Combo2->count())
        ui.Combo2->setCurrentIndex(position);
    else
        ui.Combo2->SetText(QString());
    Combo2_Click();
    ui.Text8->setText(QString::fromStdString(texts.retryTime));
    ShowGridLimits();
    // A Compare needs these values; a Save names the inverter they came from, as it was at this
    // read, while the panel still holds them.
    const auto reported = static_cast<std::uint8_t>(data.CountryCode());
    unlistedCountryCode_.reset();
    if (!CountryCodeListed(reported))
        unlistedCountryCode_ = reported;
    fromRead_ = true;
    const auto id = static_cast<std::int64_t>(RoundHalfEven(ShownInverterId(data.InverterId())));
    read_ = ConfigurationRead{
        InverterIdentity{IntegerText(id), data.ModelName(), data.OperatingVersion()}, PanelNow()};
    readPort_ = context_.services.port.CommPort();
    ClearMarks();
    // Said once the read has ended: the exchange is still running while this handler does, and
    // a box opened here would keep it running for as long as the box stays open.
    if (unlistedCountryCode_)
        QTimer::singleShot(0, this,
                           [this, code = *unlistedCountryCode_] { ShowUnlistedCountry(code); });
}

bool ConfigurationPanel::CountryCodeListed(std::uint8_t code) const
{
    const std::vector<std::uint8_t> codes = ListedCountryCodes();
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

void ConfigurationPanel::ShowUnlistedCountry(std::uint8_t code)
{
    context_.services.messages.ShowMessage(
        context_.Text(text::UnlistedCountry).arg(QString::number(code)));
}

bool ConfigurationPanel::CountryReplacementAgreed(const ConfigurationWrite &write)
{
    // The code the unit holds now, as the monitor cycle last read it: the one a write replaces.
    const auto held = static_cast<std::uint8_t>(context_.session.Data().CountryCode());
    if (!ReplacesUnlistedCountry(write, held, ListedCountryCodes()))
        return true;
    return context_.services.messages.Ask(
        context_.Text(text::ReplaceUnlistedCountry)
            .arg(QString::number(held), QString::number(write.countryCode)));
}

void ConfigurationPanel::PortChosen(int portIndex)
{
    if (portIndex + 1 == readPort_)
        return;
    read_.reset();
    unlistedCountryCode_.reset();
}

void ConfigurationPanel::ShowWrittenConfiguration(const WriteGroups &groups)
{
    const Form1Controls &ui = context_.ui;
    // The checks may have replaced an entry (a 50 Hz limit out of its range goes as 47.5 or
    // 50.2): the entries of each group written show what the write mirror filed, which is what
    // the inverter got. The entries of other groups keep what the technician left in them.
    const ConfigurationTexts texts
        = ConfigurationValueTexts(context_.session.Data(), context_.services.numberFormat);
    if (groups[SleepPowerGroup])
        ui.Text5->setText(QString::fromStdString(texts.sleepPower));
    if (groups[RatedPowerGroup])
        ui.Text6->setText(QString::fromStdString(texts.ratedPower));
    if (groups[CountryGroup]) {
        for (std::size_t i = 0; i < ui.Check2.size(); ++i)
            ui.Check2[i]->setChecked(texts.flags[i]);
        ui.Option1[ui.Check2[0]->isChecked() ? 1 : 0]->SetValue(true);
        ui.Option2[ui.Check2[1]->isChecked() ? 1 : 0]->SetValue(true);
        ShowGridLimits();
    }
    if (groups[RetryTimeGroup])
        ui.Text8->setText(QString::fromStdString(texts.retryTime));
}

void ConfigurationPanel::StartWrite()
{
    const Form1Controls &ui = context_.ui;
    const ConfigurationWriteCheck check = CheckConfigurationWrite(
        ConfigurationEntriesOf(ui, context_.session.Data(), selectedCountryCode_,
                               context_.Text(text::CountryCaption)),
        context_.services.numberFormat);
    if (check.sleepPowerFilled)
        ui.Text5->setText(QStringLiteral("0"));
    if (check.settledFlags)
        SettleFlagOptions(ui, *check.settledFlags);
    if (check.refusal) {
        RefuseEntry(*check.refusal);
        return;
    }
    // A No leaves everything as a refused check does: nothing is sent.
    // Only a write that passed every test is ever built into frames.
    if (!CountryReplacementAgreed(*check.write))
        return;
    connection_.ShowStatus(Lamp::Good, text::Writing);
    context_.session.WriteConfiguration(*check.write);
}

void ConfigurationPanel::RefuseEntry(const ConfigurationRefusal &refusal)
{
    const Form1Controls &ui = context_.ui;
    QLineEdit *entry = nullptr;
    QWidget *focus = nullptr;
    const QAbstractButton *captionOf = nullptr;
    QString caption;
    switch (refusal.entry.control) {
    case ConfigurationControl::None:
        break;
    case ConfigurationControl::Text5:
        entry = ui.Text5;
        break;
    case ConfigurationControl::Text6:
        entry = ui.Text6;
        captionOf = ui.Check1[RatedPowerGroup];
        break;
    case ConfigurationControl::Combo2:
        focus = ui.Combo2;
        break;
    case ConfigurationControl::Text7: {
        const auto i = static_cast<std::size_t>(refusal.entry.index);
        entry = ui.Text7.at(i);
        caption = ui.Label8.at(static_cast<std::size_t>(GridLimitLabels.at(i)))->text();
        break;
    }
    case ConfigurationControl::Text8:
        entry = ui.Text8;
        captionOf = ui.Check1[RetryTimeGroup];
        break;
    }
    if (captionOf != nullptr)
        caption = captionOf->text();
    context_.services.messages.ShowMessage(context_.Text(refusal.textNumber)
                                           + (refusal.withCaption ? caption : QString()));
    if (entry != nullptr && refusal.emptyEntry)
        entry->clear();
    if (entry != nullptr)
        focus = entry;
    if (focus != nullptr)
        focus->setFocus();
}

} // namespace pv
