#include "number_format.h"

#include <QLocale>

namespace pv {

NumberFormat SystemNumberFormat()
{
    const QLocale locale = QLocale::system();
    NumberFormat format;
    // The conversions work on single ASCII separators; a locale whose separator is anything
    // else (a narrow no-break space, for one) keeps the plain default.
    const QString point = locale.decimalPoint();
    const QString group = locale.groupSeparator();
    if (point.size() == 1 && point.at(0).unicode() < 0x80)
        format.decimalSeparator = static_cast<char>(point.at(0).unicode());
    if (group.size() == 1 && group.at(0).unicode() < 0x80)
        format.groupSeparator = static_cast<char>(group.at(0).unicode());
    return format;
}

} // namespace pv
