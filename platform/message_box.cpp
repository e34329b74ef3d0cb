#include "message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace pv {

QWidget *QtMessageBox::Owner() const
{
    // While a modal window is open (the calibration window) the box belongs to it, so that it
    // stands in front of that window and not behind it, out of the user's reach.
    QWidget *modal = QApplication::activeModalWidget();
    return modal != nullptr ? modal : parent_;
}

void QtMessageBox::ShowMessage(const QString &text)
{
    // No title of its own: the box carries the application's name, as every box of the tool.
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, Owner());
    box.exec();
}

bool QtMessageBox::Ask(const QString &text)
{
    // No is the default button: Enter pressed out of habit leaves things as they are, and so
    // does closing the box.
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::Yes | QMessageBox::No, Owner());
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace pv
