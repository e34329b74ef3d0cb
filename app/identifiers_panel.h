#pragma once
// The IDENTIFIERS panel: ID, energy counter, model name and company name, read from the
// inverter and written to it.

#include "panel_context.h"

#include <QObject>

namespace pv {

class ConnectionPanel;

class IdentifiersPanel : public QObject
{
public:
    IdentifiersPanel(const PanelContext &context, ConnectionPanel &connection);

    // Command1(0) writes the entries, Command1(1) reads them; both need the port first.
    void Command1_Click(int index);

private:
    void ShowIdentifierValues();
    void StartWrite();

    PanelContext context_;
    ConnectionPanel &connection_;
};

} // namespace pv
