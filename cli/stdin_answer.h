#pragma once
// One line of standard input, awaited without holding the event loop: while the technician
// reads the question the session goes on polling, as it does behind the window's message box.

#include <QObject>
#include <QString>

class QSocketNotifier;

namespace pv::cli {

class StdinAnswer : public QObject
{
    Q_OBJECT
public:
    explicit StdinAnswer(QObject *parent = nullptr);
    ~StdinAnswer() override;

    // Reads the next line; Answered follows (with the line as far as it came at the end of the
    // input).
    void Await();

signals:
    void Answered(const QString &line);

private:
    void ReadAvailable();

    QSocketNotifier *notifier_ = nullptr;
    QByteArray line_;
};

// Whether an answer agrees: "y" or "yes", in any case, blanks around it allowed.
bool AnswerAgrees(const QString &line);

} // namespace pv::cli
