#pragma once
// What the commissioning report asks before it is made: the site, the technician's name and free
// notes (filled in with those of the last report), beside the rule of which values it reports.
// Shown through the modal window presenter, so that tests answer it without a display.

#include "report/commissioning_report.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;

namespace pv {

class LanguageTable;

class ReportDialog : public QDialog
{
public:
    ReportDialog(const LanguageTable &texts, const ReportVisit &last, QWidget *parent = nullptr);

    // What the entries hold, each cut to its longest.
    ReportVisit Visit() const;

private:
    QLineEdit *site_ = nullptr;
    QLineEdit *technician_ = nullptr;
    QPlainTextEdit *notes_ = nullptr;
};

} // namespace pv
