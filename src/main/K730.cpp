// The k730 program: chooses the language, loads the settings, creates the
// main window with the meter session behind it and runs the message loop.
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/K730Settings.h"
#include "ui/ConfBox.h"
#include "ui/QtSettingsStore.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("K730");
    QApplication::setOrganizationName("MERIDOX");

    k730::QtSettingsStore store;
    const uint32_t locale = k730::LocaleIdFromName(QLocale::system().name().toStdString());
    const int language = k730::ChooseLanguage(locale, store);
    k730::ConfSetLanguage(language);

    const auto documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    k730::TProgramSettings settings = k730::DefaultSettings(documents);
    k730::LoadSettings(store, settings); // a missing or unreadable value keeps its default

    k730::TMainForm form(language);
    k730::TMainSession session(form, store, settings, language);
    QObject::connect(&app, &QApplication::aboutToQuit, [&session] { session.Close(); });
    form.show();
    session.Start();
    return app.exec();
}
