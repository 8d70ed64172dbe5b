// TMainForm: the program's main window.
#pragma once

#include <QMainWindow>

namespace k730 {

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
};

} // namespace k730
