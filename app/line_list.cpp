#include "line_list.h"

#include "line_texts.h"
#include "link/numbers.h"

#include <QColor>
#include <QFontDatabase>

#include <algorithm>

namespace pv {

namespace {

// Frames the tool refused or never got are drawn in this colour.
constexpr QColor TroubleColor(0xB0, 0x00, 0x00);

QString Text8(const std::string &text)
{
    return QString::fromStdString(text);
}

QString RequestText(const std::optional<LineBlock> &block, const TextSource &text)
{
    if (!block)
        return QStringLiteral("?");
    const int pattern
        = block->function == ReadFunction ? linetext::ReadBlock : linetext::WriteBlock;
    return FillText(text(pattern),
                    {Text8(RegisterText(block->start)), Text8(IntegerText(block->count))});
}

QString VerdictText(const LineEntry &entry, const TextSource &text)
{
    switch (entry.verdict) {
    case ReplyVerdict::Accepted:
        return text(linetext::Accepted);
    case ReplyVerdict::NoAnswer:
        return text(linetext::NoAnswer);
    case ReplyVerdict::TooShort:
        return text(linetext::TooShort);
    case ReplyVerdict::CrcFailed:
        return text(linetext::CrcFailed);
    case ReplyVerdict::Exception:
        return FillText(text(linetext::Exception),
                        {Text8(HexText(ByteView(&entry.exceptionCode, 1)))});
    case ReplyVerdict::FunctionMismatch:
        return text(linetext::FunctionMismatch);
    case ReplyVerdict::ByteCountMismatch:
        return text(linetext::ByteCountMismatch);
    case ReplyVerdict::AcknowledgementMismatch:
        return text(linetext::AcknowledgementMismatch);
    }
    return {};
}

QString ByteCountText(std::size_t length, const TextSource &text)
{
    return FillText(text(linetext::ByteCount), {Text8(IntegerText(std::int64_t(length)))});
}

QString MillisecondsText(std::optional<std::int64_t> ms)
{
    return ms ? Text8(IntegerText(*ms)) : QStringLiteral("–");
}

bool IsTrouble(const LineEntry &entry)
{
    switch (entry.event) {
    case LineEvent::Sent:
        return false;
    case LineEvent::Reply:
        return entry.verdict != ReplyVerdict::Accepted;
    default:
        return true;
    }
}

} // namespace

QString FillText(const QString &pattern, const QStringList &values)
{
    QString filled;
    std::vector<bool> used(static_cast<std::size_t>(values.size()), false);
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == QLatin1Char('%') && i + 1 < pattern.size()) {
            const int k = pattern[i + 1].digitValue();
            if (k >= 1 && k <= values.size()) {
                filled += values[k - 1];
                used[static_cast<std::size_t>(k - 1)] = true;
                ++i;
                continue;
            }
        }
        filled += pattern[i];
    }
    for (qsizetype k = 0; k < values.size(); ++k) {
        if (!used[static_cast<std::size_t>(k)])
            filled += (filled.isEmpty() ? QString() : QStringLiteral(" ")) + values[k];
    }
    return filled;
}

QString LineMeaning(const LineEntry &entry, const TextSource &text)
{
    const QString arrow = QStringLiteral(" → ");
    switch (entry.event) {
    case LineEvent::Sent:
        return RequestText(entry.block, text);
    case LineEvent::SendFailed:
        return RequestText(entry.block, text) + arrow + text(linetext::PortFailed);
    case LineEvent::Stray:
        return text(linetext::Stray) + QStringLiteral(", ") + ByteCountText(entry.length, text);
    case LineEvent::PortFailed:
        return text(linetext::PortFailed);
    case LineEvent::Reply:
        break;
    }
    QStringList parts{VerdictText(entry, text)};
    if (entry.length > 0)
        parts << ByteCountText(entry.length, text);
    if (entry.roundTrip) {
        const auto ms = std::chrono::round<std::chrono::milliseconds>(*entry.roundTrip).count();
        // A round trip measured at the take is at most this long.
        parts << (entry.roundTripAtTake ? QStringLiteral("≤ ") : QString()) + Text8(IntegerText(ms))
                     + QStringLiteral(" ms");
    }
    QString meaning = RequestText(entry.block, text) + arrow + parts.join(QStringLiteral(", "));
    if (!entry.filed)
        meaning += QStringLiteral(" · ") + text(linetext::NotFiled);
    return meaning;
}

QString LineDirection(const LineEntry &entry)
{
    const bool sent = entry.event == LineEvent::Sent || entry.event == LineEvent::SendFailed;
    QString direction = sent ? QStringLiteral("→") : QStringLiteral("←");
    const std::string_view exchange = ExchangeStateText(entry.exchange);
    if (!exchange.empty())
        direction += QLatin1Char(' ') + QString::fromUtf8(exchange.data(), exchange.size());
    if (entry.step != LineContext::UnknownStep)
        direction += QLatin1Char(' ') + Text8(IntegerText(entry.step));
    return direction;
}

QString LineCellText(const LineEntry &entry, int column, LineClock::time_point origin,
                     const TextSource &text)
{
    switch (column) {
    case TimeColumn:
        return Text8(ElapsedText(entry.time - origin));
    case DirectionColumn:
        return LineDirection(entry);
    case BytesColumn:
        // A flooded take keeps only its first bytes; the meaning says how many came.
        return Text8(HexText(entry.bytes))
               + (entry.length > entry.bytes.size() ? QStringLiteral(" …") : QString());
    case MeaningColumn:
        return LineMeaning(entry, text);
    default:
        return {};
    }
}

QString CountersText(const LineCounters &c, const TextSource &text)
{
    QStringList values;
    for (const std::uint64_t count : {c.requests, c.goodReplies, c.crcFailures, c.noAnswer,
                                      c.tooShort, c.refused, c.exceptions})
        values << Text8(IntegerText(static_cast<std::int64_t>(count)));
    return FillText(text(linetext::Counters), values);
}

QString RoundTripText(const RoundTripFigures &figures, const TextSource &text)
{
    return FillText(text(linetext::RoundTrip),
                    {MillisecondsText(figures.lastMs), MillisecondsText(figures.medianMs),
                     MillisecondsText(figures.maxMs)});
}

QStringList HintTexts(const std::vector<LineHint> &hints, const TextSource &text)
{
    QStringList texts;
    for (const LineHint hint : hints) {
        switch (hint) {
        case LineHint::NoReply:
            texts << FillText(text(linetext::HintNoReply),
                              {Text8(IntegerText(LineRecorder::HintWindow))});
            break;
        case LineHint::CrcFailures:
            texts << text(linetext::HintCrc);
            break;
        case LineHint::Echo:
            texts << text(linetext::HintEcho);
            break;
        case LineHint::Exception:
            texts << text(linetext::HintException);
            break;
        }
    }
    return texts;
}

LineListModel::LineListModel(const LineRecorder &recorder, TextSource text, QObject *parent)
    : QAbstractTableModel(parent), recorder_(recorder), text_(std::move(text)),
      bytesFont_(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int LineListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : LineColumnCount;
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const LineEntry &entry = Entry(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return LineCellText(entry, index.column(), recorder_.Origin(), text_);
    case Qt::FontRole:
        return index.column() == BytesColumn ? QVariant(bytesFont_) : QVariant();
    case Qt::ForegroundRole:
        return IsTrouble(entry) ? QVariant(TroubleColor) : QVariant();
    default:
        return {};
    }
}

QVariant LineListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0
        || section >= LineColumnCount)
        return {};
    return text_(linetext::FirstColumn + section);
}

bool LineListModel::Pull()
{
    const std::uint64_t end = recorder_.NextSequence();
    std::uint64_t from = std::max(nextSequence_, recorder_.FirstSequence());
    nextSequence_ = end;
    if (from >= end)
        return false;
    constexpr std::size_t kept = LineRecorder::Capacity;
    from = std::max<std::uint64_t>(from, end > kept ? end - kept : 0);
    const auto adding = static_cast<std::size_t>(end - from);
    // At most the entries already listed, as no more than kept are added.
    const std::size_t total = entries_.size() + adding;
    const std::size_t surplus = total > kept ? total - kept : 0;
    if (surplus > 0) {
        beginRemoveRows({}, 0, static_cast<int>(surplus) - 1);
        entries_.erase(entries_.begin(), entries_.begin() + static_cast<std::ptrdiff_t>(surplus));
        endRemoveRows();
    }
    const int first = static_cast<int>(entries_.size());
    beginInsertRows({}, first, first + static_cast<int>(adding) - 1);
    for (std::uint64_t sequence = from; sequence < end; ++sequence)
        entries_.push_back(
            recorder_.At(static_cast<std::size_t>(sequence - recorder_.FirstSequence())));
    endInsertRows();
    return true;
}

void LineListModel::Clear()
{
    beginResetModel();
    entries_.clear();
    nextSequence_ = recorder_.NextSequence();
    endResetModel();
}

void LineListModel::CaptionsChanged()
{
    emit headerDataChanged(Qt::Horizontal, 0, LineColumnCount - 1);
    if (!entries_.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, LineColumnCount - 1));
}

QStringList LineListModel::Lines() const
{
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(entries_.size()));
    for (const LineEntry &entry : entries_) {
        QStringList cells;
        for (int column = 0; column < LineColumnCount; ++column)
            cells << LineCellText(entry, column, recorder_.Origin(), text_);
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines;
}

} // namespace pv
