// Every control a user can reach must carry an accessible name: screen
// readers and automated GUI checks find controls by it.
#pragma once

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

#include <string>

namespace k730::test {

// Object names of the shown controls under `root` that have no accessible
// name, joined by blanks (empty when all are named).
inline std::string UnnamedControls(const QWidget& root) {
    std::string unnamed;
    for (const QWidget* w : root.findChildren<QWidget*>()) {
        const bool control = qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
                             qobject_cast<const QComboBox*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
                             qobject_cast<const QAbstractItemView*>(w) ||
                             qobject_cast<const QAbstractSpinBox*>(w);
        // Parts of a composite control (a combo's line edit, a view's scroll buttons) go with it.
        const bool part = w->objectName().isEmpty() || w->objectName().startsWith("qt_");
        if (control && !part && w->isVisibleTo(&root) && w->accessibleName().isEmpty())
            unnamed += w->objectName().toStdString() + " ";
    }
    return unnamed;
}

} // namespace k730::test
