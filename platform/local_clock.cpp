#include "local_clock.h"

#include <QDateTime>

namespace pv {

LocalTime LocalTimeAt(std::int64_t msSinceEpoch)
{
    const QDateTime at = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    const QDate date = at.date();
    const QTime time = at.time();
    return LocalTime{date.year(),   date.month(),  date.day(),  time.hour(),
                     time.minute(), time.second(), time.msec(), at.offsetFromUtc() / 60};
}

} // namespace pv
