#include "support/Screenshot.h"

#include <QApplication>
#include <QDir>
#include <QWidget>

namespace k730::test {

void SaveScreenshot(QWidget& widget, const QString& name) {
    const QByteArray folder = qgetenv("K730_SCREENSHOTS");
    if (folder.isEmpty()) return;
    QDir().mkpath(QString::fromLocal8Bit(folder));
    widget.grab().save(QString::fromLocal8Bit(folder) + "/" + name + ".png");
}

void ShowAndSaveScreenshot(QWidget& widget, const QString& name) {
    if (qEnvironmentVariableIsEmpty("K730_SCREENSHOTS")) return;
    widget.show();
    QApplication::processEvents();
    SaveScreenshot(widget, name);
}

} // namespace k730::test
