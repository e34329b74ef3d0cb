#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace pv {

void QtMessageBox::ShowMessage(const QString &text)
{
    // No title of its own: the box carries the application's name, as every box of the tool.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

} // namespace pv
