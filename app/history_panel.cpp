#include "history_panel.h"

#include "form1_layout.h"
#include "history_window.h"
#include "record/history_texts.h"
#include "record/service_recorder.h"

#include <QShortcut>

namespace pv {

HistoryPanel::HistoryPanel(const PanelContext &context, QWidget &window)
    : context_(context), window_(window)
{
    ServiceRecorder *recorder = context_.services.recorder;
    QPushButton *button = context_.ui.CommandHistory;
    button->setEnabled(recorder != nullptr);
    connect(button, &QPushButton::clicked, this, [this] { CommandHistory_Click(); });
    // Anywhere in the main window, whichever control has the focus.
    auto *shortcut = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_H), &window_);
    shortcut->setObjectName(QStringLiteral("HistoryShortcut"));
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this] { CommandHistory_Click(); });
    if (recorder == nullptr)
        return;
    // A record committed while the window is open is listed at once; a closed window reads
    // nothing until it is opened.
    connect(recorder, &ServiceRecorder::RecordCommitted, this, [this](quint64, qint64, bool ok) {
        if (ok && history_ != nullptr && history_->isVisible())
            history_->Refresh();
    });
}

HistoryPanel::~HistoryPanel() = default;

void HistoryPanel::CommandHistory_Click()
{
    const ServiceRecorder *recorder = context_.services.recorder;
    if (recorder == nullptr)
        return;
    if (history_ == nullptr) {
        history_ = std::make_unique<HistoryWindow>(
            recorder->DatabaseFile(), [this](int number) { return context_.Text(number); },
            &window_);
    }
    history_->Refresh();
    history_->show();
    history_->raise();
    history_->activateWindow();
}

void HistoryPanel::ApplyCaptions()
{
    context_.ui.CommandHistory->setText(context_.Text(historytext::History));
    if (history_ != nullptr)
        history_->ApplyCaptions();
}

void BuildHistoryButton(QWidget *viewport, Form1Controls &ui)
{
    ui.CommandHistory = MakeControl<QPushButton>(
        viewport, QStringLiteral("CommandHistory"), layout::HistoryButtonLeft,
        layout::RecordButtonTop, layout::HistoryButtonWidth, layout::RecordButtonHeight);
    ui.CommandHistory->setText(QStringLiteral("History"));
}

} // namespace pv
