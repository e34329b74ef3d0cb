#include "form1.h"

#include "calibration/form2.h"
#include "form1_layout.h"
#include "line_view.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "trend_chart.h"

#include <QMouseEvent>

namespace pv {
namespace {

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

} // namespace

Form1::Form1(const Form1Services &services, QWidget *parent)
    : QWidget(parent), services_(services), statusTextNumber_(text::NoLink)
{
    BuildForm1Controls(this, ui_);
    // The step timers are the session's; the window knows them by their design names.
    ui_.Timer1 = session_.Timer(ExchangeTimer::Monitor);
    ui_.Timer2 = session_.Timer(ExchangeTimer::Identify);
    ui_.Timer3 = session_.Timer(ExchangeTimer::Configuration);
    ConnectSession();
    ConnectControls();
    ConnectLine();
    InstallKeyFilters();
    ui_.TrendChart->SetDecimalSeparator(services_.numberFormat.decimalSeparator);
    ShowTrend();
}

Form1::~Form1() = default;

void Form1::ConnectControls()
{
    // Activated is a user's choice, also of the entry already shown.
    connect(ui_.Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    connect(ui_.Combo2, &QComboBox::activated, this, [this](int) { Combo2_Click(); });
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

    for (int i = 0; i < static_cast<int>(ui_.Command1.size()); ++i)
        connect(ui_.Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });

    connect(ui_.VScroll1, &QAbstractSlider::valueChanged, this, &Form1::VScroll1_Change);
    connect(ui_.VScroll1, &QAbstractSlider::sliderMoved, this, &Form1::VScroll1_Scroll);
    ConnectConfigurationFiles();
    connect(ui_.CommandRecord, &QPushButton::clicked, this, &Form1::CommandRecord_Click);
}

void Form1::InstallKeyFilters()
{
    // The lists are chosen from, never typed into; the entries take the characters of their
    // kind of number. The model and company names take any text.
    std::vector<FilteredControl> keys{
        {ui_.Combo1, FilterKind::None},  {ui_.Combo2, FilterKind::None},
        {ui_.Text1, FilterKind::Digits}, {ui_.Text2, FilterKind::Digits},
        {ui_.Text5, FilterKind::Digits}, {ui_.Text8, FilterKind::Digits},
        {ui_.Text6, FilterKind::Decimal}};
    // Voltages and disconnect times are whole numbers; the four frequencies carry a decimal.
    for (int i = 0; i < static_cast<int>(ui_.Text7.size()); ++i) {
        const bool frequency = i >= reg::FirstFrequencyLimit && i <= reg::LastFrequencyLimit;
        keys.push_back({ui_.Text7[i], frequency ? FilterKind::Decimal : FilterKind::Digits});
    }
    InstallKeyFilter(this, keys);
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

// ---- timers and the port list ----------------------------------------------------------------

// The session's timers run these ticks themselves; a test ticks them by hand here.
void Form1::Timer1_Timer()
{
    session_.MonitorTick();
}

void Form1::Timer2_Timer()
{
    session_.IdentifyTick();
}

void Form1::Timer3_Timer()
{
    session_.ConfigurationTick();
}

void Form1::Combo1_Click()
{
    const int index = ui_.Combo1->currentIndex();
    if (index >= 0)
        session_.ChoosePort(index);
}

void Form1::Command1_Click(int index)
{
    // Every button of both panels needs the port first.
    if (!services_.port.IsOpen()) {
        ShowMessage(text::PortNotOpen);
        return;
    }
    if (index == 0 || index == 1)
        IdentifiersCommand(index);
    else
        ConfigurationCommand(index);
}

void Form1::ClearPanels()
{
    if (!ui_.Frame1[MenuConfigurations]->isHidden()) {
        for (TextBox *text : {ui_.Text6, ui_.Text5, ui_.Text8})
            text->clear();
        for (TextBox *text : ui_.Text7)
            text->clear();
        for (QCheckBox *flag : ui_.Check2)
            flag->setChecked(false);
        for (OptionButton *option :
             {ui_.Option1[0], ui_.Option1[1], ui_.Option2[0], ui_.Option2[1]})
            option->SetValue(false);
        ui_.Combo2->SetText(QString());
    }
    if (!ui_.Frame1[MenuIdentifiers]->isHidden()) {
        for (TextBox *text : {ui_.Text1, ui_.Text2, ui_.Text3, ui_.Text4})
            text->clear();
    }
}

void Form1::ShowMonitorValues()
{
    const MonitorTexts texts = MonitorValueTexts(session_.Data(), services_.numberFormat);
    for (int i = 0; i < MonitorLabelCount; ++i)
        ui_.Label2[i]->setText(QString::fromStdString(texts[i]));
}

QString Form1::LanguageText(int number) const
{
    return texts_.Text(number);
}

// ---- what the session's outcomes show ---------------------------------------------------------

void Form1::SetInputControlsEnabled(bool enabled)
{
    // The port list is not among them: a port can be chosen at any time.
    for (QLabel *label : ui_.Label16)
        label->setEnabled(enabled);
    for (QPushButton *button : ui_.Command1)
        button->setEnabled(enabled);
    for (QPushButton *button : {ui_.CommandSave, ui_.CommandLoad, ui_.CommandCompare})
        button->setEnabled(enabled);
    for (TextBox *text : ui_.Text7)
        text->setEnabled(enabled);
    for (TextBox *text :
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

void Form1::PaintLinkStatus(Lamp lamp, int textNumber)
{
    // Every monitor reply shows the status again; painting the lamp that is already shown would
    // only redraw the same pixels.
    if (lamp != shownLamp_) {
        const PictureBox *source = lamp == Lamp::Good ? ui_.Picture2 : ui_.Picture3;
        ui_.Picture1->PaintPicture(source->Picture(), 0, 0, layout::LampTwips, layout::LampTwips);
        shownLamp_ = lamp;
    }
    ui_.Label1->setText(LanguageText(textNumber));
}

void Form1::ShowMessage(int textNumber)
{
    ShowTextMessage(services_.messages, texts_, textNumber);
}

void Form1::OpenCalibrationWindow()
{
    Form2 calibration(Form2Services{services_.messages, texts_, captionTargets_, session_,
                                    services_.numberFormat},
                      this);
    calibration.Form_Load();
    services_.presenter.ShowModal(calibration);
    // However the window went, monitoring resumes once it is gone (the unload runs only once).
    calibration.Form_Unload();
}

} // namespace pv
