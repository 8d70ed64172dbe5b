#include "DialogAnswerer.h"

#include "support/GuiPump.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace k730::test {

TDialogAnswerer::TDialogAnswerer(QObject* owner) : timer_(new QTimer(owner)) {
    timer_->setInterval(5);
    QObject::connect(timer_, &QTimer::timeout, [this] { Look(); });
    timer_->start();
}

void TDialogAnswerer::Look() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || w->property("answered").toBool()) continue;
        auto* box = qobject_cast<TConfirmForm*>(w);
        const bool plain = box && box->metaObject() == &TConfirmForm::staticMetaObject;
        if (!plain) {
            if ((box || w->isModal()) && onOther && onOther(*w)) w->setProperty("answered", true);
            continue;
        }
        w->setProperty("answered", true);
        const std::string text =
            box->findChild<QLabel*>("LabelTxt")->text().replace("\n", "\r\n").toStdString();
        messages.push_back(text);
        const char* button = "BtnYes";
        for (const auto& [start, name] : buttons)
            if (text.rfind(start, 0) == 0) button = name;
        box->findChild<QPushButton*>(button)->click();
    }
}

bool TDialogAnswerer::Arrived(const std::string& start, std::chrono::milliseconds limit) const {
    return PumpUntil(
        [&] {
            return std::any_of(messages.begin(), messages.end(),
                               [&](const std::string& m) { return m.rfind(start, 0) == 0; });
        },
        limit);
}

} // namespace k730::test
