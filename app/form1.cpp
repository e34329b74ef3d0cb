#include "form1.h"

#include "about/self_test.h"
#include "app/settings_files.h"
#include "app/startup.h"
#include "language/language_choice.h"
#include "language/language_form.h"
#include "monitor/monitor_texts.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>

namespace pv {
namespace {

// Menu colours, 0x00BBGGRR.
constexpr std::uint32_t MenuTextColor = 0xFFFFFF;
constexpr std::uint32_t MenuShapeColor = 0x400000;
constexpr std::uint32_t ChosenTextColor = 0x004000;
constexpr std::uint32_t ChosenShapeColor = 0x0000FF;
constexpr std::uint32_t ChosenFillColor = 0xC0C0FF;

// Where the status strip and the viewport sit with and without the readings above them.
constexpr int StatusTopBelowReadings = 3120;
constexpr int ViewportTopBelowReadings = 3840;
constexpr int StatusTopWithoutReadings = 840;
constexpr int ViewportTopWithoutReadings = 1580;

// The limits grid keeps this much of its height for the note and the picture below it.
constexpr int NoteSpaceAtBottom = 2200;

// The lamp is painted into the status strip at its origin, this many twips square.
constexpr int LampTwips = 400;

constexpr int PortListLength = LastPortNumber - FirstPortNumber + 1;

constexpr int StartupFailedText = 152;
constexpr int SelfTestRunningText = 145;
constexpr int PortNotOpenText = 131;
constexpr int NotConnectedText = 121;

QString FromUtf8(const std::string &text)
{
    return QString::fromStdString(text);
}

int ButtonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton:
        return LeftButton;
    case Qt::RightButton:
        return RightButton;
    case Qt::MiddleButton:
        return MiddleButton;
    default:
        return 0;
    }
}

int ShiftNumber(Qt::KeyboardModifiers modifiers)
{
    int shift = 0;
    if (modifiers & Qt::ShiftModifier)
        shift |= ShiftMask;
    if (modifiers & Qt::ControlModifier)
        shift |= CtrlMask;
    if (modifiers & Qt::AltModifier)
        shift |= AltMask;
    return shift;
}

void SetTextColor(QWidget *widget, std::uint32_t bgr)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, ColorFromBgr(bgr));
    widget->setPalette(palette);
}

} // namespace

Form1::Form1(const Form1Services &services, QWidget *parent)
    : QWidget(parent), services_(services), machine_(services.port, store_, *this)
{
    BuildForm1Controls(this, ui_);
    ConnectControls();
}

Form1::~Form1() = default;

void Form1::ConnectControls()
{
    connect(ui_.Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(ui_.Timer2, &QTimer::timeout, this, &Form1::Timer2_Timer);
    connect(ui_.Timer3, &QTimer::timeout, this, &Form1::Timer3_Timer);

    // Activated is a user's choice, also of the entry already shown.
    connect(ui_.Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    ui_.Combo2->installEventFilter(this);
    for (QLabel *label : ui_.Label16)
        label->installEventFilter(this);

    // Toggles are watched rather than clicks, so that a change made in code raises the handler
    // just as a user's click does; an option button's handler runs when it becomes chosen.
    for (int i = 0; i < 2; ++i) {
        connect(ui_.Option1[i], &QAbstractButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
        connect(ui_.Option2[i], &QAbstractButton::toggled, this, [this, i](bool on) {
            if (on)
                Option2_Click(i);
        });
    }
    for (int i = 0; i < 8; ++i)
        connect(ui_.Check2[i], &QAbstractButton::toggled, this, [this, i] { Check2_Click(i); });

    connect(ui_.VScroll1, &QAbstractSlider::valueChanged, this, &Form1::VScroll1_Change);
    connect(ui_.VScroll1, &QAbstractSlider::sliderMoved, this, &Form1::VScroll1_Scroll);
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (int i = 0; i < 7; ++i) {
            if (watched == ui_.Label16[i] && ui_.Label16[i]->isEnabled()) {
                auto *mouse = static_cast<QMouseEvent *>(event);
                const QPoint at = mouse->position().toPoint();
                Label16_MouseDown(i, ButtonNumber(mouse->button()), ShiftNumber(mouse->modifiers()),
                                  Twips(at.x()), Twips(at.y()));
                return true;
            }
        }
    } else if (event->type() == QEvent::FocusIn && watched == ui_.Combo2) {
        Combo2_GotFocus();
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

// ---- start-up --------------------------------------------------------------------------------

bool Form1::Form_Load()
{
    if (!InitializeMainWindow()) {
        // Before the language table is loaded its text 152 does not exist yet.
        services_.messages.ShowMessage(earlyFailure_.isEmpty() ? LanguageText(StartupFailedText)
                                                               : earlyFailure_);
        return false;
    }
    if (IsProcessRunning(services_.processes, SelfTestProgram)) {
        ShowMessage(SelfTestRunningText);
        return false;
    }
    return true;
}

bool Form1::InitializeMainWindow()
{
    earlyFailure_ = QStringLiteral("The program could not start. The program ends.");
    try {
        // Centred across, in the upper part of the screen.
        if (const QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->geometry();
            move(area.x() + area.width() / 2 - width() / 2,
                 area.y() + area.height() / 4 - height() / 4);
        }

        values_.TallWindowHeight = 11200;
        values_.NormalWindowHeight = 7560;
        values_.NormalViewportHeight = 3735;
        values_.TallViewportHeight = 9000;
        SetHeightTwips(this, values_.NormalWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.NormalViewportHeight);

        values_.SavedFrameTops = {TopTwips(ui_.Frame1[1]), TopTwips(ui_.Frame1[3])};

        InitSwitches switches;
        const InitResult init = ReadInitSettings(services_.programFolder, ui_, switches);
        values_.EfficiencyShown = switches.efficiencyShown;
        if (init != InitResult::Applied) {
            earlyFailure_ = init == InitResult::Missing
                                ? QStringLiteral("The settings file InitSet.txt beside the program "
                                                 "is missing. The program ends.")
                                : QStringLiteral("The settings file InitSet.txt beside the program "
                                                 "is incomplete: it needs six fields separated "
                                                 "by commas. The program ends.");
            return false;
        }
        values_.TitleSuffix = switches.titleSuffix;

        const int language = ReadLanguageSetting(services_.programFolder);
        if (!texts_.LoadLanguage(services_.languageStore, language)) {
            earlyFailure_ = QStringLiteral("The language database DataBase/Language.db beside the "
                                           "program cannot be read. The program ends.");
            return false;
        }
        earlyFailure_.clear();

        captionTargets_.SelectCaptionTarget(0);
        ApplyCaptions();

        if (!ReadCountryRecords(services_.programFolder, values_.CountryRecords))
            return false;
        values_.CountryRecordCount = static_cast<int>(values_.CountryRecords.size());

        machine_.ShowLinkStatus(Lamp::Bad, NotConnectedText);

        ShowMonitorPanel(true);
        HighlightMenuEntry(MenuConnection);
        ui_.Frame1[0]->setVisible(true);

        machine_.SetState(ExchangeState::CheckOperatingVersion);
        FillPortList();
        // The readings read 0, 0.0 and 0% until the first reply arrives.
        ShowMonitorValues();
        return true;
    } catch (...) {
        return false;
    }
}

void Form1::FillPortList()
{
    // Adding to an empty list may choose its first entry; the list starts with none chosen.
    const QString shown = ui_.Combo1->Text();
    ui_.Combo1->clear();
    for (int number = FirstPortNumber; number <= LastPortNumber; ++number)
        ui_.Combo1->addItem(QStringLiteral("COM%1").arg(number));
    ui_.Combo1->SetText(shown);
    static_assert(PortListLength == 16);
}

// ---- timers and the port list ----------------------------------------------------------------

void Form1::Timer1_Timer()
{
    machine_.MonitorExchangeStep();
    ShowMonitorValues();
}

void Form1::Timer2_Timer()
{
    machine_.IdentifyExchangeStep();
}

void Form1::Timer3_Timer()
{
    machine_.ConfigurationExchangeStep();
}

void Form1::Combo1_Click()
{
    const int index = ui_.Combo1->currentIndex();
    if (index >= 0)
        machine_.SelectPort(index);
}

// ---- menu strip ------------------------------------------------------------------------------

void Form1::Label16_MouseDown(int index, int button, int /*shift*/, int /*x*/, int /*y*/)
{
    if (button != LeftButton || index < 0 || index > 6)
        return;
    HighlightMenuEntry(index);
    ArrangePanelsForMenu(index);
    switch (index) {
    case MenuConnection:
    case MenuConfigurations:
    case MenuIdentifiers:
        ui_.Frame1[index]->setVisible(ui_.Frame1[index]->isHidden());
        break;
    case MenuCalibration:
        if (!services_.port.IsOpen())
            ShowMessage(PortNotOpenText);
        else
            machine_.SetState(ExchangeState::Idle); // the next Timer1 tick opens the window
        break;
    case MenuAbout:
        if (!services_.port.IsOpen())
            ShowMessage(PortNotOpenText);
        break;
    case MenuLanguage: {
        LanguageForm picker([this](int picked) { LanguagePicked(picked); }, this);
        services_.presenter.ShowModal(picker);
        break;
    }
    default: // SELFTEST only highlights
        break;
    }
}

void Form1::HighlightMenuEntry(int index)
{
    SetHeightTwips(this, values_.NormalWindowHeight);
    for (int i = 0; i < 7; ++i) {
        SetTextColor(ui_.Label16[i], MenuTextColor);
        ui_.Shape2[i]->SetBackColor(MenuShapeColor);
        ui_.Shape2[i]->SetBorderColor(MenuShapeColor);
        ui_.Shape2[i]->SetFillColor(MenuShapeColor);
    }
    SetTextColor(ui_.Label16[index], ChosenTextColor);
    ui_.Shape2[index]->SetBackColor(ChosenShapeColor);
    ui_.Shape2[index]->SetBorderColor(ChosenShapeColor);
    ui_.Shape2[index]->SetFillColor(ChosenFillColor);
    for (QGroupBox *frame : ui_.Frame1)
        frame->setVisible(false);
}

void Form1::ArrangePanelsForMenu(int index)
{
    if (index != MenuConfigurations) {
        SetHeightTwips(this, values_.NormalWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.NormalViewportHeight);
        ShowMonitorPanel(true);
        return;
    }
    ShowMonitorPanel(false);
    // Only own settings (the position after the presets) need the whole limits grid at once.
    if (ui_.Combo2->currentIndex() == values_.CountryRecordCount) {
        SetHeightTwips(this, values_.TallWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.TallViewportHeight);
        SetHeightTwips(ui_.Frame1[3], HeightTwips(ui_.Picture4) - HeightTwips(ui_.Frame1[1]));
        SetHeightTwips(ui_.VScroll1, values_.TallViewportHeight);
        SetTopTwips(ui_.Label11, HeightTwips(ui_.Frame1[3]) - NoteSpaceAtBottom);
        SetTopTwips(ui_.Picture5, TopTwips(ui_.Label11) + HeightTwips(ui_.Label11));
    } else {
        SetHeightTwips(this, values_.NormalWindowHeight);
        SetHeightTwips(ui_.Picture4, values_.NormalViewportHeight);
        ui_.VScroll1->setVisible(false);
    }
}

void Form1::ShowMonitorPanel(bool show)
{
    for (int i = 0; i < 9; ++i)
        ui_.Frame2[i]->setVisible(show);
    if (values_.EfficiencyShown)
        ui_.Frame2[9]->setVisible(show);
    ui_.VScroll1->setVisible(!show);
    ui_.Frame1[3]->setVisible(!show);
    SetTopTwips(ui_.Picture1, show ? StatusTopBelowReadings : StatusTopWithoutReadings);
    SetTopTwips(ui_.Picture4, show ? ViewportTopBelowReadings : ViewportTopWithoutReadings);
}

// ---- viewport --------------------------------------------------------------------------------

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

// ---- configuration controls kept in step -----------------------------------------------------

bool Form1::ConfigurationControlsFree() const
{
    const ExchangeState state = machine_.State();
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

// ---- texts -----------------------------------------------------------------------------------

QString Form1::LanguageText(int number) const
{
    return texts_.Text(number);
}

void Form1::ApplyCaptions()
{
    if (captionTargets_.Main())
        ApplyMainCaptions(texts_, *this, ui_, values_.TitleSuffix, machine_.StatusTextNumber());
}

void Form1::LanguagePicked(int index)
{
    texts_.LoadLanguage(services_.languageStore, index + 1); // the captions follow whatever loaded
    ApplyCaptions();
    SaveLanguageChoice(services_.programFolder, index);
}

void Form1::ShowMonitorValues()
{
    const MonitorTexts texts = MonitorValueTexts(store_.Data(), services_.numberFormat);
    for (int i = 0; i < MonitorLabelCount; ++i)
        ui_.Label2[i]->setText(FromUtf8(texts[i]));
}

// ---- ExchangeHost ----------------------------------------------------------------------------

void Form1::SetInputControlsEnabled(bool enabled)
{
    // The port list is not among them: a port can be chosen at any time.
    for (QLabel *label : ui_.Label16)
        label->setEnabled(enabled);
    for (QPushButton *button : ui_.Command1)
        button->setEnabled(enabled);
    for (QLineEdit *text : ui_.Text7)
        text->setEnabled(enabled);
    for (QLineEdit *text :
         {ui_.Text1, ui_.Text2, ui_.Text3, ui_.Text4, ui_.Text5, ui_.Text6, ui_.Text8})
        text->setEnabled(enabled);
    for (QCheckBox *check : ui_.Check2)
        check->setEnabled(enabled);
    ui_.Combo2->setEnabled(enabled);
    ui_.Frame3->setEnabled(enabled);
    ui_.Frame4->setEnabled(enabled);
    for (OptionButton *option : {ui_.Option1[0], ui_.Option1[1], ui_.Option2[0], ui_.Option2[1]})
        option->setEnabled(enabled);
    for (QCheckBox *check : ui_.Check1)
        check->setEnabled(enabled);
}

QTimer *Form1::TimerOf(MainTimer timer) const
{
    switch (timer) {
    case MainTimer::Timer1:
        return ui_.Timer1;
    case MainTimer::Timer2:
        return ui_.Timer2;
    case MainTimer::Timer3:
        return ui_.Timer3;
    }
    return ui_.Timer1;
}

void Form1::SetTimerEnabled(MainTimer timer, bool enabled)
{
    QTimer *t = TimerOf(timer);
    // Enabling a running timer leaves its count as it is.
    if (enabled && !t->isActive())
        t->start();
    else if (!enabled)
        t->stop();
}

void Form1::SetTimerInterval(MainTimer timer, int milliseconds)
{
    TimerOf(timer)->setInterval(milliseconds);
}

void Form1::PaintLinkStatus(Lamp lamp, int textNumber)
{
    const PictureBox *source = lamp == Lamp::Good ? ui_.Picture2 : ui_.Picture3;
    ui_.Picture1->PaintPicture(source->Picture(), 0, 0, LampTwips, LampTwips);
    ui_.Label1->setText(LanguageText(textNumber));
}

void Form1::ShowMessage(int textNumber)
{
    services_.messages.ShowMessage(LanguageText(textNumber));
}

void Form1::ShowIdentifierValues()
{
    const IdentifierTexts texts = IdentifierValueTexts(store_.Data(), services_.numberFormat);
    ui_.Text1->setText(FromUtf8(texts.id));
    ui_.Text2->setText(FromUtf8(texts.energy));
    ui_.Text3->setText(FromUtf8(texts.modelName));
    ui_.Text4->setText(FromUtf8(texts.companyName));
}

// The configuration panel's own routines fill it; until they are wired the read changes no
// entry.
void Form1::ShowConfiguration() {}

// No calibration window exists yet to take the values.
void Form1::ShowCalibrationValues() {}

void Form1::OpenCalibrationWindow()
{
    // Without a calibration window there is nothing to wait for: monitoring resumes at once, as
    // it does when that window closes.
    machine_.SetState(ExchangeState::Monitor);
    machine_.SetMonitorStep(0);
    SetTimerEnabled(MainTimer::Timer1, true);
}

bool Form1::WriteGroupTicked(int index) const
{
    return ui_.Check1[index]->isChecked();
}

// The identify and configuration panels build their frames; until they are wired no exchange
// of theirs is started, so nothing asks for these.
void Form1::BuildIdentifyRequest(int, Channel &) {}
void Form1::BuildConfigurationRequest(int, Channel &) {}

} // namespace pv
