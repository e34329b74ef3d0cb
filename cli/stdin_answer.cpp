#include "stdin_answer.h"

#include <QSocketNotifier>

#include <cstdio>
#include <iostream>
#include <string>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace pv::cli {

StdinAnswer::StdinAnswer(QObject *parent) : QObject(parent) {}

StdinAnswer::~StdinAnswer() = default;

void StdinAnswer::Await()
{
#ifdef Q_OS_UNIX
    line_.clear();
    if (notifier_ == nullptr) {
        notifier_ = new QSocketNotifier(STDIN_FILENO, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &StdinAnswer::ReadAvailable);
    }
    notifier_->setEnabled(true);
#else
    // A console handle cannot be watched by the event loop here: the answer is read at once.
    std::string line;
    std::getline(std::cin, line);
    emit Answered(QString::fromStdString(line));
#endif
}

void StdinAnswer::ReadAvailable()
{
#ifdef Q_OS_UNIX
    // Byte by byte, so that nothing after the line is taken from whoever reads on.
    char byte = 0;
    const auto got = ::read(STDIN_FILENO, &byte, 1);
    if (got == 1 && byte != '\n') {
        line_ += byte;
        return;
    }
    if (got < 0 && errno == EINTR)
        return;
    notifier_->setEnabled(false);
    emit Answered(QString::fromUtf8(line_));
#endif
}

bool AnswerAgrees(const QString &line)
{
    const QString answer = line.trimmed().toLower();
    return answer == QLatin1String("y") || answer == QLatin1String("yes");
}

} // namespace pv::cli
