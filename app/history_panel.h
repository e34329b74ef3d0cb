#pragma once
// The service history: the History button of the CONNECTION panel and Ctrl+H open it; it lists
// the records of the service recorder's database. Without a recorder the button stays disabled.

#include "panel_context.h"

#include <QObject>

#include <memory>

namespace pv {

class HistoryWindow;

class HistoryPanel : public QObject
{
public:
    // window: the main window, parent of the history window and scope of its shortcut.
    HistoryPanel(const PanelContext &context, QWidget &window);
    ~HistoryPanel() override;

    // The History button and Ctrl+H: opens the history window, or brings it to the front, with
    // the records read anew.
    void CommandHistory_Click();
    void ApplyCaptions();
    // The history window once it has been opened, else null.
    HistoryWindow *Window() const { return history_.get(); }

private:
    PanelContext context_;
    QWidget &window_;
    // A child window of the main window, closed before the texts it shows go.
    std::unique_ptr<HistoryWindow> history_;
};

} // namespace pv
