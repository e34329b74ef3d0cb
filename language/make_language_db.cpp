// make-language-db <database file> <texts folder>
//
// Builds the language database the tool reads beside itself: table LanguageList with the text
// number in column 0 and the texts of language L in column L (1..12), one row per text number
// from 0 with no gaps, Null where a language has no text. Rows are inserted in text-number
// order, which is the order a plain SELECT gives them back.

#include "text_source.h"

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <system_error>

namespace {

using TextColumns = std::map<int, std::map<int, std::string>>; // column -> number -> text

bool Execute(sqlite3 *db, const std::string &sql)
{
    char *message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    std::cerr << "make-language-db: " << (message ? message : "database error") << '\n';
    sqlite3_free(message);
    return false;
}

std::string CreateTableSql()
{
    std::string sql = "CREATE TABLE LanguageList (Number INTEGER NOT NULL";
    for (int column = 1; column <= pv::LanguageColumnCount; ++column)
        sql += ", Language" + std::to_string(column) + " TEXT";
    return sql + ")";
}

std::string InsertSql()
{
    std::string sql = "INSERT INTO LanguageList VALUES (?";
    for (int column = 1; column <= pv::LanguageColumnCount; ++column)
        sql += ", ?";
    return sql + ")";
}

const std::string *FindText(const TextColumns &columns, int column, int number)
{
    const auto language = columns.find(column);
    if (language == columns.end())
        return nullptr;
    const auto text = language->second.find(number);
    return text == language->second.end() ? nullptr : &text->second;
}

bool InsertRows(sqlite3 *db, const TextColumns &columns, int rowCount)
{
    sqlite3_stmt *insert = nullptr;
    if (sqlite3_prepare_v2(db, InsertSql().c_str(), -1, &insert, nullptr) != SQLITE_OK) {
        std::cerr << "make-language-db: " << sqlite3_errmsg(db) << '\n';
        return false;
    }
    bool ok = true;
    for (int number = 0; ok && number < rowCount; ++number) {
        sqlite3_reset(insert);
        sqlite3_bind_int(insert, 1, number);
        for (int column = 1; column <= pv::LanguageColumnCount; ++column) {
            const std::string *text = FindText(columns, column, number);
            if (text == nullptr)
                sqlite3_bind_null(insert, column + 1);
            else
                sqlite3_bind_text(insert, column + 1, text->data(), static_cast<int>(text->size()),
                                  SQLITE_TRANSIENT);
        }
        ok = sqlite3_step(insert) == SQLITE_DONE;
    }
    if (!ok)
        std::cerr << "make-language-db: " << sqlite3_errmsg(db) << '\n';
    sqlite3_finalize(insert);
    return ok;
}

bool WriteDatabase(const std::filesystem::path &file, const TextColumns &columns, int rowCount)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(file.string().c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr)
        != SQLITE_OK) {
        std::cerr << "make-language-db: cannot create " << file << '\n';
        sqlite3_close(db);
        return false;
    }
    const bool ok = Execute(db, CreateTableSql()) && Execute(db, "BEGIN")
                    && InsertRows(db, columns, rowCount) && Execute(db, "COMMIT");
    sqlite3_close(db);
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::cerr << "usage: make-language-db <database file> <texts folder>\n";
        return 2;
    }
    const std::filesystem::path output = argv[1];
    const std::filesystem::path textsFolder = argv[2];

    TextColumns columns;
    int rowCount = pv::TextRowCount;
    for (const auto &language : pv::LanguageFiles) {
        const auto source = textsFolder / (std::string(language.name) + ".txt");
        std::ifstream in(source, std::ios::binary);
        if (!in) {
            std::cerr << "make-language-db: cannot read " << source << '\n';
            return 1;
        }
        std::string error;
        auto &texts = columns[language.column];
        if (!pv::ParseTextFile(in, source.string(), texts, error)) {
            std::cerr << error << '\n';
            return 1;
        }
        if (!texts.empty())
            rowCount = std::max(rowCount, texts.rbegin()->first + 1);
    }

    // Written beside the target and moved over it at the end, so an interrupted build never
    // leaves a half-filled database where the tool would read it.
    std::error_code ec;
    std::filesystem::create_directories(output.parent_path(), ec);
    auto partial = output;
    partial += ".partial";
    std::filesystem::remove(partial, ec);
    if (!WriteDatabase(partial, columns, rowCount)) {
        std::filesystem::remove(partial, ec);
        return 1;
    }
    std::filesystem::rename(partial, output, ec);
    if (ec) {
        std::cerr << "make-language-db: cannot replace " << output << ": " << ec.message() << '\n';
        return 1;
    }
    return 0;
}
