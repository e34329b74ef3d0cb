#pragma once
// Every caption and message is a numbered text of the chosen language.

#include <QString>

#include <initializer_list>
#include <vector>

namespace pv {

class LanguageStore;
class MessageSink;

class LanguageTable
{
public:
    // Fills the texts from column language of the store: true when every row was read.
    // Never shows a message. A failure before any row keeps the previous texts; a failure
    // while reading keeps the rows read and empty texts for the rest. A table that is not one
    // row per text number in number order (column 0), or that lacks texts the tool shows, is
    // refused before any row is taken: a missing row would shift every caption after it.
    [[nodiscard]] bool LoadLanguage(LanguageStore &store, int language);

    // LanguageText(n). A number the table does not hold gives "#n", so a missing text shows up
    // instead of passing unnoticed.
    QString Text(int number) const;
    int Count() const { return static_cast<int>(texts_.size()); }

    // Texts given directly (tests, and the English fallback before the table is loaded).
    void SetTexts(std::vector<QString> texts) { texts_ = std::move(texts); }

private:
    std::vector<QString> texts_;
};

// Puts args[n - 1] in place of every %n of pattern, in one pass, so that a translation may use
// the markers in any order (or leave one out) and a value holding "%2" stays as it is.
QString Substitute(const QString &pattern, std::initializer_list<QString> args);

// Shows text `number` of the table in a message box: how each window says one of its texts.
void ShowTextMessage(MessageSink &messages, const LanguageTable &texts, int number);

} // namespace pv
