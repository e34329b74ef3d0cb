#include "form3.h"

#include "firmware_texts.h"

#include "language/caption_targets.h"
#include "language/language_table.h"
#include "link/inverter_data.h"
#include "platform/controls.h"

namespace pv {
namespace {

// Design geometry in twips: the heading above a frame with two rows, caption and value.
constexpr int FormWidth = 4800;
constexpr int FormHeight = 2400;
constexpr int Margin = 240;
constexpr int HeadingTop = 180;
constexpr int HeadingHeight = 360;
constexpr int FrameTop = 660;
constexpr int FrameWidth = FormWidth - 2 * Margin;
constexpr int FrameHeight = 1500;
constexpr int RowTops[2] = {420, 900}; // operating, certificate
constexpr int CaptionLeft = 240;
constexpr int CaptionWidth = 1680;
constexpr int ValueLeft = 2040;
constexpr int ValueWidth = 2040;
constexpr int RowHeight = 285;

constexpr int HeadingCaption = 14; // also the window's title
constexpr int FrameCaption = 100;
constexpr int CertificateCaption = 101;
constexpr int OperatingCaption = 102;

QLabel *MakeLabel(QWidget *parent, const char *name, const char *caption, int left, int top,
                  int width, int height = RowHeight)
{
    auto *label = MakeControl<QLabel>(parent, QString::fromLatin1(name), left, top, width, height);
    label->setText(QString::fromLatin1(caption));
    return label;
}

} // namespace

Form3::Form3(const Form3Services &services, QWidget *parent)
    : SecondaryWindow(parent), services_(services)
{
    setFixedSize(Px(FormWidth), Px(FormHeight));
    ui_.Label1 = MakeLabel(this, "Label1", "about", Margin, HeadingTop, FrameWidth, HeadingHeight);
    QFont heading = ui_.Label1->font();
    heading.setBold(true);
    ui_.Label1->setFont(heading);
    ui_.Frame1 = MakeControl<QGroupBox>(this, QStringLiteral("Frame1"), Margin, FrameTop,
                                        FrameWidth, FrameHeight);
    ui_.Frame1->setTitle(QStringLiteral("Firmware Version"));
    ui_.Label8
        = MakeLabel(ui_.Frame1, "Label8", "Operating", CaptionLeft, RowTops[0], CaptionWidth);
    ui_.Label2 = MakeLabel(ui_.Frame1, "Label2", "", ValueLeft, RowTops[0], ValueWidth);
    ui_.Label3
        = MakeLabel(ui_.Frame1, "Label3", "Certificate", CaptionLeft, RowTops[1], CaptionWidth);
    ui_.Label4 = MakeLabel(ui_.Frame1, "Label4", "", ValueLeft, RowTops[1], ValueWidth);
}

void Form3::Form_Load()
{
    services_.captionTargets.SelectCaptionTarget(2);
    ApplyCaptions();
    const InverterData &data = services_.data;
    const std::string &certificate = data.CertificateVersion();
    const bool shown = CertificateRowShown(data.CountryCode(), certificate);
    ui_.Label3->setVisible(shown);
    ui_.Label4->setVisible(shown);
    ui_.Label4->setText(QString::fromStdString(CertificateText(certificate)));
    ui_.Label2->setText(QString::fromStdString(data.OperatingVersion()));
    MarkLoaded();
}

void Form3::Unload()
{
    services_.captionTargets.SelectCaptionTarget(0);
}

void Form3::ApplyCaptions()
{
    if (!services_.captionTargets.About())
        return;
    const LanguageTable &texts = services_.texts;
    setWindowTitle(texts.Text(HeadingCaption));
    ui_.Label1->setText(texts.Text(HeadingCaption));
    ui_.Frame1->setTitle(texts.Text(FrameCaption));
    ui_.Label3->setText(texts.Text(CertificateCaption));
    ui_.Label8->setText(texts.Text(OperatingCaption));
}

} // namespace pv
