#include "identifiers_panel.h"

#include "connection_panel.h"
#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "settings/identifiers.h"

#include <utility>

namespace pv {

namespace {

constexpr int WriteButton = 0;
constexpr int ReadButton = 1;

// The text box of an entry and the label beside it; the rated power has neither on this panel.
std::pair<TextBox *, QLabel *> EntryControls(const Form1Controls &ui, IdentifierEntry entry)
{
    switch (entry) {
    case IdentifierEntry::Id:
        return {ui.Text1, ui.Label5};
    case IdentifierEntry::Energy:
        return {ui.Text2, ui.Label4};
    case IdentifierEntry::ModelName:
        return {ui.Text3, ui.Label6};
    case IdentifierEntry::CompanyName:
        return {ui.Text4, ui.Label7};
    case IdentifierEntry::RatedPower:
        break;
    }
    return {nullptr, nullptr};
}

} // namespace

IdentifiersPanel::IdentifiersPanel(const PanelContext &context, ConnectionPanel &connection)
    : context_(context), connection_(connection)
{
    for (int i : {WriteButton, ReadButton})
        connect(context_.ui.Command1[i], &QPushButton::clicked, this,
                [this, i] { Command1_Click(i); });
    ServiceSession *session = &context_.session;
    connect(session, &ServiceSession::ReadDone, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::IdentifyRead)
            ShowIdentifierValues();
    });
    // A name longer than its registers, or with characters outside the code page, went out
    // shortened or replaced: the entries show what the write mirror filed, as a read would.
    connect(session, &ServiceSession::WrittenValuesFiled, this, [this](ExchangeState exchange) {
        if (exchange == ExchangeState::IdentifyWrite)
            ShowIdentifierValues();
    });
}

void IdentifiersPanel::ShowIdentifierValues()
{
    const Form1Controls &ui = context_.ui;
    const IdentifierTexts texts
        = IdentifierValueTexts(context_.session.Data(), context_.services.numberFormat);
    ui.Text1->setText(QString::fromStdString(texts.id));
    ui.Text2->setText(QString::fromStdString(texts.energy));
    ui.Text3->setText(QString::fromStdString(texts.modelName));
    ui.Text4->setText(QString::fromStdString(texts.companyName));
}

void IdentifiersPanel::Command1_Click(int index)
{
    if (!context_.PortOpenOrSay())
        return;
    if (index == WriteButton) {
        StartWrite();
        return;
    }
    connection_.ShowStatus(Lamp::Good, text::Reading);
    context_.session.ReadIdentifiers();
    ClearPanels(context_.ui);
}

void IdentifiersPanel::StartWrite()
{
    const Form1Controls &ui = context_.ui;
    const IdentifierEntries entries{ui.Text1->text().toStdString(), ui.Text2->text().toStdString(),
                                    ui.Text3->text().toStdString(), ui.Text4->text().toStdString()};
    const IdentifyWriteCheck check = CheckIdentifyWrite(entries, context_.session.Data().PowerKw(),
                                                        context_.services.numberFormat);
    if (check.energyFilledWithZero)
        ui.Text2->setText(QStringLiteral("0"));
    if (check.refusal) {
        const EntryRefusal<IdentifierEntry> &refusal = *check.refusal;
        const auto [box, label] = EntryControls(ui, refusal.entry);
        QString message = context_.Text(refusal.textNumber);
        if (refusal.withCaption && label != nullptr)
            message += label->text();
        context_.services.messages.ShowMessage(message);
        if (box != nullptr) {
            if (refusal.emptyEntry)
                box->clear();
            box->setFocus();
        }
        return;
    }
    // The requests are built from what passed the checks, whatever the entries hold by then.
    connection_.ShowStatus(Lamp::Good, text::Writing);
    context_.session.WriteIdentifiers(*check.values);
}

} // namespace pv
