#include "file_dialog.h"

#include <QFileDialog>

namespace pv {

namespace {

std::optional<std::filesystem::path> Chosen(const QString &name)
{
    if (name.isEmpty())
        return std::nullopt;
    return std::filesystem::path(name.toStdU16String());
}

} // namespace

std::optional<std::filesystem::path> QtFileDialogs::SaveFileName(const QString &title,
                                                                 const QString &filter)
{
    return Chosen(QFileDialog::getSaveFileName(parent_, title, QString(), filter));
}

std::optional<std::filesystem::path> QtFileDialogs::OpenFileName(const QString &title,
                                                                 const QString &filter)
{
    return Chosen(QFileDialog::getOpenFileName(parent_, title, QString(), filter));
}

} // namespace pv
