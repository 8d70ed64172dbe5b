// main() of the test programs that build windows: one QApplication for the
// whole run, on the offscreen platform unless another one is asked for.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no display needed, same pixels everywhere
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
