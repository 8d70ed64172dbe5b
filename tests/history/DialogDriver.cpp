#include "history/DialogDriver.h"

#include "support/Screenshot.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

namespace k730::test {

TDialogDriver::TDialogDriver(QString shots) : shots_(std::move(shots)) {
    timer_.setInterval(5);
    connect(&timer_, &QTimer::timeout, this, &TDialogDriver::Poll);
    timer_.start();
}

void TDialogDriver::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    if (auto* box = qobject_cast<TConfirmForm*>(modal)) {
        texts.push_back(box->findChild<QLabel*>("LabelTxt")->text().toStdString());
        if (!shots_.isEmpty()) SaveScreenshot(*box, shots_ + "-" + QString::number(++shown_));
        if (auto* check = box->findChild<QCheckBox*>("CheckBox"); check && clearCheckBoxes)
            check->setChecked(false);
        const QString button = buttons.empty() ? QString("BtnYes") : buttons.front();
        if (!buttons.empty()) buttons.pop_front();
        box->findChild<QPushButton*>(button)->click();
    } else if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        if (files.empty()) return dialog->reject();
        dialog->selectFile(files.front());
        files.pop_front();
        static_cast<QDialog*>(dialog)->accept(); // the dialog's own checks run
    }
}

} // namespace k730::test
