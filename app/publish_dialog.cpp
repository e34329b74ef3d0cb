#include "publish_dialog.h"

#include "language/language_table.h"
#include "platform/file_dialog.h"
#include "publish/mqtt_payloads.h"
#include "publish/publish_texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pv {

namespace {

constexpr int DialogWidthPx = 560;
// A path or a prefix fits in a line of this many characters.
constexpr int LongestEntry = 1024;

QString ShownName(const std::filesystem::path &file)
{
    return QString::fromStdString(Utf8Name(file));
}

} // namespace

PublishDialog::PublishDialog(const LanguageTable &texts, FileDialogs &files,
                             const PublishSettings &settings, QWidget *parent)
    : QDialog(parent), texts_(texts), files_(files), settings_(settings)
{
    setObjectName(QStringLiteral("PublishDialog"));
    setWindowTitle(texts.Text(publishtext::BrokerTitle));
    auto *form = new QFormLayout;
    const QString passwordTitle = texts.Text(publishtext::PasswordFile);
    const QString caTitle = texts.Text(publishtext::CaFile);
    form->addRow(passwordTitle, FileRow(QStringLiteral("PasswordFile"), passwordTitle,
                                        settings.passwordFile, passwordFile_));
    form->addRow(caTitle, FileRow(QStringLiteral("CaFile"), caTitle, settings.caFile, caFile_));
    topicPrefix_ = new QLineEdit(QString::fromStdString(settings.topicPrefix), this);
    topicPrefix_->setObjectName(QStringLiteral("TextTopicPrefix"));
    topicPrefix_->setMaxLength(LongestEntry);
    // Empty: the unit's topics go under pv-service/<ID>.
    topicPrefix_->setPlaceholderText(
        QString::fromUtf8(DefaultTopicRoot.data(), qsizetype(DefaultTopicRoot.size()))
        + QStringLiteral("/<ID>"));
    form->addRow(texts.Text(publishtext::TopicPrefix), topicPrefix_);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(texts.Text(publishtext::Ok), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(texts.Text(publishtext::Cancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(buttons);
    resize(DialogWidthPx, sizeHint().height());
}

QWidget *PublishDialog::FileRow(const QString &name, const QString &title,
                                const std::filesystem::path &file, QLineEdit *&entry)
{
    auto *row = new QWidget(this);
    entry = new QLineEdit(ShownName(file), row);
    entry->setObjectName(QStringLiteral("Text") + name);
    entry->setMaxLength(LongestEntry);
    auto *choose = new QPushButton(texts_.Text(publishtext::Choose), row);
    choose->setObjectName(QStringLiteral("Choose") + name);
    connect(choose, &QPushButton::clicked, this, [this, entry, title] {
        if (const auto chosen = files_.OpenFileName(title, QString()))
            entry->setText(ShownName(*chosen));
    });
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->addWidget(entry);
    line->addWidget(choose);
    return row;
}

PublishSettings PublishDialog::Settings() const
{
    PublishSettings settings = settings_;
    settings.passwordFile = PathFromUtf8(passwordFile_->text().trimmed().toStdString());
    settings.caFile = PathFromUtf8(caFile_->text().trimmed().toStdString());
    settings.topicPrefix = topicPrefix_->text().trimmed().toStdString();
    return settings;
}

} // namespace pv
