// The QApplication of a GUI test program (made by its main()).
#pragma once

#include <QApplication>

namespace k730::test {

inline QApplication& UiApp() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

} // namespace k730::test
