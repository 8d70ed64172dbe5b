// Answers the program's modal dialogs as a user would, as soon as they show:
// each confirmation dialog is read, pictured (K730_SCREENSHOTS) and closed
// with the next button asked for; each file dialog gets the next name.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <deque>
#include <string>
#include <vector>

namespace k730::test {

class TDialogDriver : public QObject {
public:
    // Pictures are saved as <shots>-<n>.png; an empty name saves none.
    explicit TDialogDriver(QString shots = {});

    std::vector<std::string> texts; // every question and message shown, in order
    std::deque<QString> buttons;    // for the next dialogs; "BtnYes" when empty
    std::deque<QString> files;      // names for the next file dialogs; cancelled when empty
    bool clearCheckBoxes = false;   // untick a dialog's check box before answering

private:
    void Poll();

    QString shots_;
    int shown_ = 0;
    QTimer timer_;
};

} // namespace k730::test
