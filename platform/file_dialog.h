#pragma once
// Asking the technician for a file to save to or to open, as a small interface so that windows
// run headless in tests (a test answers with a path of its own, or with nothing for Cancel).

#include <QString>

#include <filesystem>
#include <optional>

class QWidget;

namespace pv {

class FileDialogs
{
public:
    virtual ~FileDialogs() = default;
    // The file chosen, or nothing when the technician cancels. filter is a Qt name filter such
    // as "Configuration files (*.pvcfg)".
    virtual std::optional<std::filesystem::path> SaveFileName(const QString &title,
                                                              const QString &filter)
        = 0;
    virtual std::optional<std::filesystem::path> OpenFileName(const QString &title,
                                                              const QString &filter)
        = 0;
};

// The platform's own file dialogs, modal over parent.
class QtFileDialogs : public FileDialogs
{
public:
    explicit QtFileDialogs(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }
    std::optional<std::filesystem::path> SaveFileName(const QString &title,
                                                      const QString &filter) override;
    std::optional<std::filesystem::path> OpenFileName(const QString &title,
                                                      const QString &filter) override;

private:
    QWidget *parent_;
};

} // namespace pv
