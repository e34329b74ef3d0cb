#pragma once

#include <QString>

class QWidget;

namespace pv {

// Modal message box with the text alone and an OK button, or a question with Yes and No.
class MessageSink
{
public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const QString &text) = 0;
    // True for Yes. A sink that cannot put the question answers No: whatever waits for the
    // answer is then left undone.
    virtual bool Ask(const QString &text)
    {
        static_cast<void>(text);
        return false;
    }
};

class QtMessageBox : public MessageSink
{
public:
    explicit QtMessageBox(QWidget *parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget *parent) { parent_ = parent; }
    void ShowMessage(const QString &text) override;
    bool Ask(const QString &text) override;

private:
    // In front of the modal window when one is open, as every box of the tool.
    QWidget *Owner() const;

    QWidget *parent_;
};

} // namespace pv
