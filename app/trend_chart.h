#pragma once
// The trend of the CONNECTION panel: DC input power of string A and B and AC output power
// (kW, left axis) and efficiency (%, right axis) over the last ten minutes of clock time.

#include "monitor/trend_buffer.h"

#include <QChartView>
#include <QList>
#include <QPointF>

#include <array>
#include <vector>

class QChart;
class QDateTimeAxis;
class QLineSeries;
class QValueAxis;

namespace pv {

// The four lines, in legend order.
enum class TrendLine { InputAPower = 0, InputBPower = 1, OutputPower = 2, Efficiency = 3 };
inline constexpr int TrendLineCount = 4;

// The time axis moves on in whole steps: it ends at the next even minute after the newest point
// and reaches one step further back than the span, so the ten minutes always fit.
inline constexpr std::int64_t TrendAxisStepMs = 2 * 60 * 1000;
inline constexpr std::int64_t TrendAxisRangeMs = TrendSpanMs + TrendAxisStepMs;

struct TrendCaptions
{
    std::array<QString, TrendLineCount> lines; // legend
    QString powerAxis, efficiencyAxis, timeAxis;
};

class TrendView : public QChartView
{
    Q_OBJECT
public:
    explicit TrendView(QWidget *parent = nullptr);

    // Draws the points of the TrendSpanMs up to endMs (ms since 1970). A point marked gapBefore
    // starts a new stretch of line, so nothing is drawn across the time the link was lost.
    void ShowPoints(const TrendBuffer &points, std::int64_t endMs);
    void SetCaptions(const TrendCaptions &captions);
    // The decimal sign of the value axes' labels: the system's, as the readings show it.
    void SetDecimalSeparator(char decimal);

    // What is drawn: the stretches of one line, each with its points (time in ms, value).
    std::vector<QList<QPointF>> Stretches(TrendLine line) const;
    const QDateTimeAxis *TimeAxis() const { return timeAxis_; }
    const QValueAxis *PowerAxis() const { return powerAxis_; }
    const QValueAxis *EfficiencyAxis() const { return efficiencyAxis_; }
    // Legend entries shown (one per line, whatever the number of stretches), once on a screen.
    QStringList LegendEntries() const;

private:
    // Stretch `index` of a line; made, attached to the axes and kept for reuse on first use.
    QLineSeries *Stretch(TrendLine line, std::size_t index);
    void FitValueAxes(const TrendBuffer &points, std::size_t first);

    QChart *chart_;
    QDateTimeAxis *timeAxis_;
    QValueAxis *powerAxis_;
    QValueAxis *efficiencyAxis_;
    std::array<QString, TrendLineCount> names_;
    std::int64_t axisEndMs_ = 0;
    // Series are only ever added, never deleted: at most one per point of a full ring.
    std::array<std::vector<QLineSeries *>, TrendLineCount> stretches_;
};

} // namespace pv
