#include "modal_presenter.h"

#include <QDialog>

namespace pv {

void QtModalPresenter::ShowModal(QDialog &dialog)
{
    dialog.setModal(true);
    dialog.exec();
}

} // namespace pv
