#include "ui/AccessibleNames.h"

#include "ui/Mnemonics.h"

#include <QAbstractButton>
#include <QLabel>

namespace k730 {

namespace {

QString Shown(const QString& caption) {
    return QString::fromStdString(StripMnemonic(caption.toStdString()));
}

} // namespace

void ApplyAccessibleNames(QWidget* root) {
    if (!root) return;
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
        const QString name = button->text().isEmpty() ? button->toolTip() : button->text();
        if (!name.isEmpty()) button->setAccessibleName(Shown(name));
    }
    for (QLabel* label : root->findChildren<QLabel*>())
        if (QWidget* field = label->buddy(); field && !label->text().isEmpty())
            field->setAccessibleName(Shown(label->text()));
}

} // namespace k730
