#include "panel_context.h"

namespace pv {

void ClearPanels(const Form1Controls &ui)
{
    if (!ui.Frame1[MenuConfigurations]->isHidden()) {
        for (TextBox *text : {ui.Text6, ui.Text5, ui.Text8})
            text->clear();
        for (TextBox *text : ui.Text7)
            text->clear();
        for (QCheckBox *flag : ui.Check2)
            flag->setChecked(false);
        for (OptionButton *option : {ui.Option1[0], ui.Option1[1], ui.Option2[0], ui.Option2[1]})
            option->SetValue(false);
        ui.Combo2->SetText(QString());
    }
    if (!ui.Frame1[MenuIdentifiers]->isHidden()) {
        for (TextBox *text : {ui.Text1, ui.Text2, ui.Text3, ui.Text4})
            text->clear();
    }
}

} // namespace pv
