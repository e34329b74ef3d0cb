#include "controls.h"

#include <QPainter>

namespace pv {

QColor ColorFromBgr(std::uint32_t bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

std::uint32_t BgrFromColor(const QColor &color)
{
    return static_cast<std::uint32_t>(color.red()) | static_cast<std::uint32_t>(color.green()) << 8
           | static_cast<std::uint32_t>(color.blue()) << 16;
}

ShapeControl::ShapeControl(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ShapeControl::SetBackColor(std::uint32_t bgr)
{
    back_ = bgr;
    update();
}

void ShapeControl::SetBorderColor(std::uint32_t bgr)
{
    border_ = bgr;
    update();
}

void ShapeControl::SetFillColor(std::uint32_t bgr)
{
    fill_ = bgr;
    update();
}

void ShapeControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect r = rect().adjusted(0, 0, -1, -1);
    painter.fillRect(rect(), ColorFromBgr(back_));
    // The fill is drawn inside a one-pixel border, a little inset so both colours show.
    painter.fillRect(r.adjusted(2, 2, -1, -1), ColorFromBgr(fill_));
    painter.setPen(ColorFromBgr(border_));
    painter.drawRect(r);
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent) {}

void PictureBox::SetPicture(const QPixmap &picture)
{
    picture_ = picture;
    update();
}

void PictureBox::PaintPicture(const QPixmap &source, int xTwips, int yTwips, int widthTwips,
                              int heightTwips)
{
    if (canvas_.size() != size()) {
        QImage grown(size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
        grown.fill(Qt::transparent);
        QPainter(&grown).drawImage(0, 0, canvas_);
        canvas_ = grown;
    }
    QPainter painter(&canvas_);
    painter.setCompositionMode(QPainter::CompositionMode_Source); // a plain copy of the pixels
    painter.drawPixmap(QRect(Px(xTwips), Px(yTwips), Px(widthTwips), Px(heightTwips)), source);
    update();
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!picture_.isNull())
        painter.drawPixmap(0, 0, picture_);
    if (!canvas_.isNull())
        painter.drawImage(0, 0, canvas_);
}

DropList::DropList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

QString DropList::Text() const
{
    return currentIndex() >= 0 ? currentText() : placeholderText();
}

void DropList::SetText(const QString &text)
{
    setCurrentIndex(-1);
    setPlaceholderText(text);
}

OptionButton::OptionButton(QWidget *parent) : QRadioButton(parent)
{
    setAutoExclusive(false);
}

void OptionButton::SetValue(bool on)
{
    if (on) {
        for (OptionButton *sibling : siblings_) {
            if (sibling != this)
                sibling->setChecked(false);
        }
    }
    setChecked(on);
}

void PlaceTwips(QWidget *widget, int left, int top, int width, int height)
{
    widget->setGeometry(Px(left), Px(top), Px(width), Px(height));
}

int LeftTwips(const QWidget *widget)
{
    return Twips(widget->x());
}
int TopTwips(const QWidget *widget)
{
    return Twips(widget->y());
}
int WidthTwips(const QWidget *widget)
{
    return Twips(widget->width());
}
int HeightTwips(const QWidget *widget)
{
    return Twips(widget->height());
}
void SetLeftTwips(QWidget *widget, int left)
{
    widget->move(Px(left), widget->y());
}
void SetTopTwips(QWidget *widget, int top)
{
    widget->move(widget->x(), Px(top));
}
void SetWidthTwips(QWidget *widget, int width)
{
    widget->resize(Px(width), widget->height());
}
void SetHeightTwips(QWidget *widget, int height)
{
    widget->resize(widget->width(), Px(height));
}

} // namespace pv
