// The service history of the main window over a database of a few records: the History button in
// free space and Ctrl+H open it, the list newest first, the filters, a write's values before and
// after, a commit listed while it is open, the captions, and a database that cannot be read.

#include "app/history_window.h"
#include "record/record_store.h"
#include "record/service_recorder.h"
#include "support/form1_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <fstream>
#include <memory>

namespace pv {
namespace {

using namespace test;

ServiceRecord Record(const char *unitId, const char *day, RecordedExchange exchange,
                     ExchangeOutcome outcome, std::vector<RecordedValue> values)
{
    ServiceRecord r;
    r.localTime = std::string(day) + "T10:00:00+01:00";
    r.port = "COM1";
    r.unit.id = unitId;
    r.unit.model = "PV-4000";
    r.exchange = exchange;
    r.outcome = outcome;
    r.values = std::move(values);
    return r;
}

class HistoryWindowTest : public Form1Test
{
protected:
    std::filesystem::path DatabaseFile() const { return program / "records.sqlite"; }
    // Commits the records to the database, as an earlier run of the tool did.
    void Commit(const std::vector<ServiceRecord> &records)
    {
        RecordStore store(
            DatabaseFile(), [](auto...) {}, [](auto...) {});
        store.Start();
        for (const ServiceRecord &r : records)
            store.Take(r);
        ASSERT_TRUE(store.WaitUntilWritten(5000));
    }
    // The main window with a recorder over the database.
    bool StartRecorded()
    {
        KeepRecorder(DatabaseFile());
        return Start();
    }
    static QString Cell(const QTableWidget *table, int row, int column)
    {
        const QTableWidgetItem *item = table->item(row, column);
        return item != nullptr ? item->text() : QString();
    }
    static QStringList Column(const QTableWidget *table, int column)
    {
        QStringList cells;
        for (int row = 0; row < table->rowCount(); ++row)
            cells.push_back(Cell(table, row, column));
        return cells;
    }
};

constexpr int UnitColumn = 2;
constexpr int ExchangeColumn = 4;

TEST_F(HistoryWindowTest, ListsNewestFirstFiltersAndShowsAWritesValuesBeforeAndAfter)
{
    const std::string sleep(ConfigurationKey(SleepPowerField)),
        retry(ConfigurationKey(RetryTimeField));
    Commit(
        {Record("41", "2026-12-05", RecordedExchange::ConfigurationRead, ExchangeOutcome::ReadDone,
                {{sleep, std::nullopt, "5"}}),
         Record("41", "2026-12-06", RecordedExchange::ConfigurationWrite,
                ExchangeOutcome::WriteDone, {{sleep, "5", "7"}, {retry, std::nullopt, "600"}}),
         Record("7", "2026-12-06", RecordedExchange::IdentifyRead, ExchangeOutcome::ReadDone, {})});
    ASSERT_TRUE(StartRecorded());
    QPushButton *button = ui().CommandHistory;
    for (const QWidget *other : ui().Picture4->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(other == button || !other->isVisibleTo(form.get())
                    || !other->geometry().intersects(button->geometry()))
            << other->objectName().toStdString();
    // It watches the exchanges rather than starts one: the lock leaves it alone.
    emit session.IntentsAllowed(false);
    ASSERT_TRUE(button->isEnabled());

    button->click();
    HistoryWindow *history = form->History();
    ASSERT_NE(history, nullptr);
    EXPECT_TRUE(history->isVisible());
    QTableWidget *list = history->List();
    EXPECT_EQ(Column(list, UnitColumn), (QStringList{"7", "41", "41"}));
    EXPECT_EQ(Column(list, ExchangeColumn), (QStringList{"L1-298", "L1-301", "L1-300"}));
    EXPECT_EQ(Cell(list, 0, 0), QStringLiteral("2026-12-06 10:00:00"));
    EXPECT_EQ(history->UnitFilter()->count(), 2) << "the IDs seen are offered";

    history->UnitFilter()->setEditText(QStringLiteral("41"));
    EXPECT_EQ(Column(list, ExchangeColumn), (QStringList{"L1-301", "L1-300"}));
    history->DateFilter()->setDate(QDate(2026, 12, 6));
    history->AllDatesBox()->setChecked(false);
    EXPECT_EQ(Column(list, ExchangeColumn), QStringList{"L1-301"});

    list->selectRow(0);
    QTableWidget *values = history->Values();
    EXPECT_EQ(Column(values, 0), (QStringList{"L1-49", "L1-87"}));
    EXPECT_EQ(Column(values, 1), (QStringList{"5 → 7", "→ 600"}));

    // A record committed while the window is open is listed at once; the chosen one stays chosen.
    Commit({Record("41", "2026-12-06", RecordedExchange::IdentifyWrite,
                   ExchangeOutcome::WriteFailed, {})});
    emit recorder->RecordCommitted(1, 4, true);
    EXPECT_EQ(Column(list, ExchangeColumn), (QStringList{"L1-299", "L1-301"}));
    EXPECT_EQ(Column(values, 1), (QStringList{"5 → 7", "→ 600"}));

    form->LanguagePicked(2);
    EXPECT_EQ(button->text(), QStringLiteral("L3-290"));
    EXPECT_EQ(history->windowTitle(), QStringLiteral("L3-291 - L3-0"));
    EXPECT_EQ(Column(list, ExchangeColumn), (QStringList{"L3-299", "L3-301"}));
    EXPECT_EQ(list->horizontalHeaderItem(UnitColumn)->text(), QStringLiteral("L3-293"));
}

TEST_F(HistoryWindowTest, ADatabaseThatCannotBeReadLeavesTheListEmptyAndSaysSo)
{
    std::ofstream(DatabaseFile()) << "not a database, just text of some length";
    around.ownTexts[308] = "cannot read %1.";
    ASSERT_TRUE(StartRecorded());
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(ui().Combo1, Qt::Key_H, Qt::ControlModifier);
    HistoryWindow *history = form->History();
    ASSERT_NE(history, nullptr);
    EXPECT_EQ(history->List()->rowCount(), 0);
    EXPECT_TRUE(history->TroubleLabel()->isVisibleTo(history));
    EXPECT_EQ(
        history->TroubleLabel()->text(),
        QStringLiteral("cannot read %1.").arg(QString::fromStdString(DatabaseFile().string())));
}

TEST_F(HistoryWindowTest, WithoutARecorderTheButtonIsDisabledAndOpensNothing)
{
    ASSERT_TRUE(Start());
    EXPECT_FALSE(ui().CommandHistory->isEnabled());
    form->CommandHistory_Click();
    EXPECT_EQ(form->History(), nullptr);
}

} // namespace
} // namespace pv
