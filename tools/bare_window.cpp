// bare-window: the floor of a Qt Widgets program of the main window's size, for
// scripts/startup-bench.sh. One window of the main window's size with as many controls of the
// same kinds as the main window holds (40 labels, 21 line edits, 16 group boxes, 13 check boxes,
// 9 push buttons, 2 combo boxes, 4 option buttons, 1 scroll bar, 12 plain painted widgets and
// 1 chart of four lines over a time axis and two value axes: 119 in all), placed by hand as the
// main window places its own, and nothing else: no files, no database, no timers. Whatever the
// tool costs beyond this is its own doing.

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QValueAxis>
#include <QWidget>

#include <vector>

namespace {

// The main window's size in pixels (12300 x 7560 twips at 15 twips to a pixel).
constexpr int WindowWidth = 820;
constexpr int WindowHeight = 504;

constexpr int Labels = 40;
constexpr int LineEdits = 21;
constexpr int GroupBoxes = 16;
constexpr int CheckBoxes = 13;
constexpr int PushButtons = 9;
constexpr int OptionButtons = 4;
constexpr int PlainWidgets = 12;
constexpr int PortCount = 16;
constexpr int CountryCount = 4;

constexpr int ChartLines = 4;
constexpr int ChartPoints = 10;
constexpr int ChartWidth = 300;
constexpr int ChartHeight = 150;
constexpr qint64 ChartSpanMs = 10 * 60 * 1000;

constexpr int Columns = 4;
constexpr int ColumnWidth = WindowWidth / Columns;
constexpr int RowHeight = 22;
constexpr int GroupHeight = 5 * RowHeight;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare-window"));
    window.resize(WindowWidth, WindowHeight);

    // Group boxes in a grid, each holding a few of the other controls as the main window's frames
    // do; what does not fit in a group sits on the window itself.
    std::vector<QWidget *> parents;
    for (int i = 0; i < GroupBoxes; ++i) {
        auto *group = new QGroupBox(QStringLiteral("Group %1").arg(i), &window);
        group->setGeometry((i % Columns) * ColumnWidth + 4, (i / Columns) * (GroupHeight + 4) + 4,
                           ColumnWidth - 8, GroupHeight);
        parents.push_back(group);
    }
    std::vector<int> filled(parents.size(), 0);
    int next = 0;
    // Puts a control in the next group box, two to a row.
    const auto place = [&](QWidget *control) {
        const std::size_t group = next++ % parents.size();
        const int row = filled[group] / 2, column = filled[group] % 2;
        control->setParent(parents[group]);
        control->setGeometry(8 + column * ColumnWidth / 2, 18 + row * RowHeight,
                             ColumnWidth / 2 - 16, RowHeight - 2);
        ++filled[group];
    };

    for (int i = 0; i < Labels; ++i)
        place(new QLabel(QStringLiteral("Label %1").arg(i)));
    for (int i = 0; i < LineEdits; ++i) {
        auto *edit = new QLineEdit(QString::number(i * 1.5));
        edit->setMaxLength(10);
        place(edit);
    }
    for (int i = 0; i < CheckBoxes; ++i)
        place(new QCheckBox(QStringLiteral("Check %1").arg(i)));
    for (int i = 0; i < PushButtons; ++i)
        place(new QPushButton(QStringLiteral("Button %1").arg(i)));
    for (int i = 0; i < OptionButtons; ++i)
        place(new QRadioButton(QStringLiteral("Option %1").arg(i)));
    auto *ports = new QComboBox;
    for (int i = 1; i <= PortCount; ++i)
        ports->addItem(QStringLiteral("COM%1").arg(i));
    place(ports);
    auto *countries = new QComboBox;
    for (int i = 0; i < CountryCount; ++i)
        countries->addItem(QStringLiteral("Country %1").arg(i));
    place(countries);
    for (int i = 0; i < PlainWidgets; ++i) {
        auto *plain = new QWidget;
        plain->setAutoFillBackground(true);
        place(plain);
    }
    // The chart as the tool's trend has it: four lines on a clock-time axis and two value axes,
    // a few points each, not smoothed.
    auto *chart = new QChart;
    auto *time = new QDateTimeAxis;
    auto *left = new QValueAxis;
    auto *right = new QValueAxis;
    const qint64 endMs = QDateTime::currentMSecsSinceEpoch();
    time->setFormat(QStringLiteral("HH:mm"));
    time->setRange(QDateTime::fromMSecsSinceEpoch(endMs - ChartSpanMs),
                   QDateTime::fromMSecsSinceEpoch(endMs));
    left->setRange(0, ChartLines);
    right->setRange(0, 100);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(left, Qt::AlignLeft);
    chart->addAxis(right, Qt::AlignRight);
    for (int line = 0; line < ChartLines; ++line) {
        auto *series = new QLineSeries;
        series->setName(QStringLiteral("Line %1").arg(line));
        for (int i = 0; i < ChartPoints; ++i)
            series->append(static_cast<qreal>(endMs - ChartSpanMs + i * ChartSpanMs / ChartPoints),
                           line + 0.5);
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(line + 1 < ChartLines ? left : right);
    }
    auto *chartView = new QChartView(chart, &window);
    chartView->setGeometry(WindowWidth - ChartWidth - 24, WindowHeight - ChartHeight - 4,
                           ChartWidth, ChartHeight);

    auto *scroll = new QScrollBar(Qt::Vertical, &window);
    scroll->setGeometry(WindowWidth - 18, 0, 18, WindowHeight);

    window.show();
    return app.exec();
}
