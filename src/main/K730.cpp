// The k730 program: creates the main window and runs the message loop.
#include "main/K730Main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("K730");
    QApplication::setOrganizationName("MERIDOX");
    k730::TMainForm form;
    form.show();
    return app.exec();
}
