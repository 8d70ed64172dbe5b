#include "ui/FileDialogs.h"

#include "files/K730Disk.h"
#include "ui/ConfBox.h"

#include <QFileDialog>

namespace k730 {
namespace {

// Closes only for a name the file-saving helpers accept.
class TSaveFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    QString chosen;

    void accept() override {
        const QString path = SaveDialogFileName(*this);
        // Questions over a file dialog are not centred over their owner.
        const bool centred = ConfCentreOverOwner();
        ConfSetCentreOverOwner(false);
        const bool ok = AcceptSaveTarget(path);
        ConfSetCentreOverOwner(centred);
        if (!ok) return;
        chosen = path;
        QFileDialog::accept();
    }
};

void Prepare(QFileDialog& dialog, const QString& filter, int filterIndex, const QString& folder) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = NameFilters(filter);
    dialog.setNameFilters(filters);
    if (filterIndex >= 1 && filterIndex <= filters.size()) dialog.selectNameFilter(filters[filterIndex - 1]);
    if (!folder.isEmpty()) dialog.setDirectory(folder);
}

} // namespace

QStringList NameFilters(const QString& pipeFilter) {
    const QStringList parts = pipeFilter.split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i];
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        if (!description.contains('(')) description += " (" + patterns + ")";
        filters << description;
    }
    return filters;
}

QString AskOpenFileName(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
                        const QString& folder) {
    QFileDialog dialog(owner, title);
    Prepare(dialog, filter, filterIndex, folder);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

QString AskSaveFileName(QWidget* owner, const QString& title, const QString& filter, int filterIndex,
                        const QString& folder, const QString& name) {
    TSaveFileDialog dialog(owner, title);
    Prepare(dialog, filter, filterIndex, folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (!name.isEmpty()) dialog.selectFile(name);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.chosen;
}

} // namespace k730
