#include "language_table.h"

#include "platform/language_store.h"
#include "platform/message_box.h"
#include "text_count.h"

#include <optional>
#include <string>

namespace pv {

namespace {

// Column 0 holds the text number of each row.
constexpr int NumberColumn = 0;

// Every row r holds text number r in its number column.
bool RowsInNumberOrder(LanguageStore &store, int rows)
{
    std::optional<std::string> cell;
    for (int row = 0; row < rows; ++row) {
        if (!store.ReadCell(row, NumberColumn, cell) || !cell || *cell != std::to_string(row))
            return false;
    }
    return true;
}

// Closes the store on every way out of LoadLanguage.
class StoreSession
{
public:
    explicit StoreSession(LanguageStore &store) : store_(store) {}
    ~StoreSession() { store_.Close(); }
    StoreSession(const StoreSession &) = delete;
    StoreSession &operator=(const StoreSession &) = delete;

private:
    LanguageStore &store_;
};

} // namespace

bool LanguageTable::LoadLanguage(LanguageStore &store, int language)
{
    if (!store.Open()) {
        store.Close();
        return false;
    }
    StoreSession session(store);
    const int rows = store.RowCount();
    if (rows < TextRowCount || rows > MaxLanguageRows || !RowsInNumberOrder(store, rows))
        return false;

    // A language the table has no column for fails on its first cell; probing that cell before
    // the old texts are dropped keeps the language in force when a wrong one is asked for.
    std::optional<std::string> cell;
    if (rows > 0 && !store.ReadCell(0, language, cell))
        return false;

    texts_.assign(static_cast<std::size_t>(rows), QString());
    for (int row = 0; row < rows; ++row) {
        if (row > 0 && !store.ReadCell(row, language, cell))
            return false; // rows read so far stay, the rest stay empty
        if (cell)
            texts_[static_cast<std::size_t>(row)] = QString::fromStdString(*cell);
    }
    return true;
}

QString LanguageTable::Text(int number) const
{
    if (number < 0 || number >= Count())
        return QStringLiteral("#%1").arg(number);
    return texts_[static_cast<std::size_t>(number)];
}

QString Substitute(const QString &pattern, std::initializer_list<QString> args)
{
    QString result;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const qsizetype marker
            = pattern[i] == u'%' && i + 1 < pattern.size() ? pattern[i + 1].digitValue() : -1;
        if (marker >= 1 && marker <= static_cast<qsizetype>(args.size())) {
            result += *(args.begin() + (marker - 1));
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}

void ShowTextMessage(MessageSink &messages, const LanguageTable &texts, int number)
{
    messages.ShowMessage(texts.Text(number));
}

} // namespace pv
