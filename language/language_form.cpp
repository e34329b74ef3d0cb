#include "language_form.h"

#include "platform/controls.h"

#include <QFontDatabase>
#include <QLinearGradient>
#include <QPainter>

#include <array>
#include <optional>

namespace pv {

namespace {

struct LanguagePicture
{
    int index;
    const char *ownName; // UTF-8, in the language's own script
    QFontDatabase::WritingSystem script;
    const char *englishName; // shown when no font can draw the script
};

constexpr std::array<LanguagePicture, 10> LanguagePictures{{
    {0, "English", QFontDatabase::Latin, "English"},
    {1, "繁體中文", QFontDatabase::TraditionalChinese, "Chinese (Traditional)"},
    {2, "Français", QFontDatabase::Latin, "French"},
    {3, "Español", QFontDatabase::Latin, "Spanish"},
    {4, "Português", QFontDatabase::Latin, "Portuguese"},
    {5, "Deutsch", QFontDatabase::Latin, "German"},
    {6, "Italiano", QFontDatabase::Latin, "Italian"},
    {7, "Nederlands", QFontDatabase::Latin, "Dutch"},
    {10, "简体中文", QFontDatabase::SimplifiedChinese, "Chinese (Simplified)"},
    {11, "한국어", QFontDatabase::Korean, "Korean"},
}};

// Geometry in twips: a background strip on the left, the pictures in two columns beside it.
constexpr int BackPicWidth = 600;
constexpr int Margin = 120;
constexpr int PictureWidth = 2400;
constexpr int PictureHeight = 600;
constexpr int PictureGap = 120;
constexpr int PictureRows = 5;

constexpr QRgb PictureBack = 0xFFF4F7FB;
constexpr QRgb PictureBorder = 0xFF1C3F6E;
constexpr QRgb PictureInk = 0xFF10203A;
constexpr QRgb StripTop = 0xFF1C3F6E;
constexpr QRgb StripBottom = 0xFF5B8FC7;

const LanguagePicture *FindPicture(int index)
{
    for (const auto &picture : LanguagePictures) {
        if (picture.index == index)
            return &picture;
    }
    return nullptr;
}

// A family that draws the script, or nothing when the system has none.
std::optional<QString> FamilyFor(QFontDatabase::WritingSystem script)
{
    if (script == QFontDatabase::Latin)
        return QString();
    const QStringList families = QFontDatabase::families(script);
    if (families.isEmpty())
        return std::nullopt;
    return families.front();
}

QPixmap RenderNamePicture(const QString &name, const QString &family, QSize size)
{
    QPixmap picture(size);
    picture.fill(QColor::fromRgba(PictureBack));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(QColor::fromRgba(PictureBorder));
    painter.drawRect(picture.rect().adjusted(0, 0, -1, -1));
    QFont font = painter.font();
    if (!family.isEmpty())
        font.setFamily(family);
    font.setPixelSize(size.height() / 2);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(QColor::fromRgba(PictureInk));
    painter.drawText(picture.rect(), Qt::AlignCenter, name);
    return picture;
}

QPixmap RenderStrip(QSize size)
{
    QPixmap strip(size);
    QPainter painter(&strip);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor::fromRgba(StripTop));
    gradient.setColorAt(1, QColor::fromRgba(StripBottom));
    painter.fillRect(strip.rect(), gradient);
    return strip;
}

} // namespace

PictureButton::PictureButton(QWidget *parent) : QAbstractButton(parent)
{
    setCursor(Qt::PointingHandCursor);
}

void PictureButton::SetPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
}

QSize PictureButton::sizeHint() const
{
    return picture_.isNull() ? QSize(Px(PictureWidth), Px(PictureHeight)) : picture_.size();
}

void PictureButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), picture_);
    if (isDown()) // a pressed picture looks pressed
        painter.fillRect(rect(), QColor(0, 0, 0, 40));
}

QString LanguagePictureName(int index)
{
    const LanguagePicture *picture = FindPicture(index);
    if (picture == nullptr)
        return QString();
    return FamilyFor(picture->script) ? QString::fromUtf8(picture->ownName)
                                      : QString::fromLatin1(picture->englishName);
}

LanguageForm::LanguageForm(std::function<void(int index)> picked, QWidget *parent)
    : QDialog(parent), picked_(std::move(picked))
{
    setObjectName(QStringLiteral("LanguageForm"));
    setWindowTitle(QStringLiteral("Language"));

    const int columnsLeft = BackPicWidth + Margin;
    const int height = 2 * Margin + PictureRows * PictureHeight + (PictureRows - 1) * PictureGap;
    const int width = columnsLeft + 2 * PictureWidth + PictureGap + Margin;
    resize(Px(width), Px(height));
    setFixedSize(size());

    backPic_ = new PictureBox(this);
    backPic_->setObjectName(QStringLiteral("BackPic"));
    PlaceTwips(backPic_, 0, 0, BackPicWidth, height);
    backPic_->SetPicture(RenderStrip(backPic_->size()));

    int slot = 0;
    for (const auto &language : LanguagePictures) {
        auto *button = new PictureButton(this);
        button->setObjectName(QStringLiteral("Picture1_%1").arg(language.index));
        const int column = slot / PictureRows;
        const int row = slot % PictureRows;
        PlaceTwips(button, columnsLeft + column * (PictureWidth + PictureGap),
                   Margin + row * (PictureHeight + PictureGap), PictureWidth, PictureHeight);
        const auto family = FamilyFor(language.script);
        button->SetPicture(RenderNamePicture(LanguagePictureName(language.index),
                                             family.value_or(QString()), button->size()));
        button->setToolTip(QString::fromLatin1(language.englishName));
        const int index = language.index;
        connect(button, &QAbstractButton::clicked, this, [this, index] { Picture1_Click(index); });
        picture1_[index] = button;
        ++slot;
    }
}

void LanguageForm::Picture1_Click(int index)
{
    if (picked_)
        picked_(index);
}

} // namespace pv
