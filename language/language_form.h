#pragma once
// The language picker: one picture button per language, each showing the language's own name.
// A click switches the language; the window stays open until the user closes it.

#include <QAbstractButton>
#include <QDialog>
#include <QPixmap>

#include <functional>
#include <map>

namespace pv {

class PictureBox;

// A button that is nothing but its picture.
class PictureButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit PictureButton(QWidget *parent = nullptr);
    void SetPicture(const QPixmap &picture);
    const QPixmap &Picture() const { return picture_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap picture_;
};

// The language's name as its picture shows it: in its own script when a font on this system
// can draw that script, otherwise in English. Empty for an index without a picture.
QString LanguagePictureName(int index);

class LanguageForm : public QDialog
{
    Q_OBJECT
public:
    // picked receives the Picture1 index (language number - 1).
    explicit LanguageForm(std::function<void(int index)> picked, QWidget *parent = nullptr);

    // Picture1(0..7, 10, 11); there are no pictures 8 and 9.
    const std::map<int, PictureButton *> &Picture1() const { return picture1_; }
    PictureBox *BackPic() const { return backPic_; }

    void Picture1_Click(int index);

private:
    std::function<void(int index)> picked_;
    std::map<int, PictureButton *> picture1_;
    PictureBox *backPic_ = nullptr;
};

} // namespace pv
