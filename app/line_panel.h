#pragma once
// The line view: the Line button of the CONNECTION panel and F12 open it; it lists what the
// session's line recorder has recorded.

#include "panel_context.h"

#include <QObject>

#include <memory>

namespace pv {

class LineView;

class LinePanel : public QObject
{
public:
    // window: the main window, parent of the line view and scope of its shortcut.
    LinePanel(const PanelContext &context, QWidget &window);
    ~LinePanel() override;

    // The Line button and F12: opens the line view, or brings it to the front.
    void CommandLine_Click();
    void ApplyCaptions();
    // The line view once it has been opened, else null.
    LineView *LineWindow() const { return lineView_.get(); }

private:
    PanelContext context_;
    QWidget &window_;
    // A child window of the main window, closed before the texts it shows go.
    std::unique_ptr<LineView> lineView_;
};

} // namespace pv
