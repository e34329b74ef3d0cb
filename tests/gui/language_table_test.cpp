// The language table as the tool loads it: from the generated database beside the program,
// from small databases made for one case, and from a store that fails part way.

#include "language/language_table.h"
#include "platform/language_store.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace pv {
namespace {

const std::filesystem::path GeneratedDatabase = PV_LANGUAGE_DB;

// Every text number a window or message of the tool shows.
std::set<int> UsedTextNumbers()
{
    std::set<int> numbers{0, 1, 145, 150, 151, 152, 186, 187, 200};
    const auto range = [&](int first, int last) {
        for (int n = first; n <= last; ++n)
            numbers.insert(n);
    };
    range(10, 18);
    range(35, 89);
    range(97, 105);
    range(121, 139);
    return numbers;
}

struct LanguageColumn
{
    const char *name;
    int column;
};

class GeneratedLanguage : public ::testing::TestWithParam<LanguageColumn>
{
};

TEST_P(GeneratedLanguage, EveryUsedTextIsWritten)
{
    auto store = MakeSqliteLanguageStore(GeneratedDatabase);
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, GetParam().column));
    EXPECT_GE(table.Count(), 201);
    for (int number : UsedTextNumbers())
        EXPECT_FALSE(table.Text(number).trimmed().isEmpty()) << "text " << number;
}

TEST_P(GeneratedLanguage, PleaseEnterLeadsDirectlyIntoTheCaption)
{
    // 133 is followed by a caption with nothing in between, so it must end in a separator.
    auto store = MakeSqliteLanguageStore(GeneratedDatabase);
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, GetParam().column));
    const QString prompt = table.Text(133);
    ASSERT_FALSE(prompt.isEmpty());
    const QChar last = prompt.back();
    EXPECT_TRUE(last == QLatin1Char(' ') || last == QChar(0xFF1A)) << prompt.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    AllTen, GeneratedLanguage,
    ::testing::Values(LanguageColumn{"English", 1}, LanguageColumn{"TraditionalChinese", 2},
                      LanguageColumn{"French", 3}, LanguageColumn{"Spanish", 4},
                      LanguageColumn{"Portuguese", 5}, LanguageColumn{"German", 6},
                      LanguageColumn{"Italian", 7}, LanguageColumn{"Dutch", 8},
                      LanguageColumn{"SimplifiedChinese", 11}, LanguageColumn{"Korean", 12}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(GeneratedDatabase, ColumnsNineAndTenHaveNoTexts)
{
    auto store = MakeSqliteLanguageStore(GeneratedDatabase);
    for (int column : {9, 10}) {
        LanguageTable table;
        ASSERT_TRUE(table.LoadLanguage(*store, column));
        EXPECT_GE(table.Count(), 201);
        for (int number = 0; number < table.Count(); ++number)
            EXPECT_TRUE(table.Text(number).isEmpty()) << "column " << column << " text " << number;
    }
}

TEST(GeneratedDatabase, RowsComeInTextNumberOrderWithoutGaps)
{
    // Column 0 holds the text number, so row r must read r.
    auto store = MakeSqliteLanguageStore(GeneratedDatabase);
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, 0));
    for (int row = 0; row < table.Count(); ++row)
        ASSERT_EQ(table.Text(row), QString::number(row));
}

struct EnglishText
{
    int number;
    const char *text;
};

class EnglishCaptions : public ::testing::TestWithParam<EnglishText>
{
};

TEST_P(EnglishCaptions, MatchTheDesignCaptions)
{
    auto store = MakeSqliteLanguageStore(GeneratedDatabase);
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, 1));
    EXPECT_EQ(table.Text(GetParam().number).toStdString(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Design, EnglishCaptions,
    ::testing::Values(EnglishText{10, "CONNECTION"}, EnglishText{11, "CONFIGURATIONS"},
                      EnglishText{15, "LANGUAGE"}, EnglishText{16, "Write"},
                      EnglishText{17, "Read"}, EnglishText{35, "InputA_V"}, EnglishText{43, "KWH"},
                      EnglishText{44, "Connection Setting"}, EnglishText{47, "ComPort"},
                      EnglishText{49, "Sleep Power (0~20%)"}, EnglishText{50, "KW"},
                      EnglishText{51, "Country"}, EnglishText{52, "User defined"},
                      EnglishText{53, "Vmin_L1"}, EnglishText{56, "Vmax_L2"},
                      EnglishText{61, "Fmin_Disconnect time(>0)"},
                      EnglishText{87, "Retry Time (1~600s)"}, EnglishText{89, "Efficiency"},
                      EnglishText{150, "(*) Change these limits only as far as the local grid "
                                       "code allows."},
                      EnglishText{186, "United Kingdom"}, EnglishText{187, "Germany"},
                      EnglishText{200, "Australia"}),
    [](const auto &info) { return "Text" + std::to_string(info.param.number); });

// A database made for one case: rows of (number, texts of columns 1..columns), Null where the
// optional is empty.
using Row = std::vector<std::optional<std::string>>;

void MakeDatabase(const std::filesystem::path &file, int columns, const std::vector<Row> &rows)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(file.string().c_str(), &db), SQLITE_OK);
    std::string create = "CREATE TABLE LanguageList (Number INTEGER";
    std::string insert = "INSERT INTO LanguageList VALUES (?";
    for (int c = 1; c <= columns; ++c) {
        create += ", L" + std::to_string(c) + " TEXT";
        insert += ", ?";
    }
    ASSERT_EQ(sqlite3_exec(db, (create + ")").c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    // One transaction: a disk sync per row would make the case take seconds.
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *statement = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(db, (insert + ")").c_str(), -1, &statement, nullptr), SQLITE_OK);
    for (const Row &row : rows) {
        sqlite3_reset(statement);
        for (int c = 0; c <= columns; ++c) {
            if (c < static_cast<int>(row.size()) && row[c])
                sqlite3_bind_text(statement, c + 1, row[c]->c_str(), -1, SQLITE_TRANSIENT);
            else
                sqlite3_bind_null(statement, c + 1);
        }
        ASSERT_EQ(sqlite3_step(statement), SQLITE_DONE);
    }
    sqlite3_finalize(statement);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

// 201 rows, 12 languages, cell (n, L) = "L<L>#<n>".
std::vector<Row> FullRows()
{
    std::vector<Row> rows;
    for (int n = 0; n < 201; ++n) {
        Row row{std::to_string(n)};
        for (int c = 1; c <= 12; ++c)
            row.push_back("L" + std::to_string(c) + "#" + std::to_string(n));
        rows.push_back(row);
    }
    return rows;
}

class LanguageDatabaseCase : public ::testing::Test
{
protected:
    std::filesystem::path File(const char *name) const
    {
        return std::filesystem::path(dir_.path().toStdString()) / name;
    }
    // What the table holds before a load, to see whether a failed load kept it.
    static LanguageTable Previous()
    {
        LanguageTable table;
        table.SetTexts({QStringLiteral("old0"), QStringLiteral("old1")});
        return table;
    }
    QTemporaryDir dir_;
};

TEST_F(LanguageDatabaseCase, NullCellGivesAnEmptyText)
{
    auto rows = FullRows();
    rows[99][3].reset(); // French lacks text 99
    MakeDatabase(File("Language.db"), 12, rows);
    auto store = MakeSqliteLanguageStore(File("Language.db"));
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, 3));
    EXPECT_EQ(table.Count(), 201);
    EXPECT_TRUE(table.Text(99).isEmpty());
    EXPECT_EQ(table.Text(98), QStringLiteral("L3#98"));
    EXPECT_EQ(table.Text(100), QStringLiteral("L3#100"));
    ASSERT_TRUE(table.LoadLanguage(*store, 4));
    EXPECT_EQ(table.Text(99), QStringLiteral("L4#99"));
}

TEST_F(LanguageDatabaseCase, RowsAreTakenInStoredOrderNotByNumber)
{
    MakeDatabase(File("Language.db"), 1, {{"2", "two"}, {"0", "zero"}, {"1", "one"}});
    auto store = MakeSqliteLanguageStore(File("Language.db"));
    LanguageTable table;
    ASSERT_TRUE(table.LoadLanguage(*store, 1));
    EXPECT_EQ(table.Text(0), QStringLiteral("two"));
    EXPECT_EQ(table.Text(2), QStringLiteral("one"));
}

TEST_F(LanguageDatabaseCase, MissingFileFailsKeepsTheOldTableAndCreatesNothing)
{
    auto store = MakeSqliteLanguageStore(File("Language.db"));
    LanguageTable table = Previous();
    EXPECT_FALSE(table.LoadLanguage(*store, 1));
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Text(1), QStringLiteral("old1"));
    EXPECT_FALSE(std::filesystem::exists(File("Language.db")));
}

TEST_F(LanguageDatabaseCase, MissingTableFailsAndKeepsTheOldTable)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(File("Language.db").string().c_str(), &db), SQLITE_OK);
    sqlite3_exec(db, "CREATE TABLE Other (a TEXT)", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    auto store = MakeSqliteLanguageStore(File("Language.db"));
    LanguageTable table = Previous();
    EXPECT_FALSE(table.LoadLanguage(*store, 1));
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Text(0), QStringLiteral("old0"));
}

TEST_F(LanguageDatabaseCase, MissingColumnFailsAndKeepsTheOldTable)
{
    MakeDatabase(File("Language.db"), 12, FullRows());
    auto store = MakeSqliteLanguageStore(File("Language.db"));
    LanguageTable table = Previous();
    EXPECT_FALSE(table.LoadLanguage(*store, 13));
    EXPECT_EQ(table.Count(), 2);
    EXPECT_EQ(table.Text(0), QStringLiteral("old0"));
    // The store is usable again afterwards.
    EXPECT_TRUE(table.LoadLanguage(*store, 12));
    EXPECT_EQ(table.Text(200), QStringLiteral("L12#200"));
}

TEST_F(LanguageDatabaseCase, NotADatabaseFails)
{
    std::FILE *file = std::fopen(File("Language.db").string().c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("this is not a database file, just some text that is long enough", file);
    std::fclose(file);
    auto store = MakeSqliteLanguageStore(File("Language.db"));
    LanguageTable table = Previous();
    EXPECT_FALSE(table.LoadLanguage(*store, 1));
    EXPECT_EQ(table.Count(), 2);
}

// A store of four rows that stops answering at one row.
class FailingStore : public LanguageStore
{
public:
    explicit FailingStore(int failingRow) : failingRow_(failingRow) {}
    bool Open() override { return true; }
    int RowCount() const override { return 4; }
    bool ReadCell(int row, int, std::optional<std::string> &text) override
    {
        if (row == failingRow_)
            return false;
        text = "new" + std::to_string(row);
        return true;
    }
    void Close() override { ++closed; }
    int closed = 0;

private:
    int failingRow_;
};

TEST(LanguageTableLoad, FailureWhileReadingKeepsRowsReadAndEmptiesTheRest)
{
    FailingStore store(2);
    LanguageTable table;
    table.SetTexts({"a", "b", "c", "d", "e", "f"});
    EXPECT_FALSE(table.LoadLanguage(store, 1));
    EXPECT_EQ(table.Count(), 4);
    EXPECT_EQ(table.Text(0), QStringLiteral("new0"));
    EXPECT_EQ(table.Text(1), QStringLiteral("new1"));
    EXPECT_TRUE(table.Text(2).isEmpty());
    EXPECT_TRUE(table.Text(3).isEmpty());
    EXPECT_GE(store.closed, 1);
}

TEST(LanguageTableLoad, FailureOnTheFirstRowKeepsTheOldTable)
{
    FailingStore store(0);
    LanguageTable table;
    table.SetTexts({"a", "b", "c", "d", "e", "f"});
    EXPECT_FALSE(table.LoadLanguage(store, 1));
    EXPECT_EQ(table.Count(), 6);
    EXPECT_EQ(table.Text(5), QStringLiteral("f"));
}

TEST(LanguageTableText, NumberOutsideTheTableShowsItself)
{
    LanguageTable table;
    EXPECT_EQ(table.Text(0), QStringLiteral("#0")); // nothing loaded yet
    table.SetTexts({"zero", ""});
    EXPECT_EQ(table.Text(0), QStringLiteral("zero"));
    EXPECT_EQ(table.Text(1), QString());
    EXPECT_EQ(table.Text(2), QStringLiteral("#2"));
    EXPECT_EQ(table.Text(-1), QStringLiteral("#-1"));
}

} // namespace
} // namespace pv
