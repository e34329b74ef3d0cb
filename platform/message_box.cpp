#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace pv {

void QtMessageBox::ShowMessage(const QString &text)
{
    // No title of its own: the box carries the application's name, as every box of the tool.
    // While a modal window is open (the calibration window) the box belongs to it, so that it
    // stands in front of that window and not behind it, out of the user's reach.
    QWidget *modal = QApplication::activeModalWidget();
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, modal != nullptr ? modal : parent_);
    box.exec();
}

} // namespace pv
