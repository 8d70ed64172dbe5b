// The one QApplication of a GUI test program, made on first use.
#pragma once

#include <QApplication>

namespace k730::test {

inline QApplication& UiApp() {
    static int argc = 1;
    static char name[] = "k730_test_ui";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

} // namespace k730::test
