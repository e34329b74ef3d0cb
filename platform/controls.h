#pragma once
// Small widgets that stand in for the design's control kinds where Qt has no direct match:
// the rectangle shape behind a menu label, the picture box that is painted into, the text box
// whose maximum length binds the user but not the program, the drop-down list that shows a text
// of its own while nothing is chosen, and the option button whose group can be left with
// nothing selected.

#include "key_filter.h"
#include "screen_placement.h"
#include "twips.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QRgb>
#include <QWidget>

#include <map>
#include <span>

namespace pv {

// Colours of the design are 0x00BBGGRR values.
QColor ColorFromBgr(std::uint32_t bgr);
std::uint32_t BgrFromColor(const QColor &color);

// Rectangle with a back colour, a border colour and a fill colour (VB shape).
class ShapeControl : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeControl(QWidget *parent = nullptr);
    void SetBackColor(std::uint32_t bgr);
    void SetBorderColor(std::uint32_t bgr);
    void SetFillColor(std::uint32_t bgr);
    std::uint32_t BackColor() const { return back_; }
    std::uint32_t BorderColor() const { return border_; }
    std::uint32_t FillColor() const { return fill_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::uint32_t back_ = 0x400000, border_ = 0x400000, fill_ = 0x400000;
};

// A box that keeps a canvas: images are painted into it and stay until painted over.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);
    void SetPicture(const QPixmap &picture); // the picture the box holds (design image)
    const QPixmap &Picture() const { return picture_; }
    // Copies source scaled to (x, y, width, height), all in twips, onto the canvas.
    void PaintPicture(const QPixmap &source, int xTwips, int yTwips, int widthTwips,
                      int heightTwips);
    const QImage &Canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap picture_;
    QImage canvas_;
};

// Text box with a maximum length that limits what the user types or pastes; a text the program
// puts in is shown whole (QLineEdit's own limit would cut it, and a later write would send the
// cut value).
class TextBox : public QLineEdit
{
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);
    // Characters the user may bring the text up to; 0 means no limit.
    void SetMaxLength(int characters);
    int MaxLength() const { return maxLength_; }

private:
    int maxLength_ = 0;
};

// Drop-down list whose box shows a text of its own while no position is chosen (index -1).
// It is chosen from, not typed into or scrolled through: the mouse wheel moves it only while
// its list is dropped down (a stray notch over the port list would close a working port), and
// the window's key filter swallows character keys (the arrow keys still move it).
class DropList : public QComboBox
{
    Q_OBJECT
public:
    explicit DropList(QWidget *parent = nullptr);
    // The text in the box: the chosen entry's text, or the own text while none is chosen.
    QString Text() const;
    // Chooses no position and shows text in the box.
    void SetText(const QString &text);

protected:
    void wheelEvent(QWheelEvent *event) override;
};

// Option button that is exclusive within its control array only when chosen: setting it on
// turns its siblings off, and the whole group may be left with none on.
class OptionButton : public QRadioButton
{
    Q_OBJECT
public:
    explicit OptionButton(QWidget *parent = nullptr);
    void SetValue(bool on);
    bool Value() const { return isChecked(); }
    void SetSiblings(std::vector<OptionButton *> siblings) { siblings_ = std::move(siblings); }

protected:
    // A click chooses the button; clicking the chosen one leaves it chosen.
    void nextCheckState() override { SetValue(true); }

private:
    std::vector<OptionButton *> siblings_;
};

// An entry or list of a window and the keys it lets through.
struct FilteredControl
{
    QWidget *control;
    FilterKind kind;
};

// Gives every control of the list its filter kind, through one event filter that the window
// owns: a key press its kind rejects never reaches the control.
void InstallKeyFilter(QWidget *window, std::span<const FilteredControl> controls);

// The event filter InstallKeyFilter puts on a window's entries.
class KeyFilter : public QObject
{
    Q_OBJECT
public:
    explicit KeyFilter(QObject *parent = nullptr) : QObject(parent) {}
    void Install(QWidget *control, FilterKind kind);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::map<const QObject *, FilterKind> kinds_;
};

// Moves a window to where the design places it on the screen it is on (screen_placement.h).
void PlaceOnScreen(QWidget *window, ScreenPlacement placement);

// Places a widget at design twips (left, top, width, height).
void PlaceTwips(QWidget *widget, int left, int top, int width, int height);

// The object name of element index of a control array: "Text7(11)".
QString ArrayName(const char *name, int index);

// A control of kind W under its design name, placed at design twips.
template <typename W>
W *MakeControl(QWidget *parent, const QString &name, int left, int top, int width, int height)
{
    auto *widget = new W(parent);
    widget->setObjectName(name);
    PlaceTwips(widget, left, top, width, height);
    return widget;
}
int LeftTwips(const QWidget *widget);
int TopTwips(const QWidget *widget);
int WidthTwips(const QWidget *widget);
int HeightTwips(const QWidget *widget);
void SetLeftTwips(QWidget *widget, int left);
void SetTopTwips(QWidget *widget, int top);
void SetWidthTwips(QWidget *widget, int width);
void SetHeightTwips(QWidget *widget, int height);

} // namespace pv
