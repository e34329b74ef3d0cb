#pragma once
// The broker's settings beyond its address, behind the CONNECTION panel's Broker button: the
// file the password is read from, the certificate authority of an mqtts:// broker, and the
// prefix of the unit's topics. Shown through the modal window presenter, so that tests answer it
// without a display.

#include "publish/publish_settings.h"

#include <QDialog>

class QLineEdit;

namespace pv {

class FileDialogs;
class LanguageTable;

class PublishDialog : public QDialog
{
public:
    PublishDialog(const LanguageTable &texts, FileDialogs &files, const PublishSettings &settings,
                  QWidget *parent = nullptr);

    // The settings handed in with what the entries hold now.
    PublishSettings Settings() const;

private:
    // A row of an entry with the file's name (TextName) and a button that chooses the file
    // (ChooseName).
    QWidget *FileRow(const QString &name, const QString &title, const std::filesystem::path &file,
                     QLineEdit *&entry);

    const LanguageTable &texts_;
    FileDialogs &files_;
    PublishSettings settings_;
    QLineEdit *passwordFile_ = nullptr;
    QLineEdit *caFile_ = nullptr;
    QLineEdit *topicPrefix_ = nullptr;
};

} // namespace pv
