#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pv {

// Reads the language table: one row per text number from 0 in stored order, column 0 the text
// number, column L the texts of language L. A Null cell reads as nothing.
class LanguageStore
{
public:
    virtual ~LanguageStore() = default;

    // Opens the table and reports its row count; false when the database or table is missing.
    virtual bool Open() = 0;
    virtual int RowCount() const = 0;
    // Reads the cell of row (from 0) and column; false when it cannot be read (column missing).
    virtual bool ReadCell(int row, int column, std::optional<std::string> &text) = 0;
    virtual void Close() = 0;
};

// The SQLite database program folder/DataBase/Language.db, table LanguageList.
std::unique_ptr<LanguageStore> MakeSqliteLanguageStore(const std::filesystem::path &databaseFile);

} // namespace pv
