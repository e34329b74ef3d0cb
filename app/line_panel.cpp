#include "line_panel.h"

#include "line_texts.h"
#include "line_view.h"
#include "session/service_session.h"

#include <QShortcut>

namespace pv {

LinePanel::LinePanel(const PanelContext &context, QWidget &window)
    : context_(context), window_(window)
{
    connect(context_.ui.CommandLine, &QPushButton::clicked, this, [this] { CommandLine_Click(); });
    // Anywhere in the main window, whichever control has the focus.
    auto *f12 = new QShortcut(QKeySequence(Qt::Key_F12), &window_);
    f12->setObjectName(QStringLiteral("LineShortcut"));
    f12->setContext(Qt::WindowShortcut);
    connect(f12, &QShortcut::activated, this, [this] { CommandLine_Click(); });
}

LinePanel::~LinePanel() = default;

void LinePanel::CommandLine_Click()
{
    if (lineView_ == nullptr) {
        lineView_ = std::make_unique<LineView>(
            context_.session.Line(), [this](int number) { return context_.Text(number); },
            context_.services.files, context_.services.messages, &window_);
    }
    lineView_->show();
    lineView_->raise();
    lineView_->activateWindow();
}

void LinePanel::ApplyCaptions()
{
    context_.ui.CommandLine->setText(context_.Text(linetext::Line));
    if (lineView_ != nullptr)
        lineView_->ApplyCaptions();
}

} // namespace pv
