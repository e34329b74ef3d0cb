// The identifiers panel: ID, energy counter, model name and company name.

#include "form1.h"

#include "monitor/monitor_texts.h"

namespace pv {

void Form1::ShowIdentifierValues()
{
    const IdentifierTexts texts = IdentifierValueTexts(store_.Data(), services_.numberFormat);
    ui_.Text1->setText(QString::fromStdString(texts.id));
    ui_.Text2->setText(QString::fromStdString(texts.energy));
    ui_.Text3->setText(QString::fromStdString(texts.modelName));
    ui_.Text4->setText(QString::fromStdString(texts.companyName));
}

// Read and Write start no exchange yet, so nothing asks for a frame; an empty request would not
// be sent.
void Form1::IdentifiersCommand(int) {}
void Form1::BuildIdentifyRequest(int, Channel &) {}

} // namespace pv
