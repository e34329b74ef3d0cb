#include "form2_controls.h"

#include "calibration_frames.h"

#include "link/exchange_machine.h"

namespace pv {
namespace {

// Design geometry in twips. The window reads top to bottom as a technician works: the voltage
// points, the current readings with their gains, the AC current offset with the write and read
// buttons, then the row that will be written and the row that was read, column under column.
constexpr int FormWidth = 11160;
constexpr int FormHeight = 6600;
constexpr int Margin = 120;
constexpr int FieldHeight = 315;
constexpr int CaptionHeight = 255;
constexpr int ButtonHeight = 435;
constexpr int GroupWidth = FormWidth - 2 * Margin;

// Inside a reading frame: the column captions, then one or two rows of entries.
constexpr int HeaderTop = 270;
constexpr int FirstRowTop = 570;
constexpr int SecondRowTop = 990;
constexpr int CaptionDrop = 30; // a row caption sits a little lower than its entries

// Frame1(8): the four voltage frames.
constexpr int VoltageGroupTop = 60;
constexpr int GroupHeight = 1740;
constexpr int InnerFrameTop = 120;
constexpr int PointFrameWidth = 3360;
constexpr int PointFrameHeight = 1500;
constexpr int PointFrameLefts[2] = {120, 3600};
constexpr int PointRowLabelWidth = 540;
constexpr int PointColumnLefts[2] = {720, 2040}; // meter, LCD
constexpr int PointFieldWidth = 1200;
constexpr int MeterFrameLefts[2] = {7080, 9060}; // DC bus, AC voltage
constexpr int MeterFrameWidths[2] = {1860, 1740};

// Frame1(9): the three current frames and "calculate gain".
constexpr int CurrentGroupTop = 1920;
constexpr int CurrentFrameLefts[3] = {120, 3720, 7320};
constexpr int CurrentFrameWidth = 3480;
constexpr int CurrentFrameHeight = 1020;
constexpr int CurrentColumnLefts[3] = {120, 1200, 2280}; // meter, LCD, gain
constexpr int CurrentFieldWidth = 1020;
constexpr int CalculateLeft = 8760;
constexpr int CalculateTop = 1200;
constexpr int CalculateWidth = 2040;

// Frame1(7) and the write and read buttons beside it.
constexpr int OffsetFrameTop = 3780;
constexpr int OffsetFrameWidth = 4320;
constexpr int OffsetFrameHeight = 900;
constexpr int OffsetFieldTop = 360;
constexpr int OffsetFieldWidth = 1200;
constexpr int StepButtonLeft = 1380;
constexpr int StepButtonTops[2] = {300, 510}; // up above down
constexpr int StepButtonWidth = 360;
constexpr int StepButtonHeight = 210;
constexpr int OffsetWriteLeft = 1920;
constexpr int OffsetWriteWidth = 1500;
constexpr int ExchangeButtonTop = 4020;
constexpr int WriteButtonLeft = 6840;
constexpr int ReadButtonLeft = 9000;
constexpr int ExchangeButtonWidth = 1980;

// Frame1(10) and Frame1(11): one entry per column, Text1(k) under Text8(k).
constexpr int WriteRowTop = 4800;
constexpr int ReadRowTop = 5700;
constexpr int RowFrameHeight = 780;
constexpr int RowFieldTop = 330;
constexpr int ColumnPitch = 880;
constexpr int ColumnWidth = 800;

// Label1 by role, as the captions find them: the 150 and 300 rows and the meter and LCD
// columns of string A and string B, the meter captions of the DC bus and AC voltage, and the
// meter, LCD and gain columns of the three currents.
constexpr int PointLabels[2][4] = {{0, 1, 2, 3}, {7, 6, 5, 4}}; // 150, 300, meter, LCD
constexpr int MeterOnlyLabels[2] = {8, 9};
constexpr int CurrentLabels[3][3] = {{10, 11, 12}, {15, 14, 13}, {16, 17, 18}};

constexpr const char *FrameCaptions[12] = {"StringA Input Voltage",
                                           "StringB Input Voltage",
                                           "DCBus Voltage",
                                           "AC Voltage",
                                           "StringA Input Current",
                                           "StringB Input Current",
                                           "AC Current",
                                           "AC Current Offset",
                                           "",
                                           "",
                                           "Write Setting Data",
                                           "Read Setting Data"};
constexpr const char *PointCaptions[4] = {"150", "300", "Meter", "LCD"};
constexpr const char *CurrentCaptions[3] = {"meter", "LCD", "gain"};
constexpr const char *Text1DesignText = "128"; // but Text1(4), which starts empty

QLabel *MakeLabel(QWidget *parent, int index, const char *caption, int left, int top, int width)
{
    auto *label
        = MakeControl<QLabel>(parent, ArrayName("Label1", index), left, top, width, CaptionHeight);
    label->setText(QString::fromLatin1(caption));
    return label;
}

TextBox *MakeText(QWidget *parent, const QString &name, const std::string &text, int left, int top,
                  int width)
{
    auto *box = MakeControl<TextBox>(parent, name, left, top, width, FieldHeight);
    box->setText(QString::fromStdString(text));
    return box;
}

QGroupBox *MakeFrame(QWidget *parent, Form2Controls &ui, int index, int left, int top, int width,
                     int height)
{
    auto *frame
        = MakeControl<QGroupBox>(parent, ArrayName("Frame1", index), left, top, width, height);
    frame->setTitle(QString::fromLatin1(FrameCaptions[index]));
    ui.Frame1[static_cast<std::size_t>(index)] = frame;
    return frame;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const char *caption, int left, int top,
                        int width)
{
    auto *button = MakeControl<QPushButton>(parent, QString::fromLatin1(name), left, top, width,
                                            ButtonHeight);
    button->setText(QString::fromLatin1(caption));
    return button;
}

} // namespace

void BuildForm2Controls(QWidget *form, Form2Controls &ui)
{
    form->setFixedSize(Px(FormWidth), Px(FormHeight));
    const CalibrationTexts design = DesignCalibrationTexts();

    // Voltages: string A and string B at two points each, the DC bus and the AC meter voltage.
    QGroupBox *voltages = MakeFrame(form, ui, 8, Margin, VoltageGroupTop, GroupWidth, GroupHeight);
    for (int s = 0; s < 2; ++s) {
        QGroupBox *frame = MakeFrame(voltages, ui, s, PointFrameLefts[s], InnerFrameTop,
                                     PointFrameWidth, PointFrameHeight);
        const int *labels = PointLabels[s];
        ui.Label1[labels[0]] = MakeLabel(frame, labels[0], PointCaptions[0], Margin,
                                         FirstRowTop + CaptionDrop, PointRowLabelWidth);
        ui.Label1[labels[1]] = MakeLabel(frame, labels[1], PointCaptions[1], Margin,
                                         SecondRowTop + CaptionDrop, PointRowLabelWidth);
        for (int c = 0; c < 2; ++c)
            ui.Label1[labels[2 + c]] = MakeLabel(frame, labels[2 + c], PointCaptions[2 + c],
                                                 PointColumnLefts[c], HeaderTop, PointFieldWidth);
        // Meter lower, LCD lower, meter upper, LCD upper.
        for (int k = 0; k < 4; ++k) {
            const int left = PointColumnLefts[k % 2];
            const int top = k < 2 ? FirstRowTop : SecondRowTop;
            const std::string &text = s == 0 ? design.text3[k] : design.text4[k];
            TextBox *box = MakeText(frame, ArrayName(s == 0 ? "Text3" : "Text4", k), text, left,
                                    top, PointFieldWidth);
            (s == 0 ? ui.Text3[k] : ui.Text4[k]) = box;
        }
    }
    for (int m = 0; m < 2; ++m) {
        QGroupBox *frame = MakeFrame(voltages, ui, 2 + m, MeterFrameLefts[m], InnerFrameTop,
                                     MeterFrameWidths[m], PointFrameHeight);
        const int label = MeterOnlyLabels[m];
        ui.Label1[label]
            = MakeLabel(frame, label, PointCaptions[2], Margin, HeaderTop, PointFieldWidth);
        TextBox *box
            = MakeText(frame, QString::fromLatin1(m == 0 ? "Text5" : "Text6"),
                       m == 0 ? design.text5 : design.text6, Margin, FirstRowTop, PointFieldWidth);
        (m == 0 ? ui.Text5 : ui.Text6) = box;
    }

    // Currents: meter, LCD and the gain computed from them, for string A, string B and AC.
    QGroupBox *currents = MakeFrame(form, ui, 9, Margin, CurrentGroupTop, GroupWidth, GroupHeight);
    for (int c = 0; c < 3; ++c) {
        QGroupBox *frame = MakeFrame(currents, ui, 4 + c, CurrentFrameLefts[c], InnerFrameTop,
                                     CurrentFrameWidth, CurrentFrameHeight);
        for (int col = 0; col < 3; ++col) {
            const int label = CurrentLabels[c][col];
            ui.Label1[label] = MakeLabel(frame, label, CurrentCaptions[col],
                                         CurrentColumnLefts[col], HeaderTop, CurrentFieldWidth);
        }
        const int meter = FirstCurrentReading + 2 * c;
        for (int k : {meter, meter + 1})
            ui.Text3[k] = MakeText(frame, ArrayName("Text3", k), design.text3[k],
                                   CurrentColumnLefts[k - meter], FirstRowTop, CurrentFieldWidth);
        const int gainLeft = CurrentColumnLefts[2];
        if (c == 0)
            ui.Text3[CurrentGainIndex] = MakeText(frame, ArrayName("Text3", CurrentGainIndex),
                                                  design.text3[CurrentGainIndex], gainLeft,
                                                  FirstRowTop, CurrentFieldWidth);
        else if (c == 1)
            ui.Text4[CurrentGainIndex] = MakeText(frame, ArrayName("Text4", CurrentGainIndex),
                                                  design.text4[CurrentGainIndex], gainLeft,
                                                  FirstRowTop, CurrentFieldWidth);
        else
            ui.Text7 = MakeText(frame, QStringLiteral("Text7"), design.text7, gainLeft, FirstRowTop,
                                CurrentFieldWidth);
    }
    ui.Command4 = MakeButton(currents, "Command4", "calculate gain", CalculateLeft, CalculateTop,
                             CalculateWidth);

    // The AC current offset with its step buttons and its own write.
    QGroupBox *offset
        = MakeFrame(form, ui, 7, Margin, OffsetFrameTop, OffsetFrameWidth, OffsetFrameHeight);
    ui.Text2 = MakeText(offset, QStringLiteral("Text2"), design.text2, Margin, OffsetFieldTop,
                        OffsetFieldWidth);
    for (int i = 0; i < 2; ++i) {
        ui.Command3[i]
            = MakeControl<QToolButton>(offset, ArrayName("Command3", i), StepButtonLeft,
                                       StepButtonTops[i], StepButtonWidth, StepButtonHeight);
        ui.Command3[i]->setArrowType(i == 0 ? Qt::UpArrow : Qt::DownArrow);
    }
    ui.Command5 = MakeButton(offset, "Command5", "Write", OffsetWriteLeft, OffsetFieldTop - 60,
                             OffsetWriteWidth);
    ui.Command1 = MakeButton(form, "Command1", "write", WriteButtonLeft, ExchangeButtonTop,
                             ExchangeButtonWidth);
    ui.Command2 = MakeButton(form, "Command2", "read", ReadButtonLeft, ExchangeButtonTop,
                             ExchangeButtonWidth);

    // What will be written, and under each of its columns what was read.
    QGroupBox *writeRow = MakeFrame(form, ui, 10, Margin, WriteRowTop, GroupWidth, RowFrameHeight);
    QGroupBox *readRow = MakeFrame(form, ui, 11, Margin, ReadRowTop, GroupWidth, RowFrameHeight);
    for (int k = 0; k < Text1Count; ++k) {
        const int left = Margin + k * ColumnPitch;
        if (k < Text8Count)
            ui.Text8[k] = MakeText(writeRow, ArrayName("Text8", k), design.text8[k], left,
                                   RowFieldTop, ColumnWidth);
        ui.Text1[k] = MakeText(readRow, ArrayName("Text1", k),
                               k == UnusedReadBackIndex ? std::string() : Text1DesignText, left,
                               RowFieldTop, ColumnWidth);
    }

    ui.Timer1 = new QTimer(form);
    ui.Timer1->setObjectName(QStringLiteral("Timer1"));
    ui.Timer1->setInterval(ReadStepIntervalMs);
}

} // namespace pv
