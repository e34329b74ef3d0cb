// The readings, their trend and their recording (trend_panel.h).

#include "trend_panel.h"
#include "platform/local_clock.h"

#include "form1_layout.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "monitor/recording_csv.h"
#include "platform/file_dialog.h"
#include "trend_chart.h"

#include <QDateTime>
#include <QLocale>
#include <QTimer>

#include <memory>

namespace pv {
namespace {

// Free space of the viewport beside and below Frame1(0) (60, 60, 4500 x 1050). Frame1(0)'s
// right end inside it is kept for its own buttons.
constexpr int TrendLeft = 4680;
constexpr int TrendTop = 60;
constexpr int TrendMargin = 60; // to the viewport's right and bottom edges
constexpr int RecordFileTop = 1710;
constexpr int RecordFileWidth = 4500;
constexpr int RecordFileHeight = 510; // two lines of a long path

// Texts of the trend and the recording.
constexpr std::array<int, TrendLineCount> TrendLineTexts{260, 261, 262, 263};
constexpr int PowerAxisText = 264;
constexpr int EfficiencyAxisText = 265;
constexpr int TimeAxisText = 266;
constexpr int RecordText = 267;
constexpr int StopText = 268;
constexpr int RecordDialogText = 269;
constexpr int CsvFilesText = 270;
constexpr int RecordingToText = 271;
constexpr int OldValueSinceText = 274; // followed by the time of the last reading
constexpr int OldValueNeverText = 275;

constexpr const char *CsvPattern = " (*.csv)";

} // namespace

TrendPanel::TrendPanel(const PanelContext &context) : context_(context)
{
    context_.ui.TrendChart->SetDecimalSeparator(context_.services.numberFormat.decimalSeparator);
    connect(context_.ui.CommandRecord, &QPushButton::clicked, this,
            &TrendPanel::CommandRecord_Click);
    ServiceSession *session = &context_.session;
    connect(session, &ServiceSession::MonitorTicked, this, [this] {
        ShowMonitorValues();
        readingsAge_.TickEnded();
        ShowReadingsAge();
    });
    connect(session, &ServiceSession::ReplyFiled, this, &TrendPanel::ReplyFiled);
    // The trend starts a new segment, and the next reading is the first after a gap.
    connect(session, &ServiceSession::ReadingsStartOver, this, [this] { readingsAge_.Restart(); });
    ShowTrend();
}

void TrendPanel::ShowMonitorValues()
{
    const MonitorTexts texts
        = MonitorValueTexts(context_.session.Data(), context_.services.numberFormat);
    for (int i = 0; i < MonitorLabelCount; ++i)
        context_.ui.Label2[i]->setText(QString::fromStdString(texts[i]));
}

std::int64_t SystemClockMs()
{
    return QDateTime::currentMSecsSinceEpoch();
}

void BuildTrendControls(QWidget *viewport, Form1Controls &ui)
{
    ui.TrendChart = new TrendView(viewport);
    ui.TrendChart->setObjectName(QStringLiteral("TrendChart"));
    PlaceTwips(ui.TrendChart, TrendLeft, TrendTop, WidthTwips(viewport) - TrendLeft - TrendMargin,
               HeightTwips(viewport) - TrendTop - TrendMargin);

    ui.CommandRecord = new QPushButton(QStringLiteral("Record..."), viewport);
    ui.CommandRecord->setObjectName(QStringLiteral("CommandRecord"));
    PlaceTwips(ui.CommandRecord, layout::RecordButtonLeft, layout::RecordButtonTop,
               layout::RecordButtonWidth, layout::RecordButtonHeight);

    ui.LabelRecord = new QLabel(viewport);
    ui.LabelRecord->setObjectName(QStringLiteral("LabelRecord"));
    ui.LabelRecord->setWordWrap(true);
    ui.LabelRecord->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(ui.LabelRecord, layout::RecordButtonLeft, RecordFileTop, RecordFileWidth,
               RecordFileHeight);
}

void TrendPanel::ShowTrendPanel(bool show)
{
    context_.ui.TrendChart->setVisible(show);
    context_.ui.CommandRecord->setVisible(show);
    context_.ui.LabelRecord->setVisible(show);
    if (show)
        ShowTrend();
}

void TrendPanel::ShowTrend()
{
    // The chart ends at its newest point: it moves on with the readings, not with the clock.
    const std::int64_t end
        = trend_.Size() > 0 ? trend_[trend_.Size() - 1].timeMs : context_.services.wallClock();
    context_.ui.TrendChart->ShowPoints(trend_, end);
}

void TrendPanel::ApplyCaptions()
{
    TrendCaptions captions;
    for (std::size_t i = 0; i < captions.lines.size(); ++i)
        captions.lines[i] = context_.Text(TrendLineTexts[i]);
    captions.powerAxis = context_.Text(PowerAxisText);
    captions.efficiencyAxis = context_.Text(EfficiencyAxisText);
    captions.timeAxis = context_.Text(TimeAxisText);
    context_.ui.TrendChart->SetCaptions(captions);
    context_.ui.CommandRecord->setText(context_.Text(record_.IsRunning() ? StopText : RecordText));
    if (record_.IsRunning())
        context_.ui.LabelRecord->setText(context_.Text(RecordingToText)
                                         + context_.ui.LabelRecord->toolTip());
}

void TrendPanel::ReplyFiled(const RequestInfo &request)
{
    // The other blocks carry names and settings; only the readings make a point or a row.
    if (!IsReadingsReply(request))
        return;
    const std::int64_t now = context_.services.wallClock();
    const bool gap = readingsAge_.Accepted(now);
    const MonitorReadings readings = ReadingsOf(context_.session.Data());
    trend_.Add(MakeTrendPoint(now, readings, gap));
    // Drawn once the tick has returned, like the line view: laying out an axis anew can take a
    // millisecond, which is no part of an exchange step.
    if (!context_.ui.TrendChart->isHidden() && !trendRedrawPosted_) {
        trendRedrawPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                trendRedrawPosted_ = false;
                if (!context_.ui.TrendChart->isHidden())
                    ShowTrend();
            },
            Qt::QueuedConnection);
    }
    if (!record_.IsRunning())
        return;
    // The first reading after a loss says so; during the version check the link is not yet
    // known to serve this inverter.
    const LinkState link
        = RecordedLinkState(context_.session.State() == ExchangeState::CheckOperatingVersion, gap);
    // The row is only queued: writing and syncing it is the writer's, off this thread. A medium
    // that has stopped taking rows fills the queue, and the recording ends rather than the tick
    // waiting for it; a failure of the file is reported by the writer (CommandRecord_Click).
    if (record_.Take(CsvRowLine(LocalTimeAt(now), readings, link))
        == RecordWriter::Taking::QueueFull)
        StopRecording(text::RecordFellBehind);
}

void TrendPanel::CommandRecord_Click()
{
    if (record_.IsRunning()) {
        StopRecording(0);
        return;
    }
    const auto path = context_.services.files.SaveFileName(
        context_.Text(RecordDialogText), context_.Text(CsvFilesText) + QLatin1String(CsvPattern));
    if (!path)
        return;
    const QString shownPath = QString::fromStdU16String(path->u16string());
    auto file = std::make_unique<RecordFile>();
    switch (file->Create(*path)) {
    case FileOpening::Opened:
        break;
    case FileOpening::NotPlainFile:
        context_.services.messages.ShowMessage(context_.Text(text::NotPlainFile).arg(shownPath));
        return;
    case FileOpening::Failed:
        context_.ShowMessage(text::RecordCreateFailed);
        return;
    }
    // The writer reports a failure on its own thread; the recording stops on this one, unless
    // the technician has stopped it (or started another) in the meantime.
    const int number = ++recordingNumber_;
    record_.Start(std::move(file), [this, number] {
        QMetaObject::invokeMethod(
            this,
            [this, number] {
                if (number == recordingNumber_ && record_.IsRunning())
                    StopRecording(text::RecordWriteFailed);
            },
            Qt::QueuedConnection);
    });
    (void)record_.Take(CsvHeaderLine()); // the first line of an empty queue
    context_.ui.LabelRecord->setToolTip(shownPath);
    context_.ui.LabelRecord->setText(context_.Text(RecordingToText) + shownPath);
    context_.ui.CommandRecord->setText(context_.Text(StopText));
}

void TrendPanel::StopRecording(int messageNumber)
{
    // The rows already queued are still written; the window does not wait for them.
    record_.Stop();
    context_.ui.CommandRecord->setText(context_.Text(RecordText));
    context_.ui.LabelRecord->clear();
    context_.ui.LabelRecord->setToolTip(QString());
    // A full queue is found inside a Timer1 tick. Its message is shown once that tick has
    // returned, so that the monitor cycle goes on polling while the box waits for OK.
    if (messageNumber != 0)
        QTimer::singleShot(0, this, [this, messageNumber] { context_.ShowMessage(messageNumber); });
}

void TrendPanel::ShowReadingsAge()
{
    // Old readings keep their texts, greyed, with the time of the last accepted reply.
    const bool old = readingsAge_.Stale();
    QString tip;
    if (old) {
        const auto last = readingsAge_.LastAcceptedMs();
        tip = last ? context_.Text(OldValueSinceText)
                         + QLocale::system().toString(QDateTime::fromMSecsSinceEpoch(*last).time(),
                                                      QLocale::ShortFormat)
                   : context_.Text(OldValueNeverText);
    }
    if (old == readingsShownOld_ && context_.ui.Label2[0]->toolTip() == tip)
        return;
    readingsShownOld_ = old;
    for (QLabel *label : context_.ui.Label2) {
        QPalette palette; // an empty palette: the label takes its frame's again
        if (old) {
            palette = label->palette();
            const QColor grey = palette.color(QPalette::Disabled, QPalette::WindowText);
            palette.setColor(QPalette::Active, QPalette::WindowText, grey);
            palette.setColor(QPalette::Inactive, QPalette::WindowText, grey);
        }
        label->setPalette(palette);
        label->setToolTip(tip);
    }
}

} // namespace pv
