// Window tests read the program's message boxes as an operator would: each
// one is kept as text and closed with its first button as soon as it shows.
// Header only: the tests that use it link the windows library.
#pragma once

#include "ui/ConfBox.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <string>
#include <type_traits>
#include <vector>

namespace k730::test {

// Starts reading; the timer lives as long as `owner`, the texts go to `texts`
// (std::string or QString).
template <typename Text> void ReadEveryMessage(QObject* owner, std::vector<Text>& texts) {
    auto* timer = new QTimer(owner);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [&texts] {
        auto* box = qobject_cast<TConfirmForm*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible()) return;
        const QString text = box->findChild<QLabel*>("LabelTxt")->text();
        if constexpr (std::is_same_v<Text, QString>)
            texts.push_back(text);
        else
            texts.push_back(text.toStdString());
        box->findChild<QPushButton*>("BtnYes")->click();
    });
    timer->start();
}

} // namespace k730::test
