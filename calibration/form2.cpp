#include "form2.h"

#include "gain_calculation.h"

#include "language/caption_targets.h"
#include "language/language_table.h"
#include "link/text_numbers.h"
#include "platform/message_box.h"
#include "session/service_session.h"

namespace pv {
namespace {

using E = CalibrationEntry;

// Which keys each entry lets through: whole numbers everywhere but the six current readings,
// which carry a decimal.
struct FilterRow
{
    CalibrationEntry array;
    int first, last;
    FilterKind kind;
};
constexpr FilterRow KeyFilters[] = {
    {E::Text1, 0, Text1Count - 1, FilterKind::Digits},
    {E::Text2, 0, 0, FilterKind::Digits},
    {E::Text3, 0, CurrentGainIndex, FilterKind::Digits},
    {E::Text3, FirstCurrentReading, LastCurrentReading, FilterKind::Decimal},
    {E::Text4, 0, Text4Count - 1, FilterKind::Digits},
    {E::Text5, 0, 0, FilterKind::Digits},
    {E::Text6, 0, 0, FilterKind::Digits},
    {E::Text7, 0, 0, FilterKind::Digits},
    {E::Text8, 0, Text8Count - 1, FilterKind::Digits},
};

// Form_Load: a third down the screen and centred across it.
constexpr ScreenPlacement CalibrationPlacement{3.0, 2.4};

constexpr int CurrentReadingDecimals = 1; // "0.0"

template <std::size_t N>
TextBox *At(const std::array<TextBox *, N> &boxes, int index)
{
    return index >= 0 && static_cast<std::size_t>(index) < N
               ? boxes[static_cast<std::size_t>(index)]
               : nullptr;
}

std::string Std(const TextBox *box)
{
    return box->text().toStdString();
}

} // namespace

Form2::Form2(const Form2Services &services, QWidget *parent)
    : SecondaryWindow(parent), services_(services)
{
    BuildForm2Controls(this, ui_);
    ConnectControls();
    connect(&services_.session, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::CalibrationRead)
            OutInterface_Calibrate();
    });
    InstallKeyFilters();
}

Form2::~Form2() = default;

void Form2::ConnectControls()
{
    connect(ui_.Timer1, &QTimer::timeout, this, &Form2::Timer1_Timer);
    connect(ui_.Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(ui_.Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
    connect(ui_.Command4, &QPushButton::clicked, this, &Form2::Command4_Click);
    connect(ui_.Command5, &QPushButton::clicked, this, &Form2::Command5_Click);
    for (int i = 0; i < 2; ++i)
        connect(ui_.Command3[i], &QToolButton::clicked, this, [this, i] { Command3_Click(i); });
}

void Form2::InstallKeyFilters()
{
    std::vector<FilteredControl> keys;
    for (const FilterRow &row : KeyFilters) {
        for (int i = row.first; i <= row.last; ++i)
            keys.push_back({Entry({row.array, i}), row.kind});
    }
    InstallKeyFilter(this, keys);
}

TextBox *Form2::Entry(EntryId entry) const
{
    switch (entry.array) {
    case E::Text1:
        return At(ui_.Text1, entry.index);
    case E::Text2:
        return ui_.Text2;
    case E::Text3:
        return At(ui_.Text3, entry.index);
    case E::Text4:
        return At(ui_.Text4, entry.index);
    case E::Text5:
        return ui_.Text5;
    case E::Text6:
        return ui_.Text6;
    case E::Text7:
        return ui_.Text7;
    case E::Text8:
        return At(ui_.Text8, entry.index);
    }
    return nullptr;
}

CalibrationTexts Form2::EntryTexts() const
{
    CalibrationTexts texts;
    for (int i = 0; i < Text3Count; ++i)
        texts.text3[i] = Std(ui_.Text3[i]);
    for (int i = 0; i < Text4Count; ++i)
        texts.text4[i] = Std(ui_.Text4[i]);
    for (int i = 0; i < Text8Count; ++i)
        texts.text8[i] = Std(ui_.Text8[i]);
    texts.text2 = Std(ui_.Text2);
    texts.text5 = Std(ui_.Text5);
    texts.text6 = Std(ui_.Text6);
    texts.text7 = Std(ui_.Text7);
    return texts;
}

void Form2::ShowMessage(int textNumber)
{
    ShowTextMessage(services_.messages, services_.texts, textNumber);
}

// ---- opening and closing ------------------------------------------------------------------------

void Form2::Form_Load()
{
    PlaceOnScreen(this, CalibrationPlacement);

    for (int i = FirstCurrentReading; i <= LastCurrentReading; ++i) {
        const double value = NumericPrefixValue(Std(ui_.Text3[i]));
        ui_.Text3[i]->setText(QString::fromStdString(
            FixedNumberText(value, CurrentReadingDecimals, services_.numberFormat)));
    }
    services_.captionTargets.SelectCaptionTarget(1);
    ApplyCaptions();
    MarkLoaded();
}

void Form2::Unload()
{
    services_.captionTargets.SelectCaptionTarget(0);
    ui_.Timer1->stop();
    // An exchange abandoned by closing the window ends here; the monitor cycle's first send
    // discards whatever of its reply still arrives.
    services_.session.ResumeMonitoring();
}

// ---- buttons ------------------------------------------------------------------------------------

CalibrationPlan Form2::Plan() const
{
    return {EntryTexts(), services_.numberFormat};
}

void Form2::StartExchange(int intervalMs)
{
    ui_.Timer1->setInterval(intervalMs);
    EnableCalibrationControls(false);
}

void Form2::Command2_Click()
{
    ui_.Timer1->setInterval(CalibrationReadStart.intervalMs);
    services_.session.ReadCalibration(Plan());
    ClearReadSettingData();
    EnableCalibrationControls(false);
}

void Form2::Command1_Click()
{
    if (!CheckCalibrationEntries(static_cast<int>(CheckMode::CalibrationWrite)))
        return;
    if (!FillWriteSettingData())
        return;
    services_.session.WriteCalibration(Plan());
    StartExchange(CalibrationWriteStart.intervalMs);
}

void Form2::Command5_Click()
{
    if (!CheckCalibrationEntries(static_cast<int>(CheckMode::OffsetWrite)))
        return;
    services_.session.WriteCalibrationOffset(Plan());
    StartExchange(OffsetWriteStart.intervalMs);
}

void Form2::Command4_Click()
{
    if (!CheckCalibrationEntries(static_cast<int>(CheckMode::CurrentGains)))
        return;
    const std::vector<std::string> gains = CalculateCurrentGains(EntryTexts());
    for (std::size_t i = 0; i < gains.size(); ++i)
        Entry(CurrentGainTargets[i])->setText(QString::fromStdString(gains[i]));
    if (gains.size() < std::size(CurrentGainTargets))
        ShowMessage(text::EntryRefused);
}

void Form2::Command3_Click(int index)
{
    ui_.Text2->setText(QString::fromStdString(StepAcCurrentOffset(Std(ui_.Text2), index)));
}

bool Form2::CheckCalibrationEntries(int mode)
{
    const auto empty = FirstEmptyEntry(mode, EntryTexts());
    if (!empty)
        return true;
    Entry(*empty)->setFocus();
    ShowMessage(text::CalibrationEntryEmpty);
    return false;
}

bool Form2::FillWriteSettingData()
{
    const auto row = pv::FillWriteSettingData(EntryTexts(), services_.numberFormat);
    if (!row) {
        ShowMessage(text::EntryRefused);
        return false;
    }
    for (int i = 0; i < Text8Count; ++i)
        ui_.Text8[i]->setText(QString::fromStdString((*row)[i]));
    return true;
}

// ---- the exchange -------------------------------------------------------------------------------

void Form2::Timer1_Timer()
{
    CalibrationTick();
}

void Form2::EnableCalibrationControls(bool enabled)
{
    const std::initializer_list<QWidget *> singles{
        ui_.Command1, ui_.Command2, ui_.Command3[0], ui_.Command3[1], ui_.Command4,
        ui_.Command5, ui_.Text2,    ui_.Text5,       ui_.Text6,       ui_.Text7};
    for (QWidget *control : singles)
        control->setEnabled(enabled);
    for (TextBox *box : ui_.Text1)
        box->setEnabled(enabled);
    for (TextBox *box : ui_.Text3)
        box->setEnabled(enabled);
    for (TextBox *box : ui_.Text8)
        box->setEnabled(enabled);
    for (TextBox *box : ui_.Text4)
        box->setEnabled(enabled);
    if (enabled)
        ui_.Timer1->stop();
    else if (!ui_.Timer1->isActive())
        ui_.Timer1->start();
}

void Form2::CalibrationTick()
{
    services_.session.CalibrationTick();
    if (services_.session.State() == ExchangeState::CalibrationWindowOpen)
        EnableCalibrationControls(true);
}

void Form2::OutInterface_Calibrate()
{
    const auto row = LayOutCalibrationReply(services_.session.CalibrationReply());
    if (!row)
        return;
    for (const ReadBackText &cell : *row)
        ui_.Text1[cell.text1Index]->setText(QString::fromStdString(cell.text));
}

void Form2::ClearReadSettingData()
{
    for (int i = 0; i < Text1Count; ++i) {
        if (i != UnusedReadBackIndex)
            ui_.Text1[i]->clear();
    }
}

} // namespace pv
