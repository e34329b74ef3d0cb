#include "secondary_window.h"

namespace pv {

void SecondaryWindow::Form_Unload()
{
    if (!loaded_)
        return;
    loaded_ = false;
    Unload();
}

void SecondaryWindow::done(int result)
{
    Form_Unload();
    QDialog::done(result);
}

} // namespace pv
