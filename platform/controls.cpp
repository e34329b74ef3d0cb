#include "controls.h"

#include <QAbstractItemView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QValidator>
#include <QWheelEvent>

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

namespace {

// Refuses a user's edit that would make the text longer than the limit. Text set by the
// program does not pass through a validator, so it is shown whole; a user can still shorten
// such a text.
class LengthLimit : public QValidator
{
public:
    LengthLimit(const int &limit, QObject *parent) : QValidator(parent), limit_(limit) {}
    State validate(QString &input, int &) const override
    {
        return limit_ > 0 && input.size() > limit_ ? Invalid : Acceptable;
    }

private:
    const int &limit_;
};

} // namespace

TextBox::TextBox(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new LengthLimit(maxLength_, this));
}

void TextBox::SetMaxLength(int characters)
{
    maxLength_ = characters > 0 ? characters : 0;
}

DropList::DropList(QWidget *parent) : QComboBox(parent)
{
    setEditable(false);
}

void DropList::wheelEvent(QWheelEvent *event)
{
    if (view() != nullptr && view()->isVisible())
        QComboBox::wheelEvent(event);
    else
        event->ignore();
}

QString DropList::Text() const
{
    return currentIndex() >= 0 ? currentText() : placeholderText();
}

void DropList::SetText(const QString &text)
{
    // The text goes first: a list with no choice whose own text becomes empty chooses its first
    // entry by itself, and an emptied country list would then show (and send) a country.
    setPlaceholderText(text);
    setCurrentIndex(-1);
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

void InstallKeyFilter(QWidget *window, std::span<const FilteredControl> controls)
{
    auto *keys = new KeyFilter(window);
    for (const FilteredControl &filtered : controls)
        keys->Install(filtered.control, filtered.kind);
}

void KeyFilter::Install(QWidget *control, FilterKind kind)
{
    kinds_[control] = kind;
    control->installEventFilter(this);
    connect(control, &QObject::destroyed, this, [this](QObject *gone) { kinds_.erase(gone); });
}

namespace {

// Keys that move the cursor or edit an entry's text without typing into it.
bool MovesOrEdits(int key)
{
    switch (key) {
    case Qt::Key_Delete:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        return true;
    default:
        return false;
    }
}

} // namespace

bool KeyFilter::eventFilter(QObject *watched, QEvent *event)
{
    const auto found = kinds_.find(watched);
    if (found == kinds_.end())
        return QObject::eventFilter(watched, event);
    const FilterKind kind = found->second;
    const auto *line = qobject_cast<const QLineEdit *>(watched);
    const std::string text = line != nullptr ? line->text().toStdString() : std::string();

    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<const QKeyEvent *>(event);
        // Tab moves the focus before any entry sees it.
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)
            return false;
        const char32_t code = key->text().isEmpty() ? 0 : key->text().toUcs4().value(0);
        return !KeyPressAccepted(kind, {MovesOrEdits(key->key()), code}, text);
    }
    if (event->type() == QEvent::InputMethod) {
        // Text composed by an input method is typed too: every character of it must pass.
        const auto *input = static_cast<const QInputMethodEvent *>(event);
        std::string grown = text;
        for (const char32_t code : input->commitString().toUcs4()) {
            if (!KeyAccepted(kind, code, grown))
                return true;
            grown += QString::fromUcs4(&code, 1).toStdString();
        }
    }
    return false;
}

QString ArrayName(const char *name, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

void PlaceOnScreen(QWidget *window, ScreenPlacement placement)
{
    const QScreen *screen = window->screen();
    if (screen == nullptr)
        return;
    const QRect area = screen->geometry();
    const PixelPoint at = PlacedOnScreen({area.x(), area.y(), area.width(), area.height()},
                                         window->width(), window->height(), placement);
    window->move(at.left, at.top);
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
