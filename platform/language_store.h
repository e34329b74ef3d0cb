#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pv {

// Bounds of a language table the tool takes: a larger one is damaged, and refused like any
// damaged table rather than read until memory runs out. The shipped database is well under a
// megabyte; its longest text is a few hundred characters, and a caption or message of more than
// a thousand would not fit any window.
inline constexpr std::uintmax_t MaxLanguageDatabaseBytes = 8 * 1024 * 1024;
inline constexpr std::size_t MaxLanguageTextCharacters = 1000;
// The row index of the last text must fit a signed 16-bit number, as the text numbers the
// windows ask for do.
inline constexpr int MaxLanguageRows = 32768;

// Whether a UTF-8 text is short enough for the table (characters, not bytes, are counted).
inline bool FitsLanguageTable(std::string_view text)
{
    std::size_t characters = 0;
    for (const char byte : text) {
        if ((static_cast<unsigned char>(byte) & 0xC0) != 0x80
            && ++characters > MaxLanguageTextCharacters)
            return false;
    }
    return true;
}

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
