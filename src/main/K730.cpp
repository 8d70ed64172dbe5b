// The k730 program: creates the main window and runs the message loop.
#include "main/K730Main.h"

#include <QApplication>
#include <QLocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("K730");
    QApplication::setOrganizationName("MERIDOX");
    const int language =
        QLocale::system().language() == QLocale::Polish ? k730::langPolish : k730::langEnglish;
    k730::TMainForm form(language);
    form.show();
    return app.exec();
}
