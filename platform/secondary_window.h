#pragma once
// A window opened modally over the main window (the calibration and the about window). What it
// took on loading it hands back in its unload, which runs once however the window closes: one
// of its buttons, the close box, or its opener ending it; later calls do nothing.

#include <QDialog>

namespace pv {

class SecondaryWindow : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;

    void Form_Unload();
    void done(int result) override;

protected:
    // The end of the window's Form_Load: from here on an unload is due.
    void MarkLoaded() { loaded_ = true; }
    // What the window's unload hands back.
    virtual void Unload() = 0;

private:
    bool loaded_ = false;
};

} // namespace pv
