#include "ui/LocaleSeparator.h"

#include <QLocale>

namespace k730 {

char LocaleDecimalSeparator() {
    const QString point = QLocale().decimalPoint(); // the system locale: the program never sets another
    if (point == QStringLiteral(",")) return ',';
    return '.';
}

} // namespace k730
