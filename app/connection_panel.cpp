#include "connection_panel.h"

#include "form1_layout.h"
#include "link/text_numbers.h"

namespace pv {
namespace {

struct StatusLook
{
    Lamp lamp;
    int textNumber;
};

StatusLook LookOf(LinkStatus status)
{
    switch (status) {
    case LinkStatus::NoLink:
        return {Lamp::Bad, text::NoLink};
    case LinkStatus::PortOpened:
        return {Lamp::Good, text::PortOpened};
    case LinkStatus::Good:
        return {Lamp::Good, text::LinkGood};
    case LinkStatus::NoReply:
        return {Lamp::Bad, text::NoReply};
    case LinkStatus::VersionUnreadable:
        return {Lamp::Bad, text::VersionUnreadable};
    case LinkStatus::VersionRefused:
        return {Lamp::Bad, text::VersionRefused};
    }
    return {Lamp::Bad, text::NoLink};
}

} // namespace

ConnectionPanel::ConnectionPanel(const PanelContext &context)
    : context_(context), statusTextNumber_(text::NoLink)
{
    // Activated is a user's choice, also of the entry already shown.
    connect(context_.ui.Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });
    ServiceSession *session = &context_.session;
    connect(session, &ServiceSession::IntentsAllowed, this,
            &ConnectionPanel::SetInputControlsEnabled);
    connect(session, &ServiceSession::LinkStatusShown, this, &ConnectionPanel::ShowLinkStatus);
    connect(session, &ServiceSession::PortFailed, this,
            [this] { context_.ShowMessage(text::PortOpenFailed); });
}

void ConnectionPanel::Combo1_Click()
{
    const int index = context_.ui.Combo1->currentIndex();
    if (index >= 0)
        context_.session.ChoosePort(index);
}

void ConnectionPanel::FillPortList()
{
    // Adding to an empty list may choose its first entry; the list starts with none chosen.
    DropList *list = context_.ui.Combo1;
    const QString shown = list->Text();
    list->clear();
    for (int number = FirstPortNumber; number <= LastPortNumber; ++number)
        list->addItem(QStringLiteral("COM%1").arg(number));
    list->SetText(shown);
}

void ConnectionPanel::ShowLinkStatus(LinkStatus status)
{
    const StatusLook look = LookOf(status);
    ShowStatus(look.lamp, look.textNumber);
}

void ConnectionPanel::ShowStatus(Lamp lamp, int textNumber)
{
    const Form1Controls &ui = context_.ui;
    // Every monitor reply shows the status again; painting the lamp that is already shown would
    // only redraw the same pixels.
    if (lamp != shownLamp_) {
        const PictureBox *source = lamp == Lamp::Good ? ui.Picture2 : ui.Picture3;
        ui.Picture1->PaintPicture(source->Picture(), 0, 0, layout::LampTwips, layout::LampTwips);
        shownLamp_ = lamp;
    }
    ui.Label1->setText(context_.Text(textNumber));
    statusTextNumber_ = textNumber;
}

void ConnectionPanel::SetInputControlsEnabled(bool enabled)
{
    const Form1Controls &ui = context_.ui;
    // The port list is not among them: a port can be chosen at any time.
    for (QLabel *label : ui.Label16)
        label->setEnabled(enabled);
    for (QPushButton *button : ui.Command1)
        button->setEnabled(enabled);
    for (QPushButton *button : {ui.CommandSave, ui.CommandLoad, ui.CommandCompare})
        button->setEnabled(enabled);
    for (TextBox *text : ui.Text7)
        text->setEnabled(enabled);
    for (TextBox *text : {ui.Text1, ui.Text2, ui.Text3, ui.Text4, ui.Text5, ui.Text6, ui.Text8})
        text->setEnabled(enabled);
    for (QCheckBox *check : ui.Check2)
        check->setEnabled(enabled);
    ui.Combo2->setEnabled(enabled);
    ui.Frame3->setEnabled(enabled);
    ui.Frame4->setEnabled(enabled);
    for (OptionButton *option : {ui.Option1[0], ui.Option1[1], ui.Option2[0], ui.Option2[1]})
        option->setEnabled(enabled);
    for (QCheckBox *check : ui.Check1)
        check->setEnabled(enabled);
}

} // namespace pv
