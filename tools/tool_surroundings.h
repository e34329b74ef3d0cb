#pragma once
// What the diagnostic programs put around a window in place of a person: a message goes to the
// error stream and is counted, a save dialog answers with saveAs (none when empty), an open
// dialog with nothing, a modal window is handed to whileOpen, and no other program runs.

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "platform/modal_presenter.h"
#include "platform/process_list.h"

#include <cstdio>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct ToolSurroundings : pv::MessageSink, pv::ModalPresenter, pv::ProcessList, pv::FileDialogs
{
    // program: the name a message is printed under.
    explicit ToolSurroundings(const char *program) : program(program) {}

    std::optional<std::filesystem::path> SaveFileName(const QString &, const QString &) override
    {
        if (saveAs.empty())
            return std::nullopt;
        return saveAs;
    }
    std::optional<std::filesystem::path> OpenFileName(const QString &, const QString &) override
    {
        return std::nullopt;
    }
    void ShowMessage(const QString &text) override
    {
        ++messages;
        std::fprintf(stderr, "%s: message: %s\n", program, text.toStdString().c_str());
    }
    void ShowModal(QDialog &dialog) override { whileOpen(dialog); }
    std::vector<std::string> ExecutableNames() const override { return {}; }

    const char *program;
    std::filesystem::path saveAs;
    std::function<void(QDialog &)> whileOpen = [](QDialog &) {};
    int messages = 0;
};
