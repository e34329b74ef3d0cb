// The configuration panel: write groups, country list, flag boxes, DC input and communication
// options, and the limits grid below it.

#include "form1.h"

namespace pv {

bool Form1::ConfigurationControlsFree() const
{
    const ExchangeState state = machine_.State();
    return state == ExchangeState::Monitor || state == ExchangeState::CheckOperatingVersion;
}

void Form1::Combo2_GotFocus()
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
}

void Form1::Option1_Click(int index)
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
    // Flag bit 7 is the DC input mode: clear Standard, set Parallel.
    ui_.Check2[0]->setChecked(index == 1);
}

void Form1::Option2_Click(int index)
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
    // Flag bit 6 is the communication mode: clear jbus, set mbus.
    ui_.Check2[1]->setChecked(index == 1);
}

void Form1::Check2_Click(int index)
{
    if (!ConfigurationControlsFree())
        return;
    ui_.Check1[2]->setChecked(true);
    if (index == 0 || index == 1) {
        auto &options = index == 0 ? ui_.Option1 : ui_.Option2;
        const bool ticked = ui_.Check2[index]->isChecked();
        options[0]->SetValue(!ticked);
        options[1]->SetValue(ticked);
    }
}

bool Form1::WriteGroupTicked(int index) const
{
    return ui_.Check1[index]->isChecked();
}

// Read and Write start no exchange yet: a read changes no entry and nothing asks for a frame.
void Form1::ConfigurationCommand(int) {}
void Form1::ShowConfiguration() {}
void Form1::BuildConfigurationRequest(int, Channel &) {}

} // namespace pv
