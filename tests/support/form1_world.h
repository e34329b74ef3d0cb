#pragma once
// Everything around a main window under test: messages are recorded, modal windows handed to
// whileOpen, the running programs are fixed, and text N of language L reads "L<L>-<N>" (column 0
// holds the text number, as in the real table) unless ownTexts gives it.

#include "language/text_count.h"
#include "platform/file_dialog.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"

#include <QDialog>
#include <QString>

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pv::test {

class World : public MessageSink,
              public ModalPresenter,
              public ProcessList,
              public LanguageStore,
              public FileDialogs
{
public:
    // File dialogs answer with the queued paths in turn; an empty queue is Cancel.
    std::optional<std::filesystem::path> SaveFileName(const QString &, const QString &) override
    {
        return NextFile();
    }
    std::optional<std::filesystem::path> OpenFileName(const QString &, const QString &) override
    {
        return NextFile();
    }
    std::optional<std::filesystem::path> NextFile()
    {
        if (files.empty())
            return std::nullopt;
        auto next = files.front();
        files.pop_front();
        return next;
    }

    void ShowMessage(const QString &text) override { shown.push_back(text); }
    // Questions are recorded and answered from answers in turn; an empty queue is No.
    bool Ask(const QString &text) override
    {
        asked.push_back(text);
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void ShowModal(QDialog &dialog) override { whileOpen(dialog); }
    std::vector<std::string> ExecutableNames() const override { return running; }
    bool Open() override { return true; }
    int RowCount() const override { return rows; }
    bool ReadCell(int row, int column, std::optional<std::string> &text) override
    {
        const auto own = ownTexts.find(row);
        text = column == 0             ? std::to_string(row)
               : own != ownTexts.end() ? own->second
                                       : "L" + std::to_string(column) + "-" + std::to_string(row);
        return column >= 0 && column <= lastColumn;
    }
    void Close() override {}

    std::vector<QString> shown;
    std::vector<QString> asked;
    std::deque<bool> answers;
    std::function<void(QDialog &)> whileOpen = [](QDialog &) {};
    std::vector<std::string> running{"bash", "sleep"};
    int rows = TextRowCount;
    int lastColumn = 12;
    std::deque<std::filesystem::path> files;
    // Texts given here stand for every language (messages with their %1 markers, say).
    std::map<int, std::string> ownTexts;
};

} // namespace pv::test
