// main() of the test programs that build windows: one QApplication for the
// whole run (on the offscreen platform that the test registration sets).
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
