// The k730 program: chooses the language, loads the settings, creates the
// main window with the meter session behind it and runs the message loop.
#include "calibration/CalCommands.h"
#include "main/K730Main.h"
#include "main/K730Session.h"
#include "main/K730Settings.h"
#include "files/CalLogBackup.h"
#include "files/FileIo.h"
#include "resources/K730Bitmaps.h"
#include "ui/ConfBox.h"
#include "ui/QtSettingsStore.h"

#include <QApplication>
#include <QLocale>
#include <QStandardPaths>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("K730");
    QApplication::setOrganizationName("MERIDOX");
    QApplication::setWindowIcon(k730::K730ApplicationIcon());
    QGuiApplication::setDesktopFileName("pl.meridox.k730"); // the desktop entry the window belongs to

    k730::QtSettingsStore store;
    const uint32_t locale = k730::LocaleIdFromName(QLocale::system().name().toStdString());
    const int language = k730::ChooseLanguage(locale, store);
    k730::ConfSetLanguage(language);

    const auto documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString();
    k730::TProgramSettings settings = k730::DefaultSettings(documents);
    k730::LoadSettings(store, settings); // a missing or unreadable value keeps its default

    // The calibration history log and its backup live in the program's data
    // folder; a missing or damaged log is rebuilt from the backup before anything else.
    const auto userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString();
    const std::string dataFolder =
        k730::DataFolder({}, userData, QCoreApplication::applicationDirPath().toStdString());
    const std::string calLog = k730::CalHistoryPath(dataFolder);
    const std::string calBackup = k730::CalHistoryBackupPath(dataFolder);
    for (const std::string& path : {calLog, calBackup})
        if (k730::FileExists(path)) k730::SetReadOnly(path);
    const k730::TCalRestore restore = k730::RestoreCalLog(calLog, calBackup);
    if (!restore.message.Empty())
        k730::ConfMessage(nullptr, QString::fromStdString(restore.message(language)), "K730",
                          k730::ConfStyle(restore.message.style));

    k730::TMainForm form(language);
    k730::TMainSession session(form, store, settings, language);
    session.SetDataFolder(dataFolder);
    session.Calibration().SetLogPaths(calLog, calBackup);
    QObject::connect(&app, &QApplication::aboutToQuit, [&session, &calLog, &calBackup] {
        session.Close();
        k730::BackupCalLog(calLog, calBackup);
    });
    form.show();
    session.Start();
    return app.exec();
}
