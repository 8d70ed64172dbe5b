#include "support/GuiPump.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>

namespace k730::test {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return WaitFor(
        [&] {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            return done();
        },
        limit);
}

bool ChoosePort(QWidget& mainForm, const QString& name) {
    auto* device = mainForm.findChild<QComboBox*>("CBDevice");
    const int index = device ? device->findText(name) : -1;
    if (index <= 0) return false;
    device->setCurrentIndex(index);
    emit device->activated(index);
    return true;
}

} // namespace k730::test
