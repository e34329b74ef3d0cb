#include "trend_chart.h"

#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QLegendMarker>
#include <QLineSeries>
#include <QLocale>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace pv {

namespace {

constexpr int LabelPointSize = 7;
constexpr int LegendPointSize = 7;
constexpr int LineWidth = 2;
constexpr int TimeTicks = static_cast<int>(TrendAxisRangeMs / TrendAxisStepMs) + 1;
constexpr int ValueSteps = 5;
constexpr const char *TimeFormat = "HH:mm";

// Line colours (RGB): string A, string B, AC output, efficiency.
constexpr std::array<QRgb, TrendLineCount> LineColors{0x1F77B4, 0xFF7F0E, 0x2CA02C, 0xD62728};

// Power axis: from zero (or below, for a negative reading) up to a little above the largest.
constexpr double SmallestPowerRangeKw = 0.1;
constexpr double PowerHeadroom = 1.05;
// Efficiency axis: around what was read, at least this wide; 0..100 before the first point.
constexpr double SmallestEfficiencyRange = 1.0;
constexpr double FullEfficiencyRange = 100.0;

// The smallest of 1, 2 or 5 times a power of ten that is at least value (0 for 0 and below).
double NiceCeiling(double value)
{
    if (value <= 0)
        return 0;
    // A value a rounding error above a round one (0.1 / 5) counts as that round one.
    const double wanted = value * (1 - 1e-9);
    const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
    for (const double step : {1.0, 2.0, 5.0}) {
        if (step * decade >= wanted)
            return step * decade;
    }
    return 10 * decade;
}

// Sets a range on round limits with ticks on round values from zero: about five steps of 1, 2 or
// 5 times a power of ten. Nothing is done when the range is already shown.
void SetRange(QValueAxis *axis, double low, double high)
{
    if (axis->min() == low && axis->max() == high)
        return;
    // The axis lays out its ticks at each change: a wide range must never meet the small
    // interval of a narrow one, or it would make thousands of labels for a moment.
    const double interval = NiceCeiling((high - low) / ValueSteps);
    if (interval >= axis->tickInterval()) {
        axis->setTickInterval(interval);
        axis->setRange(low, high);
    } else {
        axis->setRange(low, high);
        axis->setTickInterval(interval);
    }
}

float ValueOf(const TrendPoint &point, TrendLine line)
{
    switch (line) {
    case TrendLine::InputAPower:
        return point.inputAPower;
    case TrendLine::InputBPower:
        return point.inputBPower;
    case TrendLine::OutputPower:
        return point.outputPower;
    case TrendLine::Efficiency:
        break;
    }
    return point.efficiency;
}

QFont SmallFont(const QFont &base, int pointSize)
{
    QFont font = base;
    font.setPointSize(pointSize);
    return font;
}

} // namespace

TrendView::TrendView(QWidget *parent)
    : QChartView(parent), chart_(new QChart), timeAxis_(new QDateTimeAxis),
      powerAxis_(new QValueAxis), efficiencyAxis_(new QValueAxis)
{
    setChart(chart_);
    // Lines without antialiasing: smoothing them cost several times the rest of monitoring.
    setRenderHint(QPainter::Antialiasing, false);
    // Every pixel goes to the plot: the panel is small.
    chart_->setBackgroundRoundness(0);
    chart_->setMargins(QMargins(2, 2, 2, 2));
    chart_->layout()->setContentsMargins(0, 0, 0, 0);
    chart_->legend()->setAlignment(Qt::AlignTop);
    chart_->legend()->setFont(SmallFont(font(), LegendPointSize));

    const QFont labels = SmallFont(font(), LabelPointSize);
    timeAxis_->setFormat(QLatin1String(TimeFormat));
    timeAxis_->setTickCount(TimeTicks);
    for (QAbstractAxis *axis :
         {static_cast<QAbstractAxis *>(timeAxis_), static_cast<QAbstractAxis *>(powerAxis_),
          static_cast<QAbstractAxis *>(efficiencyAxis_)}) {
        axis->setLabelsFont(labels);
        axis->setTitleFont(labels);
    }
    for (QValueAxis *axis : {powerAxis_, efficiencyAxis_}) {
        axis->setTickType(QValueAxis::TicksDynamic);
        axis->setTickAnchor(0);
    }
    // One grid, the power axis's: a second one at other heights would only confuse.
    efficiencyAxis_->setGridLineVisible(false);
    chart_->addAxis(timeAxis_, Qt::AlignBottom);
    chart_->addAxis(powerAxis_, Qt::AlignLeft);
    chart_->addAxis(efficiencyAxis_, Qt::AlignRight);
    SetRange(efficiencyAxis_, 0, FullEfficiencyRange);
    SetRange(powerAxis_, 0, SmallestPowerRangeKw);
    SetDecimalSeparator('.');

    // One stretch of each line from the start, so that the legend names all four.
    for (int line = 0; line < TrendLineCount; ++line)
        Stretch(static_cast<TrendLine>(line), 0);
}

void TrendView::SetDecimalSeparator(char decimal)
{
    // The axis labels are small numbers: only the decimal sign matters, never a group sign.
    QLocale locale = decimal == ',' ? QLocale(QLocale::German) : QLocale::c();
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    chart_->setLocale(locale);
    chart_->setLocalizeNumbers(true);
}

QLineSeries *TrendView::Stretch(TrendLine line, std::size_t index)
{
    const auto l = static_cast<std::size_t>(line);
    std::vector<QLineSeries *> &stretches = stretches_[l];
    while (stretches.size() <= index) {
        auto *series = new QLineSeries;
        series->setName(names_[l]);
        QPen pen{QColor::fromRgb(LineColors[l])};
        pen.setWidth(LineWidth);
        if (line == TrendLine::Efficiency)
            pen.setStyle(Qt::DashLine); // read against the right-hand axis
        series->setPen(pen);
        series->setColor(pen.color());
        chart_->addSeries(series);
        series->attachAxis(timeAxis_);
        series->attachAxis(line == TrendLine::Efficiency ? efficiencyAxis_ : powerAxis_);
        // The legend names each line once, however often the link broke it.
        if (!stretches.empty()) {
            for (QLegendMarker *marker : chart_->legend()->markers(series))
                marker->setVisible(false);
        }
        stretches.push_back(series);
    }
    return stretches[index];
}

void TrendView::ShowPoints(const TrendBuffer &points, std::int64_t endMs)
{
    const std::size_t first = points.FirstFrom(endMs - TrendSpanMs);
    std::array<std::vector<QList<QPointF>>, TrendLineCount> lines;
    for (std::size_t i = first; i < points.Size(); ++i) {
        const TrendPoint &point = points[i];
        const bool newStretch = i == first || point.gapBefore;
        for (int l = 0; l < TrendLineCount; ++l) {
            auto &stretches = lines[static_cast<std::size_t>(l)];
            if (newStretch)
                stretches.emplace_back();
            stretches.back().append(QPointF(static_cast<qreal>(point.timeMs),
                                            ValueOf(point, static_cast<TrendLine>(l))));
        }
    }
    for (int l = 0; l < TrendLineCount; ++l) {
        const auto line = static_cast<TrendLine>(l);
        const auto &wanted = lines[static_cast<std::size_t>(l)];
        for (std::size_t k = 0; k < wanted.size(); ++k) {
            QLineSeries *series = Stretch(line, k);
            series->replace(wanted[k]);
            // A reading alone between two losses of the link has no line: it shows as a dot.
            series->setPointsVisible(wanted[k].size() == 1);
        }
        for (std::size_t k = wanted.size(); k < stretches_[static_cast<std::size_t>(l)].size(); ++k)
            stretches_[static_cast<std::size_t>(l)][k]->clear();
    }
    // A range that changed with every point would lay out and draw the whole chart each time.
    const std::int64_t axisEnd = (endMs / TrendAxisStepMs + 1) * TrendAxisStepMs;
    if (axisEnd != axisEndMs_) {
        axisEndMs_ = axisEnd;
        timeAxis_->setRange(QDateTime::fromMSecsSinceEpoch(axisEnd - TrendAxisRangeMs),
                            QDateTime::fromMSecsSinceEpoch(axisEnd));
    }
    FitValueAxes(points, first);
}

void TrendView::FitValueAxes(const TrendBuffer &points, std::size_t first)
{
    double powerLow = 0, powerHigh = SmallestPowerRangeKw;
    double efficiencyLow = std::numeric_limits<double>::max();
    double efficiencyHigh = std::numeric_limits<double>::lowest();
    for (std::size_t i = first; i < points.Size(); ++i) {
        const TrendPoint &p = points[i];
        for (float power : {p.inputAPower, p.inputBPower, p.outputPower}) {
            powerLow = std::min(powerLow, static_cast<double>(power));
            powerHigh = std::max(powerHigh, static_cast<double>(power) * PowerHeadroom);
        }
        efficiencyLow = std::min(efficiencyLow, static_cast<double>(p.efficiency));
        efficiencyHigh = std::max(efficiencyHigh, static_cast<double>(p.efficiency));
    }
    // Ranges on round numbers, set only when they change: each change lays out and draws the
    // axis labels again, which costs far more than the lines.
    SetRange(powerAxis_, -NiceCeiling(-powerLow), NiceCeiling(powerHigh));
    if (first >= points.Size()) {
        SetRange(efficiencyAxis_, 0, FullEfficiencyRange);
    } else {
        // A flat line sits inside a range at least one percent wide, so that a sag shows.
        const double spare
            = std::max(0.0, SmallestEfficiencyRange - (efficiencyHigh - efficiencyLow)) / 2;
        // Below zero only for a reading there.
        const double floorLow = std::floor(efficiencyLow - spare);
        const double low = efficiencyLow >= 0 ? std::max(0.0, floorLow) : floorLow;
        SetRange(efficiencyAxis_, low,
                 std::max(low + SmallestEfficiencyRange, std::ceil(efficiencyHigh + spare)));
    }
}

void TrendView::SetCaptions(const TrendCaptions &captions)
{
    names_ = captions.lines;
    for (std::size_t l = 0; l < stretches_.size(); ++l) {
        for (QLineSeries *series : stretches_[l])
            series->setName(names_[l]);
    }
    powerAxis_->setTitleText(captions.powerAxis);
    efficiencyAxis_->setTitleText(captions.efficiencyAxis);
    timeAxis_->setTitleText(captions.timeAxis);
}

std::vector<QList<QPointF>> TrendView::Stretches(TrendLine line) const
{
    std::vector<QList<QPointF>> drawn;
    for (const QLineSeries *series : stretches_[static_cast<std::size_t>(line)]) {
        if (series->count() > 0)
            drawn.push_back(series->points());
    }
    return drawn;
}

QStringList TrendView::LegendEntries() const
{
    QStringList entries;
    for (const QLegendMarker *marker : chart_->legend()->markers()) {
        if (marker->isVisible())
            entries.append(marker->label());
    }
    return entries;
}

} // namespace pv
