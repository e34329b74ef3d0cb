#include "form1.h"

#include "record/service_recorder.h"

#include "calibration/form2.h"
#include "link/text_numbers.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"

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

// Every control at its design place; the step timers are the session's, which the window knows
// by their design names.
Form1Controls BuiltControls(QWidget *form, ServiceSession &session)
{
    Form1Controls ui;
    BuildForm1Controls(form, ui);
    ui.Timer1 = session.Timer(ExchangeTimer::Monitor);
    ui.Timer2 = session.Timer(ExchangeTimer::Identify);
    ui.Timer3 = session.Timer(ExchangeTimer::Configuration);
    return ui;
}

} // namespace

Form1::Form1(const Form1Services &services, QWidget *parent)
    : QWidget(parent), services_(services), ui_(BuiltControls(this, session_))
{
    ConnectSession();
    for (QLabel *label : ui_.Label16)
        label->installEventFilter(this);
    connect(ui_.VScroll1, &QAbstractSlider::valueChanged, this, &Form1::VScroll1_Change);
    connect(ui_.VScroll1, &QAbstractSlider::sliderMoved, this, &Form1::VScroll1_Scroll);
    InstallKeyFilters();
}

Form1::~Form1() = default;

void Form1::ConnectSession()
{
    ServiceSession *s = &session_;
    const auto show
        = [this](int number) { return [this, number] { context_.ShowMessage(number); }; };
    const auto shown
        = [&show](ExchangeOutcome outcome) { return show(OutcomeTextNumber(outcome)); };
    connect(s, &ServiceSession::ReadFailed, this, shown(ExchangeOutcome::ReadFailed));
    if (ServiceRecorder *recorder = services_.recorder) {
        // A write the unit acknowledged says "done" once its record is in the database, and
        // says it is not recorded when that cannot be.
        connect(recorder, &ServiceRecorder::WriteRecorded, this, [this](ExchangeState, bool ok) {
            context_.ShowMessage(ok ? OutcomeTextNumber(ExchangeOutcome::WriteDone)
                                    : text::WriteNotRecorded);
        });
        connect(recorder, &ServiceRecorder::RecordTrouble, this, [this](StoreTrouble trouble) {
            if (trouble == StoreTrouble::QueueFull) {
                context_.ShowMessage(text::ServiceRecordBehind);
                return;
            }
            const QString file
                = QString::fromStdU16String(services_.recorder->DatabaseFile().u16string());
            services_.messages.ShowMessage(LanguageText(text::ServiceRecordFailed).arg(file));
        });
    } else {
        connect(s, &ServiceSession::WriteDone, this, shown(ExchangeOutcome::WriteDone));
    }
    connect(s, &ServiceSession::WriteFailed, this, shown(ExchangeOutcome::WriteFailed));
    connect(s, &ServiceSession::RequestRefused, this, show(text::EntryRefused));
    connect(s, &ServiceSession::FirmwareRefused, this, shown(ExchangeOutcome::FirmwareRefused));
    connect(s, &ServiceSession::CalibrationDue, this, &Form1::OpenCalibrationWindow);
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
    }
    return QWidget::eventFilter(watched, event);
}

void Form1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form1::Command1_Click(int index)
{
    if (index == 0 || index == 1)
        identifiers_.Command1_Click(index);
    else
        configuration_.Command1_Click(index);
}

QString Form1::LanguageText(int number) const
{
    return texts_.Text(number);
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
