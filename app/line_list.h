#pragma once
// The line view's list and the texts above it: the recorder's entries as rows of four columns
// (time, direction, bytes, meaning), the counters, the round trips and the hints, every word
// from the language table. The list keeps its own copy of the entries it shows, so that a
// paused list stays as it is while the recorder goes on, and a save writes exactly what is
// listed.

#include "link/line_recorder.h"

#include <QAbstractTableModel>
#include <QFont>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <vector>

namespace pv {

// Language text N.
using TextSource = std::function<QString(int)>;

enum LineColumn { TimeColumn, DirectionColumn, BytesColumn, MeaningColumn, LineColumnCount };

// Fills the marks %1 .. %9 of a language text with the values; a value whose mark the text
// lacks follows at its end, so that a text missing from the table still shows the figures.
QString FillText(const QString &pattern, const QStringList &values);

// "read 0xC020 × 32 → accepted, 69 bytes, 74 ms"
QString LineMeaning(const LineEntry &entry, const TextSource &text);
// "→ Monitor 0": the direction, the exchange (the tool's own name of its state) and the step.
QString LineDirection(const LineEntry &entry);
QString LineCellText(const LineEntry &entry, int column, LineClock::time_point origin,
                     const TextSource &text);

QString CountersText(const LineCounters &counters, const TextSource &text);
// The figures alone; whether they were measured at the take is said beside them.
QString RoundTripText(const RoundTripFigures &figures, const TextSource &text);
QStringList HintTexts(const std::vector<LineHint> &hints, const TextSource &text);

class LineListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    LineListModel(const LineRecorder &recorder, TextSource text, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Takes in what the recorder holds beyond the last pull, the oldest rows making room past
    // the recorder's capacity; false when nothing was new.
    bool Pull();
    // Empties the list; what is recorded from now on follows.
    void Clear();
    // The language changed: every text is shown again.
    void CaptionsChanged();

    const LineEntry &Entry(int row) const { return entries_[static_cast<std::size_t>(row)]; }
    // The rows as listed, one line each, the columns separated by TAB.
    QStringList Lines() const;

private:
    const LineRecorder &recorder_;
    TextSource text_;
    QFont bytesFont_; // fixed pitch, so that the bytes of like frames line up
    std::deque<LineEntry> entries_;
    std::uint64_t nextSequence_ = 0;
};

} // namespace pv
