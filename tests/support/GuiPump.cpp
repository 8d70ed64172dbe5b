#include "support/GuiPump.h"

#include "support/TestSupport.h"

#include <QApplication>

namespace k730::test {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    return WaitFor(
        [&] {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            return done();
        },
        limit);
}

} // namespace k730::test
