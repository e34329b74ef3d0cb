#include "form1_controls.h"

#include "form1_layout.h"
#include "settings/configuration.h"
#include "settings/grid_limit_checks.h"

#include <QPainter>
#include <QRadialGradient>

#include <tuple>

namespace pv {
namespace {

using namespace layout;

constexpr int MenuShapeTop = 120;
constexpr int MenuShapeHeight = 495;
constexpr int MenuLabelTop = 240;
constexpr int MenuLabelHeight = 255;
constexpr int MenuLabelInset = 90; // label Left minus shape Left

struct MenuPlace
{
    const char *caption;
    int labelLeft;
    int shapeLeft;
    int shapeWidth;
};

// Index order of Label16/Shape2; CALIBRATION (3) sits at the far right until the start-up
// switches move or hide it.
constexpr MenuPlace MenuPlaces[7] = {
    {"CONNECTION", 105, 0, 1890},
    {"CONFIGURATIONS", 2040, 1950, 2460},
    {"IDENTIFIERS", 4560, 4470, 1845},
    {"CALIBRATION", OuterSlotLabelLeft, OuterSlotShapeLeft, 1560},
    {"ABOUT", 6465, 6375, 1140},
    {"LANGUAGE", 7665, 7575, 1605},
    {"SELFTEST", InnerSlotLabelLeft, InnerSlotShapeLeft, 1395},
};

constexpr std::uint32_t MenuBlue = 0x400000;
constexpr std::uint32_t MenuText = 0xFFFFFF;

// Readings: five frames per row, two rows.
constexpr int ReadingsLeft = 120;
constexpr int ReadingPitchX = 2400;
constexpr int ReadingPitchY = 1140;
constexpr int ReadingWidth = 2280;
constexpr int ReadingHeight = 1050;
constexpr const char *ReadingCaptions[10] = {"InputA_V", "InputB_V", "DCBus", "AC_V", "AC_F",
                                             "InputA_C", "InputB_C", "AC_C",  "KWH",  "Efficiency"};

constexpr int ViewportLeft = 60;
constexpr int ScrollWidth = 255;

constexpr int FieldHeight = 315;
constexpr int CaptionHeight = 255;
constexpr int ButtonHeight = 435;

// The Line button sits in the free space of Frame1(0) right of Combo1 (which ends at 3480),
// level with it, inside the frame's 4500-twip width.
constexpr int LineButtonLeft = 3600;
constexpr int LineButtonTop = 390;
constexpr int LineButtonWidth = 780;

// Limits grid: design caption of each Label8 (GridLimitLabels tells which Text7 it stands by).
constexpr const char *LimitLabelCaptions[14] = {
    "Vmin_L1",
    "Vmax_L1",
    "Vmin_L2",
    "Vmax_L2",
    "Fmin(50HZ)",
    "Fmax(50HZ)",
    "Fmin(60HZ)",
    "Fmax(60HZ)",
    "Fmin_Disconnect time(>0)",
    "Fmax_Disconnect time",
    "Vmin_L1_Dicsonnect time",
    "Vmax_L1_Disconnect time",
    "Vmin_L2_Disconnect time",
    "Vmax_L2_Disconnect time",
};
// Limits grid rows: the limits on the left, their disconnect times on the right.
constexpr int LimitColumnLeft[2] = {240, 4500};
constexpr int LimitLabelWidth[2] = {2700, 3000};
constexpr int LimitRowTop = 300;
constexpr int LimitRowPitch = 405;
constexpr int LimitTextWidth = 1200;
constexpr int LimitColumn[14] = {0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 1, 1};
constexpr int LimitRow[14] = {0, 1, 2, 3, 0, 1, 2, 3, 4, 5, 6, 7, 4, 5};

constexpr int ConfigurationFrameHeight = 3000;
// Save, Load and Compare in equal parts of their row until the captions lay them out.
constexpr int FileButtonWidth = (FileButtonsRight - FileButtonsLeft - 2 * FileButtonGap) / 3;
constexpr int LimitsFrameHeight = 6000;
constexpr int NoteHeight = 300;

QLabel *MakeLabel(QWidget *parent, const QString &name, const QString &caption, int left, int top,
                  int width, int height = CaptionHeight)
{
    auto *label = MakeControl<QLabel>(parent, name, left, top, width, height);
    label->setText(caption);
    return label;
}

TextBox *MakeText(QWidget *parent, const QString &name, int maxLength, int left, int top, int width)
{
    auto *text = MakeControl<TextBox>(parent, name, left, top, width, FieldHeight);
    text->SetMaxLength(maxLength);
    return text;
}

QCheckBox *MakeCheck(QWidget *parent, const QString &name, const QString &caption, int left,
                     int top, int width)
{
    auto *check = MakeControl<QCheckBox>(parent, name, left, top, width, FieldHeight);
    check->setText(caption);
    return check;
}

QPushButton *MakeButton(QWidget *parent, const QString &name, const QString &caption, int left,
                        int top, int width)
{
    auto *button = MakeControl<QPushButton>(parent, name, left, top, width, ButtonHeight);
    button->setText(caption);
    return button;
}

QGroupBox *MakeFrame(QWidget *parent, const QString &name, const QString &caption, int left,
                     int top, int width, int height)
{
    auto *frame = MakeControl<QGroupBox>(parent, name, left, top, width, height);
    frame->setTitle(caption);
    return frame;
}

// A lamp is a shaded disc: light from the upper left, the full colour at the rim.
QPixmap LampPicture(int width, int height, const QColor &color)
{
    QPixmap picture(width, height);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc(1, 1, width - 2, height - 2);
    QRadialGradient shade(disc.center(), disc.width() / 2,
                          disc.topLeft() + QPointF(disc.width() * 0.35, disc.height() * 0.3));
    shade.setColorAt(0, color.lighter(190));
    shade.setColorAt(0.7, color);
    shade.setColorAt(1, color.darker(160));
    painter.setPen(QPen(color.darker(200), 1));
    painter.setBrush(shade);
    painter.drawEllipse(disc);
    return picture;
}

void BuildMenuStrip(QWidget *form, Form1Controls &ui)
{
    QFont menuFont = form->font();
    menuFont.setBold(true);
    for (int i = 0; i < 7; ++i) {
        const MenuPlace &place = MenuPlaces[i];
        // The shape first, so that its label lies above it.
        auto *shape = MakeControl<ShapeControl>(form, ArrayName("Shape2", i), place.shapeLeft,
                                                MenuShapeTop, place.shapeWidth, MenuShapeHeight);
        shape->SetBackColor(MenuBlue);
        shape->SetBorderColor(MenuBlue);
        shape->SetFillColor(MenuBlue);
        ui.Shape2[i] = shape;
    }
    for (int i = 0; i < 7; ++i) {
        const MenuPlace &place = MenuPlaces[i];
        auto *label = MakeLabel(form, ArrayName("Label16", i), QLatin1String(place.caption),
                                place.labelLeft, MenuLabelTop,
                                place.shapeWidth - 2 * MenuLabelInset, MenuLabelHeight);
        label->setAlignment(Qt::AlignCenter);
        label->setFont(menuFont);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ColorFromBgr(MenuText));
        label->setPalette(palette);
        label->setCursor(Qt::PointingHandCursor);
        ui.Label16[i] = label;
    }
}

void BuildReadings(QWidget *form, Form1Controls &ui)
{
    QFont valueFont = form->font();
    valueFont.setPointSize(14);
    valueFont.setBold(true);
    for (int i = 0; i < 10; ++i) {
        const int left = ReadingsLeft + (i % 5) * ReadingPitchX;
        const int top = ReadingsTop + (i / 5) * ReadingPitchY;
        auto *frame = MakeFrame(form, ArrayName("Frame2", i), QLatin1String(ReadingCaptions[i]),
                                left, top, ReadingWidth, ReadingHeight);
        auto *value = MakeLabel(frame, ArrayName("Label2", i), QStringLiteral("0"), 120, 360,
                                ReadingWidth - 240, 555);
        value->setAlignment(Qt::AlignCenter);
        value->setFont(valueFont);
        ui.Frame2[i] = frame;
        ui.Label2[i] = value;
    }
}

void BuildStatusStrip(QWidget *form, Form1Controls &ui)
{
    ui.Picture1 = MakeControl<PictureBox>(form, QStringLiteral("Picture1"), 120,
                                          StatusTopBelowReadings, 12060, 450);
    // The lamp is painted at the strip's origin, 400 twips square; the caption sits beside it.
    ui.Label1 = MakeLabel(ui.Picture1, QStringLiteral("Label1"), QString(), 480, 90, 11400, 285);

    // The two lamp images live in hidden boxes of their design sizes in pixels.
    ui.Picture2 = MakeControl<PictureBox>(form, QStringLiteral("Picture2"), 11400,
                                          StatusTopBelowReadings, Twips(40), Twips(38));
    ui.Picture2->SetPicture(LampPicture(40, 38, QColor(0x20, 0x60, 0xF0)));
    ui.Picture2->hide();
    ui.Picture3 = MakeControl<PictureBox>(form, QStringLiteral("Picture3"), 11400,
                                          StatusTopBelowReadings, Twips(32), Twips(32));
    ui.Picture3->SetPicture(LampPicture(32, 32, QColor(0xE0, 0x20, 0x20)));
    ui.Picture3->hide();
}

void BuildConnectionFrame(QWidget *viewport, Form1Controls &ui)
{
    auto *frame = MakeFrame(viewport, ArrayName("Frame1", 0), QStringLiteral("Connection Setting"),
                            60, 60, 4500, 1050);
    ui.Frame1[0] = frame;
    ui.Label3
        = MakeLabel(frame, QStringLiteral("Label3"), QStringLiteral("ComPort"), 240, 480, 1080);
    ui.Combo1
        = MakeControl<DropList>(frame, QStringLiteral("Combo1"), 1380, 450, 2100, FieldHeight);
    ui.CommandLine = MakeButton(frame, QStringLiteral("CommandLine"), QStringLiteral("Line"),
                                LineButtonLeft, LineButtonTop, LineButtonWidth);
}

void BuildConfigurationFrame(QWidget *viewport, Form1Controls &ui)
{
    auto *frame
        = MakeFrame(viewport, ArrayName("Frame1", 1), QStringLiteral("Configurations Setting"), 60,
                    0, 11880, ConfigurationFrameHeight);
    ui.Frame1[1] = frame;

    ui.Label10 = MakeLabel(
        frame, QStringLiteral("Label10"),
        QStringLiteral("If you want to write one of the value, please select the"), 240, 330, 5400);
    ui.Check3
        = MakeCheck(frame, QStringLiteral("Check3"), QStringLiteral("check box"), 5685, 300, 1500);

    ui.Check1[0] = MakeCheck(frame, ArrayName("Check1", 0), QStringLiteral("Sleep Power (0~20%)"),
                             240, 720, 2400);
    ui.Text5 = MakeText(frame, QStringLiteral("Text5"), SleepPowerTextLength, 2700, 720, 900);
    // Room for the translated captions, which run longer than the design's "KW".
    ui.Check1[1] = MakeCheck(frame, ArrayName("Check1", 1), QStringLiteral("KW"), 3720, 720, 1560);
    ui.Text6 = MakeText(frame, QStringLiteral("Text6"), RatedPowerTextLength, 5340, 720, 900);
    ui.Check1[3] = MakeCheck(frame, ArrayName("Check1", 3), QStringLiteral("Retry Time (1~600s)"),
                             6360, 720, 2280);
    ui.Text8 = MakeText(frame, QStringLiteral("Text8"), RetryTimeTextLength, 8700, 720, 900);
    ui.Check1[2]
        = MakeCheck(frame, ArrayName("Check1", 2), QStringLiteral("Country"), 240, 1170, 2400);
    ui.Combo2
        = MakeControl<DropList>(frame, QStringLiteral("Combo2"), 2700, 1170, 3150, FieldHeight);
    ui.Combo2->SetText(QStringLiteral("Country"));

    ui.Frame3 = MakeFrame(frame, QStringLiteral("Frame3"), QStringLiteral("DC Input"), 240, 1620,
                          2700, 900);
    ui.Option1[0] = MakeControl<OptionButton>(ui.Frame3, ArrayName("Option1", 0), 150, 390, 1200,
                                              FieldHeight);
    ui.Option1[0]->setText(QStringLiteral("Standard"));
    ui.Option1[1] = MakeControl<OptionButton>(ui.Frame3, ArrayName("Option1", 1), 1410, 390, 1200,
                                              FieldHeight);
    ui.Option1[1]->setText(QStringLiteral("Parallel"));
    ui.Frame4 = MakeFrame(frame, QStringLiteral("Frame4"), QStringLiteral("Communication"), 3120,
                          1620, 2490, 900);
    ui.Option2[0] = MakeControl<OptionButton>(ui.Frame4, ArrayName("Option2", 0), 150, 390, 1050,
                                              FieldHeight);
    ui.Option2[0]->setText(QStringLiteral("jbus"));
    ui.Option2[1] = MakeControl<OptionButton>(ui.Frame4, ArrayName("Option2", 1), 1260, 390, 1050,
                                              FieldHeight);
    ui.Option2[1]->setText(QStringLiteral("mbus"));
    for (auto *pair : {&ui.Option1, &ui.Option2}) {
        for (OptionButton *button : *pair)
            button->SetSiblings({(*pair)[0], (*pair)[1]});
    }

    // Flag box i stands for bit 7 - i of the flag byte.
    for (int i = 0; i < 8; ++i) {
        ui.Check2[i] = MakeCheck(frame, ArrayName("Check2", i), QStringLiteral("Bit %1").arg(7 - i),
                                 6120 + (i % 4) * 1200, 1170 + (i / 4) * 405, 1140);
    }

    ui.Command1[2]
        = MakeButton(frame, ArrayName("Command1", 2), QStringLiteral("Write"), 9000, 2100, 1215);
    ui.Command1[3]
        = MakeButton(frame, ArrayName("Command1", 3), QStringLiteral("Read"), 10365, 2100, 1215);

    // Configuration files, in the free space between the Communication frame and Write.
    int left = FileButtonsLeft;
    for (auto [button, name, caption] :
         {std::tuple{&ui.CommandSave, "CommandSave", "Save..."},
          std::tuple{&ui.CommandLoad, "CommandLoad", "Load..."},
          std::tuple{&ui.CommandCompare, "CommandCompare", "Compare..."}}) {
        *button = MakeButton(frame, QLatin1String(name), QLatin1String(caption), left,
                             FileButtonsTop, FileButtonWidth);
        left += FileButtonWidth + FileButtonGap;
    }
    ui.CommandReport
        = MakeButton(frame, QStringLiteral("CommandReport"), QStringLiteral("Report..."),
                     ReportButtonLeft, ReportButtonTop, ReportButtonRight - ReportButtonLeft);
}

void BuildIdentifiersFrame(QWidget *viewport, Form1Controls &ui)
{
    auto *frame = MakeFrame(viewport, ArrayName("Frame1", 2), QStringLiteral("Identifiers Setting"),
                            60, 60, 7200, 2340);
    ui.Frame1[2] = frame;
    constexpr int labelLeft = 240, textLeft = 1800, textWidth = 2400;
    ui.Label5
        = MakeLabel(frame, QStringLiteral("Label5"), QStringLiteral("ID"), labelLeft, 450, 1500);
    ui.Text1 = MakeText(frame, QStringLiteral("Text1"), 5, textLeft, 420, textWidth);
    ui.Label4
        = MakeLabel(frame, QStringLiteral("Label4"), QStringLiteral("KWH"), labelLeft, 870, 1500);
    ui.Text2 = MakeText(frame, QStringLiteral("Text2"), 10, textLeft, 840, textWidth);
    ui.Label6 = MakeLabel(frame, QStringLiteral("Label6"), QStringLiteral("Model Name"), labelLeft,
                          1290, 1500);
    ui.Text3 = MakeText(frame, QStringLiteral("Text3"), 10, textLeft, 1260, textWidth);
    ui.Label7 = MakeLabel(frame, QStringLiteral("Label7"), QStringLiteral("Company"), labelLeft,
                          1710, 1500);
    ui.Text4 = MakeText(frame, QStringLiteral("Text4"), 10, textLeft, 1680, textWidth);
    ui.Command1[0]
        = MakeButton(frame, ArrayName("Command1", 0), QStringLiteral("Write"), 4800, 420, 1335);
    ui.Command1[1]
        = MakeButton(frame, ArrayName("Command1", 1), QStringLiteral("Read"), 4800, 1020, 1335);
}

void BuildLimitsFrame(QWidget *viewport, Form1Controls &ui)
{
    auto *frame = MakeFrame(viewport, ArrayName("Frame1", 3), QString(), 60,
                            ConfigurationFrameHeight, 11880, LimitsFrameHeight);
    ui.Frame1[3] = frame;
    for (int i = 0; i < 14; ++i) {
        const int column = LimitColumn[i];
        const int top = LimitRowTop + LimitRow[i] * LimitRowPitch;
        const int labelIndex = GridLimitLabels[static_cast<std::size_t>(i)];
        ui.Label8[labelIndex] = MakeLabel(
            frame, ArrayName("Label8", labelIndex), QLatin1String(LimitLabelCaptions[labelIndex]),
            LimitColumnLeft[column], top + 30, LimitLabelWidth[column]);
        ui.Text7[i]
            = MakeText(frame, ArrayName("Text7", i), GridLimitEntryLength(i),
                       LimitColumnLeft[column] + LimitLabelWidth[column] + 60, top, LimitTextWidth);
    }
    const int noteTop = LimitsFrameHeight - NoteSpaceAtBottom;
    ui.Label11 = MakeLabel(frame, QStringLiteral("Label11"), QStringLiteral("(*)"), 240, noteTop,
                           11400, NoteHeight);
    ui.Picture5 = MakeControl<PictureBox>(frame, QStringLiteral("Picture5"), 240,
                                          noteTop + NoteHeight, 7200, 1800);
}

void BuildViewport(QWidget *form, Form1Controls &ui)
{
    const int width = FormWidth - ViewportLeft;
    ui.Picture4 = MakeControl<PictureBox>(form, QStringLiteral("Picture4"), ViewportLeft,
                                          ViewportTopBelowReadings, width, NormalViewportHeight);
    BuildConnectionFrame(ui.Picture4, ui);
    BuildConfigurationFrame(ui.Picture4, ui);
    BuildIdentifiersFrame(ui.Picture4, ui);
    BuildLimitsFrame(ui.Picture4, ui);
    BuildTrendControls(ui.Picture4, ui);
    BuildHistoryButton(ui.Picture4, ui);
    BuildPublishControls(ui.Picture4, ui);

    ui.VScroll1
        = MakeControl<QScrollBar>(ui.Picture4, QStringLiteral("VScroll1"), width - ScrollWidth, 0,
                                  ScrollWidth, NormalViewportHeight);
    ui.VScroll1->setOrientation(Qt::Vertical);
    ui.VScroll1->setRange(0, 400);
    ui.VScroll1->setSingleStep(10);
    ui.VScroll1->setPageStep(10);
    ui.VScroll1->setValue(0);
    ui.VScroll1->raise();
}

} // namespace

void BuildForm1Controls(QWidget *form, Form1Controls &ui)
{
    form->setObjectName(QStringLiteral("Form1"));
    form->resize(Px(FormWidth), Px(NormalWindowHeight));

    BuildMenuStrip(form, ui);
    BuildReadings(form, ui);
    BuildStatusStrip(form, ui);
    BuildViewport(form, ui);
}

} // namespace pv
