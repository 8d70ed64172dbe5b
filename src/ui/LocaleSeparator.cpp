#include "ui/LocaleSeparator.h"

#include <QLocale>

namespace k730 {

char LocaleDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point == QStringLiteral(",")) return ',';
    return '.';
}

} // namespace k730
