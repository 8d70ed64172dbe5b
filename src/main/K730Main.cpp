#include "main/K730Main.h"

namespace k730 {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName("MainForm");
    setWindowTitle("K730");
    resize(480, 260);
}

} // namespace k730
