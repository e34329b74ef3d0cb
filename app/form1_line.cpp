// The line view: the Line button of the CONNECTION panel and F12 open it; it lists what the
// session's line recorder has recorded.

#include "form1.h"

#include "line_texts.h"
#include "line_view.h"

#include <QShortcut>

namespace pv {

void Form1::ConnectLine()
{
    connect(ui_.CommandLine, &QPushButton::clicked, this, [this] { CommandLine_Click(); });
    // Anywhere in the main window, whichever control has the focus.
    auto *f12 = new QShortcut(QKeySequence(Qt::Key_F12), this);
    f12->setObjectName(QStringLiteral("LineShortcut"));
    f12->setContext(Qt::WindowShortcut);
    connect(f12, &QShortcut::activated, this, [this] { CommandLine_Click(); });
}

void Form1::CommandLine_Click()
{
    if (lineView_ == nullptr) {
        lineView_ = std::make_unique<LineView>(
            session_.Line(), [this](int number) { return LanguageText(number); }, services_.files,
            services_.messages, this);
    }
    lineView_->show();
    lineView_->raise();
    lineView_->activateWindow();
}

void Form1::ApplyLineCaptions()
{
    ui_.CommandLine->setText(LanguageText(linetext::Line));
    if (lineView_ != nullptr)
        lineView_->ApplyCaptions();
}

} // namespace pv
