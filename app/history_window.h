#pragma once
// The service history: a modeless window listing the service records of the database, newest
// first, filtered by unit and by day, with the values of the chosen record beside. It reads the
// database when it is asked to (opened, a filter changed, a record committed) and never on a
// tick of an exchange; a database it cannot read leaves the list empty and says so.

#include "line_list.h"

#include "record/record_store.h"

#include <QWidget>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QTableWidget;

namespace pv {

class HistoryWindow : public QWidget
{
    Q_OBJECT
public:
    HistoryWindow(std::filesystem::path databaseFile, TextSource text, QWidget *parent = nullptr);

    // Every caption and shown text in the current language.
    void ApplyCaptions();
    // Reads the records the filter asks for and lists them, keeping the chosen record chosen
    // while it is still listed.
    void Refresh();

    QTableWidget *List() const { return list_; }
    QTableWidget *Values() const { return values_; }
    // The unit filter: an ID typed or picked from those seen; empty for every unit.
    QComboBox *UnitFilter() const { return unit_; }
    QCheckBox *AllDatesBox() const { return allDates_; }
    QDateEdit *DateFilter() const { return date_; }
    // Shown while the database cannot be read.
    QLabel *TroubleLabel() const { return trouble_; }

private:
    void BuildControls();
    // The record of this row ID is chosen again when it is still listed.
    void ShowRecords(std::optional<std::int64_t> chosen);
    void ShowValues();
    const StoredRecord *ChosenRecord() const;
    std::optional<std::int64_t> ChosenRowId() const;
    void ShowUnitIds();

    std::filesystem::path databaseFile_;
    TextSource text_;
    // The records listed, in list order.
    std::vector<StoredRecord> records_;
    // Every unit ID a read has listed since the window was made.
    std::vector<std::string> unitIds_;
    QLabel *unitLabel_ = nullptr;
    QComboBox *unit_ = nullptr;
    QCheckBox *allDates_ = nullptr;
    QDateEdit *date_ = nullptr;
    QLabel *trouble_ = nullptr;
    QTableWidget *list_ = nullptr;
    QTableWidget *values_ = nullptr;
};

} // namespace pv
