#pragma once
// The line view: a modeless window listing every frame on the serial line as the recorder saw
// it, with the counters and round trips on top and the hints above the list. It reads the
// recorder on its own timer while shown and never touches the port, so opening it changes
// nothing the tool sends nor when.

#include "line_list.h"

#include <QWidget>

#include <filesystem>

class QLabel;
class QPushButton;
class QTableView;
class QTimer;

namespace pv {

class FileDialogs;
class MessageSink;

class LineView : public QWidget
{
    Q_OBJECT
public:
    // New entries are taken in at most this often, however busy the line.
    static constexpr int RefreshIntervalMs = 250;

    LineView(LineRecorder &recorder, TextSource text, FileDialogs &files, MessageSink &messages,
             QWidget *parent = nullptr);

    // Every caption and shown text in the current language.
    void ApplyCaptions();
    // Takes the new entries into the list (unless paused, when it stays as it is) and shows the
    // counters and hints. The list follows the newest entry unless the user scrolled up.
    void Refresh();

    void PauseButton_Click(bool paused);
    // Empties the list (and the recorder's ring); the counters go on.
    void ClearButton_Click();
    // Writes the listed entries to a text file chosen in a file dialog.
    void SaveButton_Click();

    LineListModel &Model() { return *model_; }
    QTableView *List() const { return list_; }
    QLabel *CountersLabel() const { return counters_; }
    QLabel *RoundTripLabel() const { return roundTrip_; }
    // Shown while round trips are measured at the take (the port cannot tell arrivals).
    QLabel *AtTakeLabel() const { return atTake_; }
    QLabel *HintsLabel() const { return hints_; }
    QPushButton *PauseButton() const { return pause_; }
    QPushButton *ClearButton() const { return clear_; }
    QPushButton *SaveButton() const { return save_; }
    QTimer *RefreshTimer() const { return refresh_; }

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void BuildControls();

    LineRecorder &recorder_;
    TextSource text_;
    FileDialogs &files_;
    MessageSink &messages_;
    LineListModel *model_ = nullptr;
    QTableView *list_ = nullptr;
    QLabel *counters_ = nullptr;
    QLabel *roundTrip_ = nullptr;
    QLabel *atTake_ = nullptr;
    QLabel *hints_ = nullptr;
    QPushButton *pause_ = nullptr;
    QPushButton *clear_ = nullptr;
    QPushButton *save_ = nullptr;
    QTimer *refresh_ = nullptr;
};

// Replaces the file with the lines (UTF-8, each closed by CR LF) or, on any failure, leaves it
// and its folder as they were: the lines go to a temporary file that replaces the target only
// once it is whole. False on failure.
bool WriteLineFile(const std::filesystem::path &path, const QStringList &lines);

} // namespace pv
