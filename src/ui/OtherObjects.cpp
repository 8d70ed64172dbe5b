#include "ui/OtherObjects.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace k730 {
namespace {

// The first character of a format that is not a letter or a quote.
char SeparatorOf(const QString& format, char fallback) {
    for (const QChar c : format)
        if (!c.isLetter() && c != '\'' && c != ' ' && c.toLatin1() != 0) return c.toLatin1();
    return fallback;
}

const char* const fieldNames[3] = {"EditDay", "EditMonth", "EditYear"};
const char* const fieldAccessible[3] = {"day", "month", "year"};
constexpr int fieldDigits[3] = {2, 2, 4};
constexpr int ARROW_WIDTH = 14;
constexpr int REPEAT_MS = 100;

} // namespace

char LocaleDateSeparator() {
    return SeparatorOf(QLocale::system().dateFormat(QLocale::ShortFormat), '-');
}

char LocaleTimeSeparator() {
    return SeparatorOf(QLocale::system().timeFormat(QLocale::ShortFormat), ':');
}

TZAKDateEdit::TZAKDateEdit(QWidget* parent) : QWidget(parent) {
    setObjectName("ZAKDateEdit");
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 1, 1);
    row->setSpacing(0);
    const QString separator = QString(QChar::fromLatin1(LocaleDateSeparator()));
    for (int i = 0; i < 3; ++i) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(fieldNames[i]);
        edit->setAccessibleName(fieldAccessible[i]);
        edit->setFrame(false);
        edit->setAlignment(Qt::AlignCenter);
        edit->setMaxLength(fieldDigits[i]);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QString(fieldDigits[i], '0')) + 6);
        edit->installEventFilter(this);
        fields_[i] = edit;
        row->addWidget(edit);
        if (i < 2) {
            separators_[i] = new QLabel(separator, this);
            row->addWidget(separators_[i]);
        }
    }
    row->addSpacing(2);
    auto* arrows = new QVBoxLayout;
    arrows->setSpacing(0);
    auto arrow = [this, arrows](const char* name, Qt::ArrowType type, int delta) {
        auto* b = new QToolButton(this);
        b->setObjectName(name);
        b->setArrowType(type);
        b->setToolTip(delta > 0 ? "+" : "-");
        b->setAccessibleName(b->toolTip());
        // The two arrows together are as high as a field.
        b->setFixedSize(ARROW_WIDTH, std::max(8, fields_[0]->sizeHint().height() / 2));
        b->setAutoRepeat(true);
        b->setAutoRepeatInterval(REPEAT_MS);
        b->setFocusPolicy(Qt::NoFocus);
        connect(b, &QToolButton::clicked, this, [this, delta] { Step(delta); });
        arrows->addWidget(b);
        return b;
    };
    up_ = arrow("BtnUp", Qt::UpArrow, 1);
    down_ = arrow("BtnDown", Qt::DownArrow, -1);
    row->addLayout(arrows);
    SetFrameVisible(true);
    value_ = DaysOfDateFields({});
    ShowValue();
}

TDateField TZAKDateEdit::FieldOf(QObject* object) const {
    for (int i = 0; i < 3; ++i)
        if (fields_[i] == object) return static_cast<TDateField>(i);
    return focused_;
}

void TZAKDateEdit::ShowValue() {
    const TDateFields f = DateFieldsOf(value_);
    const int values[3] = {f.day, f.month, f.year};
    for (int i = 0; i < 3; ++i)
        fields_[i]->setText(QString("%1").arg(values[i], fieldDigits[i], 10, QChar('0')));
}

void TZAKDateEdit::Apply(TDateFields fields) {
    const double days = LimitDate(DaysOfDateFields(ClampDateFields(fields)), minimum_, maximum_);
    const bool changed = days != value_;
    value_ = days;
    ShowValue();
    if (changed) emit Changed(value_);
}

void TZAKDateEdit::SetValue(double days) {
    Apply(DateFieldsOf(days));
}

void TZAKDateEdit::SetMinimum(double days) {
    minimum_ = days;
    Apply(DateFieldsOf(value_));
}

void TZAKDateEdit::SetMaximum(double days) {
    maximum_ = days;
    Apply(DateFieldsOf(value_));
}

bool TZAKDateEdit::TakeField(TDateField field) {
    bool ok = false;
    const int number = fields_[field]->text().toInt(&ok);
    if (!ok) {
        fields_[field]->setText(entryText_);
        QApplication::beep();
        return false;
    }
    TDateFields f = DateFieldsOf(value_);
    (field == dfDay ? f.day : field == dfMonth ? f.month : f.year) = number;
    Apply(f);
    return true;
}

void TZAKDateEdit::Step(int delta) {
    if (fields_[0]->isReadOnly()) return;
    TakeField(focused_);
    Apply(StepDateField(DateFieldsOf(value_), focused_, delta));
    fields_[focused_]->setFocus();
    entryText_ = fields_[focused_]->text();
}

bool TZAKDateEdit::eventFilter(QObject* watched, QEvent* event) {
    const TDateField field = FieldOf(watched);
    switch (event->type()) {
    case QEvent::FocusIn:
        focused_ = field;
        entryText_ = fields_[field]->text();
        break;
    case QEvent::FocusOut:
        TakeField(field);
        break;
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            fields_[field]->setText(entryText_);
            return true;
        }
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) {
            focused_ = field;
            Step(key->key() == Qt::Key_Up ? 1 : -1);
            return true;
        }
        // Only digits are typed; editing and moving keys pass.
        const QString text = key->text();
        if (!text.isEmpty() && text[0].isPrint() && !text[0].isDigit()) return true;
        break;
    }
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

void TZAKDateEdit::SetReadOnly(bool on) {
    for (QLineEdit* f : fields_)
        f->setReadOnly(on);
    up_->setEnabled(!on);
    down_->setEnabled(!on);
}

void TZAKDateEdit::SetValueVisible(bool on) {
    for (QLineEdit* f : fields_)
        f->setVisible(on);
    for (QLabel* s : separators_)
        s->setVisible(on);
}

void TZAKDateEdit::SetButtonsVisible(bool on) {
    up_->setVisible(on);
    down_->setVisible(on);
}

void TZAKDateEdit::SetFrameVisible(bool on) {
    setAutoFillBackground(on);
    setBackgroundRole(QPalette::Base);
    setStyleSheet(on ? "k730--TZAKDateEdit { border: 1px solid palette(mid); }" : QString());
    setAttribute(Qt::WA_StyledBackground, on);
}

void TZAKDateEdit::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange)
        setBackgroundRole(isEnabled() ? QPalette::Base : QPalette::Button);
    QWidget::changeEvent(event);
}

} // namespace k730
