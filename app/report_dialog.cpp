#include "report_dialog.h"

#include "language/language_table.h"
#include "report/report_texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace pv {

namespace {

// A site's address and a name fit on a line of the report; the notes on a few.
constexpr int LongestLine = 120;
constexpr int LongestNotes = 2000;
constexpr int NotesLinesShown = 5;
constexpr int DialogWidthPx = 520;

} // namespace

ReportDialog::ReportDialog(const LanguageTable &texts, const ReportVisit &last, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ReportDialog"));
    setWindowTitle(texts.Text(text::ReportTitle));
    site_ = new QLineEdit(QString::fromStdString(last.site), this);
    site_->setObjectName(QStringLiteral("TextSite"));
    site_->setMaxLength(LongestLine);
    technician_ = new QLineEdit(QString::fromStdString(last.technician), this);
    technician_->setObjectName(QStringLiteral("TextTechnician"));
    technician_->setMaxLength(LongestLine);
    notes_ = new QPlainTextEdit(QString::fromStdString(last.notes), this);
    notes_->setObjectName(QStringLiteral("TextNotes"));
    notes_->setTabChangesFocus(true);
    notes_->setFixedHeight(notes_->fontMetrics().lineSpacing() * NotesLinesShown
                           + 2 * notes_->frameWidth() + 8);

    // The technician agrees to the rule before the report is made, as the operator reads it.
    auto *policy = new QLabel(texts.Text(text::ReportPolicy), this);
    policy->setObjectName(QStringLiteral("LabelPolicy"));
    policy->setWordWrap(true);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(texts.Text(text::ReportCreate), QDialogButtonBox::AcceptRole)
        ->setDefault(true);
    buttons->addButton(texts.Text(text::ReportCancel), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *form = new QFormLayout;
    form->addRow(texts.Text(text::ReportSite), site_);
    form->addRow(texts.Text(text::ReportTechnician), technician_);
    form->addRow(texts.Text(text::ReportNotes), notes_);
    auto *column = new QVBoxLayout(this);
    column->addLayout(form);
    column->addWidget(policy);
    column->addWidget(buttons);
    resize(DialogWidthPx, sizeHint().height());
}

ReportVisit ReportDialog::Visit() const
{
    return {site_->text().toStdString(), technician_->text().toStdString(),
            notes_->toPlainText().left(LongestNotes).toStdString()};
}

} // namespace pv
