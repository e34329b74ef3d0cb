#pragma once
// Everything around a main window under test: messages are recorded, modal windows handed to
// whileOpen, the running programs are fixed, and text N of language L reads "L<L>-<N>" (column 0
// holds the text number, as in the real table).

#include "language/text_count.h"
#include "platform/language_store.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace pv::test {

class World : public MessageSink, public ModalPresenter, public ProcessList, public LanguageStore
{
public:
    void ShowMessage(const QString &text) override { shown.push_back(text); }
    void ShowModal(QDialog &dialog) override { whileOpen(dialog); }
    std::vector<std::string> ExecutableNames() const override { return running; }
    bool Open() override { return true; }
    int RowCount() const override { return rows; }
    bool ReadCell(int row, int column, std::optional<std::string> &text) override
    {
        text = column == 0 ? std::to_string(row)
                           : "L" + std::to_string(column) + "-" + std::to_string(row);
        return column >= 0 && column <= lastColumn;
    }
    void Close() override {}

    std::vector<QString> shown;
    std::function<void(QDialog &)> whileOpen = [](QDialog &) {};
    std::vector<std::string> running{"bash", "sleep"};
    int rows = TextRowCount;
    int lastColumn = 12;
};

} // namespace pv::test
