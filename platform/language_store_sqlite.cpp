#include "language_store.h"

#include <sqlite3.h>

#include <system_error>

namespace pv {

namespace {

constexpr const char *LanguageQuery = "SELECT * FROM LanguageList";

// The table is small (a few hundred rows of short texts), so it is read whole when opened and
// served from memory; the database file is closed again before Open returns. A file, a row count
// or a text beyond the bounds of language_store.h fails Open before it can fill the memory.
class SqliteLanguageStore : public LanguageStore
{
public:
    explicit SqliteLanguageStore(std::filesystem::path databaseFile)
        : databaseFile_(std::move(databaseFile))
    {}

    bool Open() override
    {
        Close();
        std::error_code error;
        if (!std::filesystem::is_regular_file(databaseFile_, error)
            || std::filesystem::file_size(databaseFile_, error) > MaxLanguageDatabaseBytes || error)
            return false;
        sqlite3 *db = nullptr;
        // Read-only, so a missing file is reported instead of being created empty.
        const int opened
            = sqlite3_open_v2(databaseFile_.string().c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
        bool ok = opened == SQLITE_OK && ReadAll(db);
        sqlite3_close(db);
        if (!ok)
            Close();
        open_ = ok;
        return ok;
    }

    int RowCount() const override { return static_cast<int>(rows_.size()); }

    bool ReadCell(int row, int column, std::optional<std::string> &text) override
    {
        if (!open_ || row < 0 || row >= RowCount() || column < 0 || column >= columns_)
            return false;
        text = rows_[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)];
        return true;
    }

    void Close() override
    {
        rows_.clear();
        columns_ = 0;
        open_ = false;
    }

private:
    bool ReadAll(sqlite3 *db)
    {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, LanguageQuery, -1, &statement, nullptr) != SQLITE_OK)
            return false;
        columns_ = sqlite3_column_count(statement);
        bool withinBounds = true;
        int step;
        // Without ORDER BY the rows come in the order they are stored (rowid order), which is
        // text-number order as the table is written.
        while (withinBounds && (step = sqlite3_step(statement)) == SQLITE_ROW) {
            withinBounds = rows_.size() < static_cast<std::size_t>(MaxLanguageRows);
            std::vector<std::optional<std::string>> cells(static_cast<std::size_t>(columns_));
            for (int column = 0; withinBounds && column < columns_; ++column) {
                if (sqlite3_column_type(statement, column) == SQLITE_NULL)
                    continue;
                const auto *bytes = sqlite3_column_text(statement, column);
                const int size = sqlite3_column_bytes(statement, column);
                auto &cell = cells[static_cast<std::size_t>(column)];
                cell.emplace();
                if (bytes != nullptr)
                    cell->assign(reinterpret_cast<const char *>(bytes),
                                 static_cast<std::size_t>(size));
                withinBounds = FitsLanguageTable(*cell);
            }
            rows_.push_back(std::move(cells));
        }
        sqlite3_finalize(statement);
        return withinBounds && step == SQLITE_DONE;
    }

    std::filesystem::path databaseFile_;
    std::vector<std::vector<std::optional<std::string>>> rows_;
    int columns_ = 0;
    bool open_ = false;
};

} // namespace

std::unique_ptr<LanguageStore> MakeSqliteLanguageStore(const std::filesystem::path &databaseFile)
{
    return std::make_unique<SqliteLanguageStore>(databaseFile);
}

} // namespace pv
