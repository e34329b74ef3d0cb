// The identifiers panel: ID, energy counter, model name and company name.

#include "form1.h"

#include "link/text_numbers.h"
#include "monitor/monitor_texts.h"
#include "platform/message_box.h"

#include <utility>

namespace pv {

namespace {

constexpr int WriteButton = 0;

// The text box of an entry and the label beside it; the rated power has neither on this panel.
std::pair<TextBox *, QLabel *> EntryControls(Form1Controls &ui, IdentifierEntry entry)
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

void Form1::ShowIdentifierValues()
{
    const IdentifierTexts texts = IdentifierValueTexts(session_.Data(), services_.numberFormat);
    ui_.Text1->setText(QString::fromStdString(texts.id));
    ui_.Text2->setText(QString::fromStdString(texts.energy));
    ui_.Text3->setText(QString::fromStdString(texts.modelName));
    ui_.Text4->setText(QString::fromStdString(texts.companyName));
}

void Form1::ShowWrittenIdentifiers()
{
    // A name longer than its registers, or with characters outside the code page, went out
    // shortened or replaced: the entries show what the write mirror filed, as a read would.
    ShowIdentifierValues();
}

void Form1::IdentifiersCommand(int index)
{
    if (index != WriteButton) {
        ShowStatus(Lamp::Good, text::Reading);
        session_.ReadIdentifiers();
        ClearPanels();
        return;
    }

    const IdentifierEntries entries{
        ui_.Text1->text().toStdString(), ui_.Text2->text().toStdString(),
        ui_.Text3->text().toStdString(), ui_.Text4->text().toStdString()};
    const IdentifyWriteCheck check
        = CheckIdentifyWrite(entries, session_.Data().PowerKw(), services_.numberFormat);
    if (check.energyFilledWithZero)
        ui_.Text2->setText(QStringLiteral("0"));
    if (check.refusal) {
        const EntryRefusal<IdentifierEntry> &refusal = *check.refusal;
        const auto [box, label] = EntryControls(ui_, refusal.entry);
        QString message = LanguageText(refusal.textNumber);
        if (refusal.withCaption && label != nullptr)
            message += label->text();
        services_.messages.ShowMessage(message);
        if (box != nullptr) {
            if (refusal.emptyEntry)
                box->clear();
            box->setFocus();
        }
        return;
    }
    // The requests are built from what passed the checks, whatever the entries hold by then.
    ShowStatus(Lamp::Good, text::Writing);
    session_.WriteIdentifiers(*check.values);
}

} // namespace pv
