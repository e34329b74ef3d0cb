#pragma once

#include <QString>

class QWidget;

namespace pv {

// Modal message box with the text alone and an OK button.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const QString &text) = 0;
};

class QtMessageBox : public MessageSink
{
public:
    explicit QtMessageBox(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }
    void ShowMessage(const QString &text) override;

private:
    QWidget *parent_;
};

} // namespace pv
