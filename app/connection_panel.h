#pragma once
// The CONNECTION panel's port list and the status strip: the lamp, the status caption, and the
// lock of every input while an exchange runs.

#include "panel_context.h"

#include "session/service_session.h"

#include <QObject>

#include <optional>

namespace pv {

class ConnectionPanel : public QObject
{
public:
    explicit ConnectionPanel(const PanelContext &context);

    // The port list's choice: opens that port for the session.
    void Combo1_Click();
    void FillPortList();
    // Paints the lamp into the status picture and sets the status caption to text N.
    void ShowStatus(Lamp lamp, int textNumber);
    // The status caption's text number now.
    int StatusTextNumber() const { return statusTextNumber_; }
    void SetInputControlsEnabled(bool enabled);

private:
    void ShowLinkStatus(LinkStatus status);

    PanelContext context_;
    // The lamp painted into the status strip last; none before the first.
    std::optional<Lamp> shownLamp_;
    int statusTextNumber_;
};

} // namespace pv
