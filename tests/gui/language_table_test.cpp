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

// Row names by column; columns 9 and 10 have no language.
const char *const ColumnNames[] = {nullptr,         "English",        "TraditionalChinese",
                                   "French",        "Spanish",        "Portuguese",
                                   "German",        "Italian",        "Dutch",
                                   "Column9_Empty", "Column10_Empty", "SimplifiedChinese",
                                   "Korean"};

class GeneratedDatabase : public ::testing::TestWithParam<int>
{
};

TEST_P(GeneratedDatabase, UsedTextsAreWrittenOnlyInLanguageColumns)
{
    auto store = MakeSqliteLanguageStore(PV_LANGUAGE_DB);
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, GetParam()));
    EXPECT_GE(table.Count(), 201);
    const bool hasTexts = GetParam() != 9 && GetParam() != 10;
    for (int n = 0; n < table.Count(); ++n)
        if (!hasTexts || IsUsedText(n)) {
            EXPECT_EQ(table.Text(n).trimmed().isEmpty(), !hasTexts) << "text " << n;
        }
}

INSTANTIATE_TEST_SUITE_P(Columns, GeneratedDatabase, ::testing::Range(1, 13),
                         [](const auto &info) { return std::string(ColumnNames[info.param]); });

// A fresh folder for a small database that Make writes; the table holds two old texts, to see
// whether a failed load kept them.
class SmallDatabase : public ::testing::Test
{
protected:
    SmallDatabase() { table_.SetTexts({QStringLiteral("old0"), QStringLiteral("old1")}); }
    void Make(const char *sql)
    {
        sqlite3 *db = nullptr;
        ASSERT_EQ(sqlite3_open(file_.string().c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    QTemporaryDir dir_;
    std::filesystem::path file_ = std::filesystem::path(dir_.path().toStdString()) / "Language.db";
    LanguageTable table_;
};

TEST_F(SmallDatabase, RowsInStoredOrderAndNullCellGivesAnEmptyText)
{
    Make("CREATE TABLE LanguageList (Number INTEGER, L1 TEXT, L2 TEXT);"
         "INSERT INTO LanguageList VALUES (2, 'a', 'two'), (0, 'b', NULL), (1, 'c', 'one');");
    auto store = MakeSqliteLanguageStore(file_);
    ASSERT_TRUE(table_.LoadLanguage(*store, 2));
    EXPECT_EQ(table_.Count(), 3);
    EXPECT_EQ(table_.Text(0), QStringLiteral("two"));
    EXPECT_TRUE(table_.Text(1).isEmpty());
    EXPECT_EQ(table_.Text(2), QStringLiteral("one"));
}

struct FailureCase
{
    const char *name;
    const char *sql; // null: no database file
    int column;
};

class FailedLoad : public SmallDatabase, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(FailedLoad, KeepsTheOldTable)
{
    if (GetParam().sql)
        Make(GetParam().sql);
    auto store = MakeSqliteLanguageStore(file_);
    EXPECT_FALSE(table_.LoadLanguage(*store, GetParam().column));
    EXPECT_EQ(table_.Count(), 2);
    EXPECT_EQ(table_.Text(1), QStringLiteral("old1"));
    EXPECT_EQ(std::filesystem::exists(file_), GetParam().sql != nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedLoad,
    ::testing::Values(FailureCase{"MissingFile", nullptr, 1},
                      FailureCase{"MissingTable", "CREATE TABLE Other (a TEXT)", 1},
                      FailureCase{"MissingColumn",
                                  "CREATE TABLE LanguageList (Number INTEGER, L1 TEXT);"
                                  "INSERT INTO LanguageList VALUES (0, 'x');",
                                  2}),
    [](const auto &info) { return std::string(info.param.name); });

// A store of four rows that stops answering at row 2.
class FailingStore : public LanguageStore
{
public:
    bool Open() override { return true; }
    int RowCount() const override { return 4; }
    bool ReadCell(int row, int, std::optional<std::string> &text) override
    {
        if (row == 2)
            return false;
        text = "new" + std::to_string(row);
        return true;
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
    EXPECT_EQ(table.Count(), 4);
    EXPECT_EQ(table.Text(1), QStringLiteral("new1"));
    EXPECT_TRUE(table.Text(2).isEmpty());
    EXPECT_TRUE(table.Text(3).isEmpty());
    EXPECT_EQ(table.Text(4), QStringLiteral("#4")); // a number outside the table shows itself
    EXPECT_GE(store.closed, 1);
}

} // namespace
} // namespace pv
