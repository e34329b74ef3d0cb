// The language table as the tool loads it: from the generated database beside the program,
// from small databases made for one case, and from a store that fails part way.

#include "language/language_table.h"
#include "platform/language_store.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace pv {
namespace {

// Every text number a window or message of the tool shows.
bool IsUsedText(int n)
{
    return n <= 1 || (n >= 10 && n <= 18) || (n >= 35 && n <= 89) || (n >= 97 && n <= 105)
           || (n >= 121 && n <= 139) || (n >= 150 && n <= 152) || n == 145 || n == 186 || n == 187
           || n == 200;
}

using GeneratedDatabase = ::testing::TestWithParam<int>;

TEST_P(GeneratedDatabase, UsedTextsAreWrittenOnlyInLanguageColumns)
{
    auto store = MakeSqliteLanguageStore(PV_LANGUAGE_DB);
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, GetParam()));
    EXPECT_GE(table.Count(), 201);
    const bool hasTexts = GetParam() != 9 && GetParam() != 10;
    for (int n = 0; n < table.Count(); ++n)
        EXPECT_TRUE(table.Text(n).trimmed().isEmpty() ? !hasTexts || !IsUsedText(n) : hasTexts)
            << "text " << n;
}

// Row names by column; columns 9 and 10 have no language.
INSTANTIATE_TEST_SUITE_P(Columns, GeneratedDatabase, ::testing::Range(1, 13), [](const auto &info) {
    return QString("English TraditionalChinese French Spanish Portuguese German Italian Dutch "
                   "Column9_Empty Column10_Empty SimplifiedChinese Korean")
        .split(' ')[info.param - 1]
        .toStdString();
});

// A small database written into a fresh folder for one case (sql null: no file), loaded from
// its column 2; the table holds two old texts, to see whether a failed load kept them.
struct DbCase
{
    const char *name;
    const char *sql;
};

class SmallDatabase : public ::testing::TestWithParam<DbCase>
{
protected:
    bool Load(const char *sql)
    {
        table_.SetTexts({QStringLiteral("old0"), QStringLiteral("old1")});
        sqlite3 *db = nullptr;
        EXPECT_TRUE(!sql
                    || (sqlite3_open(file_.string().c_str(), &db) == SQLITE_OK
                        && sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK));
        sqlite3_close(db);
        return table_.LoadLanguage(*MakeSqliteLanguageStore(file_), 2);
    }
    QTemporaryDir dir_;
    std::filesystem::path file_ = std::filesystem::path(dir_.path().toStdString()) / "Language.db";
    LanguageTable table_;
};

TEST_F(SmallDatabase, RowsInStoredOrderAndNullCellGivesAnEmptyText)
{
    ASSERT_TRUE(Load("CREATE TABLE LanguageList (N, L1, L2); INSERT INTO LanguageList"
                     " VALUES (2, 'a', 'two'), (0, 'b', NULL), (1, 'c', 'one');"));
    EXPECT_EQ(table_.Count(), 3);
    EXPECT_EQ(table_.Text(0) + '|' + table_.Text(1) + '|' + table_.Text(2), "two||one");
}

TEST_P(SmallDatabase, FailedLoadKeepsTheOldTable)
{
    EXPECT_FALSE(Load(GetParam().sql));
    EXPECT_EQ(table_.Count(), 2);
    EXPECT_EQ(table_.Text(1), QStringLiteral("old1"));
    EXPECT_EQ(std::filesystem::exists(file_), GetParam().sql != nullptr);
}

INSTANTIATE_TEST_SUITE_P(Failures, SmallDatabase,
                         ::testing::Values(DbCase{"MissingFile", nullptr},
                                           DbCase{"MissingTable", "CREATE TABLE Other (a TEXT)"},
                                           DbCase{"MissingColumn",
                                                  "CREATE TABLE LanguageList (N, L1);"
                                                  "INSERT INTO LanguageList VALUES (0, 'x');"}),
                         [](const auto &info) { return std::string(info.param.name); });

// A store of four rows that stops answering at row 2.
struct FailingStore : LanguageStore
{
    bool Open() override { return true; }
    int RowCount() const override { return 4; }
    bool ReadCell(int row, int, std::optional<std::string> &text) override
    {
        text = "new" + std::to_string(row);
        return row != 2;
    }
    void Close() override { ++closed; }
    int closed = 0;
};

TEST(LanguageTableLoad, FailureWhileReadingKeepsRowsReadAndEmptiesTheRest)
{
    FailingStore store;
    LanguageTable table;
    table.SetTexts({"a", "b", "c", "d", "e", "f"});
    EXPECT_FALSE(table.LoadLanguage(store, 1));
    // Rows read stay, the rest are empty, and a number outside the table shows itself.
    EXPECT_EQ(table.Text(1) + '|' + table.Text(2) + '|' + table.Text(3) + '|' + table.Text(4),
              "new1|||#4");
    EXPECT_GE(store.closed, 1);
}

} // namespace
} // namespace pv
