// The language table as the tool loads it: from the generated database beside the program,
// from small databases made for one case, and from a store that fails part way.

#include "language/language_table.h"
#include "language/text_count.h"
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
           || n == 200 || (n >= 201 && n <= 275);
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

// A whole table: text n of language 2 is "t<n>", and text 1 is Null there.
const std::string WholeTable
    = "CREATE TABLE LanguageList (N, L1, L2);"
      "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < "
      + std::to_string(TextRowCount - 1)
      + ") INSERT INTO LanguageList SELECT i, 'a' || i, 't' || i FROM n;"
        "UPDATE LanguageList SET L2 = NULL WHERE N = 1;";

TEST_F(SmallDatabase, RowsInNumberOrderAndNullCellGivesAnEmptyText)
{
    // The longest text taken: 1000 characters of two bytes each.
    ASSERT_TRUE(Load((WholeTable
                      + "UPDATE LanguageList SET L1 = replace(hex(zeroblob(1000)), '00', "
                        "'\xC3\xBC') WHERE N = 7;")
                         .c_str()));
    EXPECT_EQ(table_.Count(), TextRowCount);
    EXPECT_EQ(table_.Text(0) + '|' + table_.Text(1) + '|' + table_.Text(200), "t0||t200");
}

TEST_P(SmallDatabase, FailedLoadKeepsTheOldTable)
{
    EXPECT_FALSE(Load(GetParam().sql));
    EXPECT_EQ(table_.Count(), 2);
    EXPECT_EQ(table_.Text(1), QStringLiteral("old1"));
    EXPECT_EQ(std::filesystem::exists(file_), GetParam().sql != nullptr);
}

// A damaged table is refused whole: a missing row would shift every caption after it by one.
const std::string MissingRow = WholeTable + "DELETE FROM LanguageList WHERE N = 100;";
const std::string SwappedRows = WholeTable
                                + "UPDATE LanguageList SET N = 1000 WHERE N = 4;"
                                  "UPDATE LanguageList SET N = 4 WHERE N = 5;"
                                  "UPDATE LanguageList SET N = 5 WHERE N = 1000;";
const std::string MissingColumn = WholeTable + "ALTER TABLE LanguageList DROP COLUMN L2;";
// Damaged beyond any table the tool ships: refused whole, even in a language not asked for,
// before it can fill the memory. replace(hex(zeroblob(n)), '00', c) is n times c.
const std::string LongText
    = WholeTable
      + "UPDATE LanguageList SET L1 = replace(hex(zeroblob(1001)), '00', 'x') WHERE N = 7;";
const std::string LargeFile = WholeTable
                              + "CREATE TABLE Padding (b); INSERT INTO Padding "
                                "VALUES (zeroblob(9 * 1024 * 1024));";

INSTANTIATE_TEST_SUITE_P(Failures, SmallDatabase,
                         ::testing::Values(DbCase{"MissingFile", nullptr},
                                           DbCase{"MissingTable", "CREATE TABLE Other (a TEXT)"},
                                           DbCase{"MissingColumn", MissingColumn.c_str()},
                                           DbCase{"MissingRow", MissingRow.c_str()},
                                           DbCase{"SwappedRows", SwappedRows.c_str()},
                                           DbCase{"TextOver1000Characters", LongText.c_str()},
                                           DbCase{"FileOver8MiB", LargeFile.c_str()}),
                         [](const auto &info) { return std::string(info.param.name); });

// A whole table whose language column stops answering at row 2.
struct FailingStore : LanguageStore
{
    bool Open() override { return true; }
    int RowCount() const override { return TextRowCount; }
    bool ReadCell(int row, int column, std::optional<std::string> &text) override
    {
        text = (column == 0 ? "" : "new") + std::to_string(row);
        return column == 0 || row != 2;
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
    EXPECT_EQ(table.Text(1) + '|' + table.Text(2) + '|' + table.Text(3) + '|'
                  + table.Text(TextRowCount),
              "new1|||#" + QString::number(TextRowCount));
    EXPECT_GE(store.closed, 1);
}

} // namespace
} // namespace pv
