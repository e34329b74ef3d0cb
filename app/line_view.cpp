#include "line_view.h"

#include "line_texts.h"
#include "link/text_numbers.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/message_box.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

namespace pv {

namespace {

constexpr int WindowWidthPx = 1000;
constexpr int WindowHeightPx = 560;
// Time, direction and bytes columns; the meaning takes the rest.
constexpr int ColumnWidthsPx[3] = {100, 190, 330};
constexpr int RowPaddingPx = 4;
constexpr auto SaveFilter = "*.txt";
constexpr auto HintStyle = "color: #B00000; font-weight: bold;";

} // namespace

LineView::LineView(LineRecorder &recorder, TextSource text, FileDialogs &files,
                   MessageSink &messages, QWidget *parent)
    : QWidget(parent, Qt::Window), recorder_(recorder), text_(std::move(text)), files_(files),
      messages_(messages)
{
    setObjectName(QStringLiteral("LineView"));
    resize(WindowWidthPx, WindowHeightPx);
    model_ = new LineListModel(recorder_, text_, this);
    BuildControls();
    refresh_ = new QTimer(this);
    refresh_->setInterval(RefreshIntervalMs);
    connect(refresh_, &QTimer::timeout, this, &LineView::Refresh);
    connect(pause_, &QPushButton::toggled, this, &LineView::PauseButton_Click);
    connect(clear_, &QPushButton::clicked, this, &LineView::ClearButton_Click);
    connect(save_, &QPushButton::clicked, this, &LineView::SaveButton_Click);
    ApplyCaptions();
}

void LineView::BuildControls()
{
    counters_ = new QLabel(this);
    pause_ = new QPushButton(this);
    pause_->setObjectName(QStringLiteral("PauseButton"));
    pause_->setCheckable(true);
    clear_ = new QPushButton(this);
    clear_->setObjectName(QStringLiteral("ClearButton"));
    save_ = new QPushButton(this);
    save_->setObjectName(QStringLiteral("SaveButton"));
    // The figures change with every reply; unwrapped labels cost no layout when they do.
    roundTrip_ = new QLabel(this);
    atTake_ = new QLabel(this);
    atTake_->hide();
    hints_ = new QLabel(this);
    hints_->setWordWrap(true);
    hints_->setStyleSheet(QLatin1String(HintStyle));
    hints_->hide();

    list_ = new QTableView(this);
    list_->setModel(model_);
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideNone);
    list_->verticalHeader()->hide();
    // Fixed row heights and column widths: the view never measures ten thousand rows.
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + RowPaddingPx);
    for (int column = 0; column < 3; ++column)
        list_->setColumnWidth(column, ColumnWidthsPx[column]);
    list_->horizontalHeader()->setStretchLastSection(true);

    auto *top = new QHBoxLayout;
    top->addWidget(counters_, 1);
    top->addWidget(pause_);
    top->addWidget(clear_);
    top->addWidget(save_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    auto *figures = new QHBoxLayout;
    figures->addWidget(roundTrip_);
    figures->addWidget(atTake_, 1);
    layout->addLayout(figures);
    layout->addWidget(hints_);
    layout->addWidget(list_, 1);
}

void LineView::ApplyCaptions()
{
    setWindowTitle(text_(linetext::Line) + QStringLiteral(" - ") + text_(linetext::ToolName));
    pause_->setText(text_(linetext::Pause));
    clear_->setText(text_(linetext::Clear));
    save_->setText(text_(linetext::Save));
    atTake_->setText(text_(linetext::RoundTripAtTake));
    model_->CaptionsChanged();
    Refresh();
}

void LineView::Refresh()
{
    if (!pause_->isChecked()) {
        const QScrollBar *bar = list_->verticalScrollBar();
        const bool following = bar->value() >= bar->maximum();
        if (model_->Pull() && following)
            list_->scrollToBottom();
    }
    counters_->setText(CountersText(recorder_.Counters(), text_));
    const RoundTripFigures figures = recorder_.RoundTrip();
    roundTrip_->setText(RoundTripText(figures, text_));
    atTake_->setVisible(figures.measuredAtTake);
    const QStringList hints = HintTexts(recorder_.Hints(), text_);
    hints_->setText(hints.join(QLatin1Char('\n')));
    hints_->setVisible(!hints.isEmpty());
}

void LineView::PauseButton_Click(bool paused)
{
    if (pause_->isChecked() != paused)
        pause_->setChecked(paused); // raises this handler again through the toggle
    else if (!paused)
        Refresh();
}

void LineView::ClearButton_Click()
{
    recorder_.Clear();
    model_->Clear();
    Refresh();
}

void LineView::SaveButton_Click()
{
    const auto path = files_.SaveFileName(text_(linetext::Save), QLatin1String(SaveFilter));
    if (!path)
        return;
    // Only a plain file is replaced: a FIFO, device or folder under the name is left alone.
    if (!IsPlainFileOrAbsent(*path)) {
        messages_.ShowMessage(
            text_(text::NotPlainFile).arg(QString::fromStdU16String(path->u16string())));
        return;
    }
    if (!WriteLineFile(*path, model_->Lines()))
        messages_.ShowMessage(text_(linetext::SaveFailed));
}

void LineView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    Refresh();
    refresh_->start();
}

void LineView::hideEvent(QHideEvent *event)
{
    // A closed view costs the tool nothing but the recording itself.
    refresh_->stop();
    QWidget::hideEvent(event);
}

bool WriteLineFile(const std::filesystem::path &path, const QStringList &lines)
{
    QSaveFile file(QString::fromStdU16String(path.u16string()));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    for (const QString &line : lines) {
        const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
        if (file.write(bytes) != bytes.size()) {
            file.cancelWriting();
            break;
        }
    }
    // Nothing replaces the target unless every line was written.
    return file.commit();
}

} // namespace pv
