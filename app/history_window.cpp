#include "history_window.h"

#include "line_texts.h"
#include "link/text_numbers.h"
#include "record/history_rows.h"
#include "record/history_texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>
#include <optional>

namespace pv {

namespace {

constexpr int WindowWidthPx = 1000;
constexpr int WindowHeightPx = 560;
constexpr int RowPaddingPx = 4;
constexpr int ColumnGapPx = 8; // beyond a column's widest text
constexpr int UnitEntryWidthPx = 140;

enum ListColumn {
    ListTime,
    ListPort,
    ListUnit,
    ListModel,
    ListExchange,
    ListOutcome,
    ListColumnCount
};
constexpr std::array<int, ListColumnCount> ListColumnTexts{
    historytext::TimeColumn, text::PortCaption,           historytext::UnitColumn,
    text::ModelCaption,      historytext::ExchangeColumn, historytext::OutcomeColumn};
enum ValueColumn { ValueSetting, ValueShown, ValueColumnCount };
// The list and the chosen record's values side by side, the list the wider.
constexpr int ListWidthPx = 650;
constexpr int ValuesWidthPx = 330;

constexpr auto TroubleStyle = "color: #B00000; font-weight: bold;";

QTableWidget *MakeTable(QWidget *parent, const QString &name, int columns, int rowHeight)
{
    auto *table = new QTableWidget(0, columns, parent);
    table->setObjectName(name);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    // Fixed row heights: the list never measures every row of a long history.
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(rowHeight);
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QTableWidgetItem *Cell(const std::string &text)
{
    return new QTableWidgetItem(QString::fromStdString(text));
}

} // namespace

HistoryWindow::HistoryWindow(std::filesystem::path databaseFile, TextSource text, QWidget *parent)
    : QWidget(parent, Qt::Window), databaseFile_(std::move(databaseFile)), text_(std::move(text))
{
    setObjectName(QStringLiteral("HistoryWindow"));
    resize(WindowWidthPx, WindowHeightPx);
    BuildControls();
    connect(unit_, &QComboBox::currentTextChanged, this, &HistoryWindow::Refresh);
    connect(allDates_, &QCheckBox::toggled, this, [this](bool all) {
        date_->setEnabled(!all);
        Refresh();
    });
    connect(date_, &QDateEdit::dateChanged, this, &HistoryWindow::Refresh);
    connect(list_, &QTableWidget::itemSelectionChanged, this, &HistoryWindow::ShowValues);
    ApplyCaptions();
}

void HistoryWindow::BuildControls()
{
    unit_ = new QComboBox(this);
    unit_->setObjectName(QStringLiteral("UnitFilter"));
    unit_->setEditable(true);
    unit_->setInsertPolicy(QComboBox::NoInsert);
    unit_->setMinimumWidth(UnitEntryWidthPx);
    allDates_ = new QCheckBox(this);
    allDates_->setObjectName(QStringLiteral("AllDates"));
    allDates_->setChecked(true);
    date_ = new QDateEdit(QDate::currentDate(), this);
    date_->setObjectName(QStringLiteral("DateFilter"));
    date_->setCalendarPopup(true);
    // The day as the list shows it, whatever the regional format.
    date_->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    date_->setEnabled(false);
    trouble_ = new QLabel(this);
    trouble_->setObjectName(QStringLiteral("HistoryTrouble"));
    trouble_->setWordWrap(true);
    trouble_->setStyleSheet(QLatin1String(TroubleStyle));
    trouble_->hide();

    const int rowHeight = fontMetrics().height() + RowPaddingPx;
    auto *splitter = new QSplitter(Qt::Horizontal, this);
    list_ = MakeTable(splitter, QStringLiteral("HistoryList"), ListColumnCount, rowHeight);
    values_ = MakeTable(splitter, QStringLiteral("HistoryValues"), ValueColumnCount, rowHeight);
    splitter->addWidget(list_);
    splitter->addWidget(values_);
    splitter->setSizes({ListWidthPx, ValuesWidthPx});

    unitLabel_ = new QLabel(this);
    unitLabel_->setBuddy(unit_);
    auto *filters = new QHBoxLayout;
    filters->addWidget(unitLabel_);
    filters->addWidget(unit_);
    filters->addSpacing(unit_->minimumWidth() / 2);
    filters->addWidget(allDates_);
    filters->addWidget(date_);
    filters->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(trouble_);
    layout->addWidget(splitter, 1);
}

void HistoryWindow::ApplyCaptions()
{
    setWindowTitle(text_(historytext::Title) + QStringLiteral(" - ") + text_(linetext::ToolName));
    unitLabel_->setText(text_(historytext::UnitColumn));
    unit_->lineEdit()->setPlaceholderText(text_(historytext::AllUnits));
    allDates_->setText(text_(historytext::AllDates));
    QStringList listHeaders;
    for (int number : ListColumnTexts)
        listHeaders.push_back(text_(number));
    list_->setHorizontalHeaderLabels(listHeaders);
    values_->setHorizontalHeaderLabels(
        {text_(historytext::SettingColumn), text_(text::ValueCaption)});
    trouble_->setText(FillText(text_(historytext::CannotRead),
                               {QString::fromStdU16String(databaseFile_.u16string())}));
    // The names in the list change with the language; the records stay as they were read.
    ShowRecords(ChosenRowId());
}

void HistoryWindow::Refresh()
{
    const std::optional<std::string> day
        = allDates_->isChecked() ? std::nullopt
                                 : std::optional(date_->date().toString(Qt::ISODate).toStdString());
    const std::optional<std::int64_t> chosen = ChosenRowId();
    auto read = ReadRecords(databaseFile_, HistoryFilter(unit_->currentText().toStdString(), day));
    trouble_->setVisible(!read);
    records_ = read ? std::move(*read) : std::vector<StoredRecord>{};
    AddUnitIds(unitIds_, records_);
    ShowUnitIds();
    ShowRecords(chosen);
}

const StoredRecord *HistoryWindow::ChosenRecord() const
{
    const auto selected = list_->selectionModel()->selectedRows();
    if (selected.isEmpty() || selected.front().row() >= static_cast<int>(records_.size()))
        return nullptr;
    return &records_[static_cast<std::size_t>(selected.front().row())];
}

std::optional<std::int64_t> HistoryWindow::ChosenRowId() const
{
    const StoredRecord *chosen = ChosenRecord();
    return chosen ? std::optional(chosen->rowId) : std::nullopt;
}

void HistoryWindow::ShowRecords(std::optional<std::int64_t> chosen)
{
    {
        const QSignalBlocker quiet(list_);
        list_->clearSelection();
        list_->clearContents();
        list_->setRowCount(static_cast<int>(records_.size()));
        for (int i = 0; i < static_cast<int>(records_.size()); ++i) {
            const StoredRecord &stored = records_[static_cast<std::size_t>(i)];
            const HistoryRow row = HistoryRowOf(stored);
            list_->setItem(i, ListTime, Cell(row.time));
            list_->setItem(i, ListPort, Cell(row.port));
            list_->setItem(i, ListUnit, Cell(row.unitId));
            list_->setItem(i, ListModel, Cell(row.model));
            list_->setItem(i, ListExchange, new QTableWidgetItem(text_(row.exchangeText)));
            list_->setItem(i, ListOutcome, new QTableWidgetItem(text_(row.outcomeText)));
            if (stored.rowId == chosen)
                list_->selectRow(i);
        }
        // The header measures at most its first thousand rows (resizeContentsPrecision).
        list_->resizeColumnsToContents();
        for (int column = 0; column < ListOutcome; ++column)
            list_->setColumnWidth(column, list_->columnWidth(column) + ColumnGapPx);
    }
    ShowValues();
}

void HistoryWindow::ShowValues()
{
    values_->clearContents();
    values_->setRowCount(0);
    const StoredRecord *chosen = ChosenRecord();
    if (chosen == nullptr)
        return;
    const auto rows = HistoryValueRows(chosen->record);
    values_->setRowCount(static_cast<int>(rows.size()));
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        const HistoryValueRow &v = rows[static_cast<std::size_t>(i)];
        auto *setting = v.captionText ? new QTableWidgetItem(text_(*v.captionText)) : Cell(v.key);
        // The key names the setting as the configuration files do.
        setting->setToolTip(QString::fromStdString(v.key));
        values_->setItem(i, ValueSetting, setting);
        values_->setItem(i, ValueShown, Cell(v.value));
    }
    values_->resizeColumnToContents(ValueSetting);
    values_->setColumnWidth(ValueSetting, values_->columnWidth(ValueSetting) + ColumnGapPx);
}

void HistoryWindow::ShowUnitIds()
{
    // The entry keeps what was typed; only the list under it grows.
    if (unit_->count() == static_cast<int>(unitIds_.size()))
        return;
    const QSignalBlocker quiet(unit_);
    const QString typed = unit_->currentText();
    unit_->clear();
    for (const std::string &id : unitIds_)
        unit_->addItem(QString::fromStdString(id));
    unit_->setCurrentIndex(-1);
    unit_->setEditText(typed);
}

} // namespace pv
