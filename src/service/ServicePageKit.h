// Small builders shared by the service window's pages: named controls whose
// accessible name is their caption (or, for a box, its label's caption), and
// box texts set from the rules without jumping the caret.
#pragma once

#include "service/ServiceQt.h"

#include <QEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>
#include <string>

namespace k730::svcqt {

inline QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text = {}) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(text);
    return label;
}

inline QLineEdit* MakeEdit(QWidget* parent, const char* name, const QString& caption, int length = 0) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setAccessibleName(caption);
    if (length > 0) {
        edit->setMaxLength(length);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance('0') * (length + 2) + 10);
    }
    return edit;
}

inline QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    return button;
}

// The label's caption names the box it stands before.
inline QLabel* Caption(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    if (buddy)
        label->setObjectName("LabelStr" +
                             buddy->objectName().mid(buddy->objectName().startsWith("CB") ? 2 : 4));
    return label;
}

inline void SetBoxText(QLineEdit* edit, const std::string& text) {
    const QString q = Q(text);
    if (edit->text() == q) return;
    const int caret = edit->cursorPosition();
    edit->setText(q);
    edit->setCursorPosition(std::min(caret, static_cast<int>(q.size())));
}

inline void SetLabel(QLabel* label, const std::string& text) {
    label->setText(Q(text));
    label->setAccessibleName(Q(text));
}

// A box remembers its text when it gets the focus, and Escape brings that
// text back, handed to the rules as if typed.
class TEscapeRestore : public QObject {
public:
    using QObject::QObject;
    void Watch(QLineEdit* edit) { edit->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* edit = qobject_cast<QLineEdit*>(watched);
        if (!edit) return false;
        if (event->type() == QEvent::FocusIn) {
            entered_[edit] = edit->text();
        } else if (event->type() == QEvent::KeyPress &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && entered_.contains(edit)) {
            const QString text = entered_.value(edit);
            edit->setText(text);
            emit edit->textEdited(text);
            return true;
        }
        return false;
    }

private:
    QHash<QLineEdit*, QString> entered_;
};

} // namespace k730::svcqt
