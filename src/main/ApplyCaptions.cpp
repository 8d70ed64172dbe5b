// Captions by object name.
#include "main/ApplyCaptions.h"

#include "main/K730Captions.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QMenu>

namespace k730 {

namespace {

bool SetCaption(QObject* object, const QString& text) {
    if (auto* menu = qobject_cast<QMenu*>(object)) {
        menu->setTitle(text);
    } else if (auto* action = qobject_cast<QAction*>(object)) {
        action->setText(text);
    } else if (auto* label = qobject_cast<QLabel*>(object)) {
        label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(object)) {
        button->setText(text);
    } else {
        return false;
    }
    return true;
}

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

int ApplyCaptions(QObject* root, TLanguage lang) {
    if (!root) return 0;
    int count = 0;
    for (QObject* object : root->findChildren<QObject*>()) {
        const std::string name = object->objectName().toStdString();
        if (name.empty()) continue;
        const std::string_view caption =
            name == "MenuWWW" ? MakerWebCaption(lang) : MainWindowCaption(name, lang);
        if (!caption.empty() && SetCaption(object, Q(caption))) ++count;
    }
    return count;
}

} // namespace k730
