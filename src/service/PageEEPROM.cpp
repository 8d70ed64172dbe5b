#include "service/PageEEPROM.h"
#include "service/ServicePageKit.h"

#include "main/K730Fun.h"
#include "service/FrameCheckBox.h"
#include "service/ServiceEdits.h"
#include "service/UnitValidMark.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>

#include <cstring>

namespace k730 {

using svcqt::Q;
using svcqt::S;
using svcqt::SetBoxText;

namespace {

// Marks and statuses come and go without moving the boxes beside them.
void KeepRoom(QWidget* w) {
    QSizePolicy policy = w->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    w->setSizePolicy(policy);
}

constexpr std::array<const char*, SVC_FIELD_COUNT> STATUS_NAMES = {
    "LabelStatusName",     "LabelStatusSN",      "LabelStatusYear",     "LabelStatusKind",
    "LabelStatusSpectral", "LabelStatusLumMode", "LabelStatusAngle",    "LabelStatusRange0",
    "LabelStatusRange1",   "LabelStatusRange2",  "LabelStatusDefRange", "LabelStatusConfig",
    "LabelStatusMeterVer"};

constexpr const char* PROGRAMMED = "zaprogramowane";
constexpr const char* NOT_PROGRAMMED_TEXT = "niezaprogramowane";

} // namespace

TPageEEPROM::TPageEEPROM(TIdentityProgrammer& rules, int language, QWidget* parent)
    : QWidget(parent), rules_(rules), lang_(language) {
    setObjectName("PageEEPROM");
    Build();
    Render();
}

QLineEdit* TPageEEPROM::AddEdit(const char* name, const QString& caption, int length) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setAccessibleName(caption);
    if (length > 0) {
        edit->setMaxLength(length);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance('0') * (length + 2) + 8);
    }
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::textEdited, this, [this, edit](const QString& text) { Edited(edit, text); });
    return edit;
}

void TPageEEPROM::AddRow(int row, const char* caption, QWidget* control, TSvcField field) {
    auto* grid = static_cast<QGridLayout*>(layout());
    if (caption) {
        auto* label = new QLabel(Q(caption), this);
        QString role = control->objectName();
        for (const char* prefix : {"Edit", "CB", "ChB", "Label", "Panel"})
            if (role.startsWith(prefix)) {
                role = role.mid(static_cast<int>(strlen(prefix)));
                break;
            }
        label->setObjectName("LabelStr" + role);
        label->setBuddy(control);
        grid->addWidget(label, row, 0);
    }
    grid->addWidget(control, row, 1, Qt::AlignLeft);
    auto* mark = new TValidMark(this);
    mark->setObjectName(QString("Mark") + QString(STATUS_NAMES[field]).mid(11));
    mark->setAccessibleName(control->accessibleName());
    marks_[field] = mark;
    KeepRoom(mark);
    grid->addWidget(mark, row, 2);
    auto* status = new QLabel(this);
    status->setObjectName(STATUS_NAMES[field]);
    status_[field] = status;
    status->setText(NOT_PROGRAMMED_TEXT);
    status->setMinimumWidth(status->sizeHint().width());
    KeepRoom(status);
    grid->addWidget(status, row, 3);
}

void TPageEEPROM::Build() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(5);
    grid->setColumnStretch(4, 1);

    labelMeterName_ = new QLabel(this);
    labelMeterName_->setObjectName("LabelMeterName");
    labelMeterName_->setTextFormat(Qt::PlainText); // a meter's "&" is shown as it is
    labelMeterName_->setAccessibleName("Nazwa miernika:");
    QFont bold = labelMeterName_->font();
    bold.setBold(true);
    labelMeterName_->setFont(bold);
    labelMeterName_->setMinimumWidth(
        labelMeterName_->fontMetrics().horizontalAdvance("K-730/V\"/19.999k/L12.5°/255/XXXXXXXX"));
    AddRow(0, "Nazwa miernika:", labelMeterName_, sfName);

    editSN_ = AddEdit("EditSN", "Numer seryjny:", SERIAL_BOX_LENGTH);
    AddRow(1, "Numer seryjny:", editSN_, sfSerial);
    editYear_ = AddEdit("EditYear", "Rok produkcji:", YEAR_BOX_LENGTH);
    AddRow(2, "Rok produkcji:", editYear_, sfYear);

    cbMeterKind_ = new QComboBox(this);
    cbMeterKind_->setObjectName("CBMeterKind");
    cbMeterKind_->setAccessibleName("Rodzaj miernika:");
    for (uint8_t kind = 1; kind <= KIND_COUNT; ++kind)
        cbMeterKind_->addItem(Q(MeterKindText(kind, lang_)));
    connect(cbMeterKind_, &QComboBox::activated, this, [this](int index) {
        rules_.ChooseKind(index);
        Render();
    });
    AddRow(3, "Rodzaj miernika:", cbMeterKind_, sfKind);

    cbSpectral_ = new QComboBox(this);
    cbSpectral_->setObjectName("CBSpectral");
    cbSpectral_->setAccessibleName("Czułość widmowa:");
    cbSpectral_->setEditable(true);
    cbSpectral_->setInsertPolicy(QComboBox::NoInsert);
    cbSpectral_->lineEdit()->setMaxLength(SPECTRAL_BOX_LENGTH);
    cbSpectral_->lineEdit()->setAccessibleName("Czułość widmowa:");
    cbSpectral_->setMinimumContentsLength(SPECTRAL_BOX_LENGTH);
    connect(cbSpectral_, &QComboBox::editTextChanged, this, [this](const QString& text) {
        if (rendering_) return;
        rules_.EditSpectral(S(text));
        Render();
    });
    AddRow(4, "Czułość widmowa:", cbSpectral_, sfSpectral);

    chbLumMode_ = new TFrameCheckBox(this);
    chbLumMode_->setObjectName("ChBLumMode");
    chbLumMode_->SetCaption("Pomiar luminancji:");
    chbLumMode_->OnChange = [this](TFrameCheckBox* box) {
        rules_.SwitchLumMode(box->Checked());
        Render();
    };
    AddRow(5, "Pomiar luminancji:", chbLumMode_, sfLumMode);

    auto* angleRow = new QWidget(this);
    angleRow->setObjectName("PanelAngle");
    angleRow->setAccessibleName("Pole pomiarowe:");
    auto* angleLayout = new QHBoxLayout(angleRow);
    angleLayout->setContentsMargins(0, 0, 0, 0);
    angleLayout->setSpacing(2);
    editAngle_ = AddEdit("EditAngle", "Pole pomiarowe:", ANGLE_BOX_LENGTH);
    editAngle_->setParent(angleRow);
    angleLayout->addWidget(editAngle_);
    const std::array<std::tuple<const char*, std::string_view, const char*>, 3> signs = {
        {{"BtnAngleDeg", SIGN_DEGREE, "Stopnie"},
         {"BtnAngleMin", SIGN_MINUTE, "Minuty"},
         {"BtnAngleSec", SIGN_SECOND, "Sekundy"}}};
    for (size_t i = 0; i < signs.size(); ++i) {
        const auto& [name, sign, tip] = signs[i];
        auto* button = new QToolButton(angleRow);
        button->setObjectName(name);
        button->setText(Q(sign));
        button->setToolTip(tip);
        button->setAccessibleName(tip);
        button->setFocusPolicy(Qt::NoFocus); // the caret stays in the box
        const std::string_view s = sign;
        connect(button, &QToolButton::clicked, this, [this, s] {
            const int caret = editAngle_->cursorPosition();
            rules_.AngleSign(s);
            Render();
            editAngle_->setCursorPosition(std::min(caret, static_cast<int>(editAngle_->text().size())));
        });
        btnAngle_[i] = button;
        angleLayout->addWidget(button);
    }
    AddRow(6, "Pole pomiarowe:", angleRow, sfAngle);

    BuildRanges(7);
    BuildConfig(10);

    editMeterVer_ = AddEdit("EditMeterVer", "Wersja przyrządu:", VERSION_BOX_LENGTH);
    AddRow(11, "Wersja przyrządu:", editMeterVer_, sfVersion);

    auto* buttons = new QHBoxLayout;
    btnProgram_ = new QPushButton("Programuj", this);
    btnProgram_->setObjectName("BtnProgram");
    btnProgram_->setAccessibleName("Programuj");
    btnTemplate_ = new QPushButton("Szablony", this);
    btnTemplate_->setObjectName("BtnTemplate");
    btnTemplate_->setAccessibleName("Szablony");
    connect(btnProgram_, &QPushButton::clicked, this, &TPageEEPROM::ProgramClicked);
    connect(btnTemplate_, &QPushButton::clicked, this, &TPageEEPROM::TemplateClicked);
    buttons->addWidget(btnProgram_);
    buttons->addWidget(btnTemplate_);
    buttons->addStretch(1);
    grid->setRowMinimumHeight(12, 6);
    grid->addLayout(buttons, 13, 0, 1, 5);
    grid->setRowStretch(14, 1);
}

void TPageEEPROM::BuildRanges(int firstRow) {
    for (int i = 0; i < 3; ++i) {
        auto* row = new QWidget(this);
        row->setObjectName(QString("PanelRange%1").arg(i));
        const QString caption = QString("Zakres pomiarowy: %1").arg(i + 1);
        row->setAccessibleName(caption);
        auto* h = new QHBoxLayout(row);
        h->setContentsMargins(0, 0, 0, 0);
        h->setSpacing(6);
        QLineEdit* edit = AddEdit(QString("EditRange%1").arg(i).toUtf8().constData(), caption, 0);
        edit->setParent(row);
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance("0000000000") + 8);
        editRange_[static_cast<size_t>(i)] = edit;
        h->addWidget(edit);
        auto* box = new TFrameCheckBox(row);
        box->setObjectName(QString("ChBDefRange%1").arg(i));
        box->SetCaption(QString("Zakres domyślny %1").arg(i + 1));
        box->OnChange = [this, i](TFrameCheckBox* b) {
            rules_.TickDefaultRange(i, b->Checked());
            Render();
        };
        chbDefault_[static_cast<size_t>(i)] = box;
        h->addWidget(box);
        if (i == 0) {
            auto* header = new QLabel("domyślny", row);
            header->setObjectName("LabelStrDefRange");
            h->addWidget(header);
            auto* mark = new TValidMark(row);
            mark->setObjectName("MarkDefRange");
            mark->setAccessibleName("Zakres domyślny");
            marks_[sfDefaultRange] = mark;
            KeepRoom(mark);
            h->addWidget(mark);
        }
        h->addStretch(1);
        AddRow(firstRow + i, i == 0 ? "Zakres pomiarowy:" : nullptr, row,
               static_cast<TSvcField>(sfRange0 + i));
    }
    status_[sfDefaultRange] = nullptr; // told by the range rows
}

void TPageEEPROM::BuildConfig(int row) {
    auto* panel = new QWidget(this);
    panel->setObjectName("PanelConfig");
    panel->setAccessibleName("Konfiguracja:");
    auto* g = new QGridLayout(panel);
    g->setContentsMargins(0, 0, 0, 0);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(0);
    for (int bit = 0; bit < 8; ++bit) {
        auto* caption = new QLabel(QString::number(bit), panel);
        caption->setObjectName(QString("LabelConfig%1").arg(bit));
        caption->setAlignment(Qt::AlignHCenter);
        labelConfigBit_[static_cast<size_t>(bit)] = caption;
        g->addWidget(caption, 0, bit, Qt::AlignHCenter);
        auto* box = new TFrameCheckBox(panel);
        box->setObjectName(QString("ChBConfig%1").arg(bit));
        box->SetCaption(QString("Konfiguracja: bit %1").arg(bit));
        box->OnChange = [this, bit](TFrameCheckBox* b) {
            rules_.SwitchConfigBit(bit, b->Checked());
            Render();
        };
        chbConfig_[static_cast<size_t>(bit)] = box;
        g->addWidget(box, 1, bit, Qt::AlignHCenter);
    }
    AddRow(row, "Konfiguracja:", panel, sfConfig);
}

bool TPageEEPROM::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit && event->type() == QEvent::FocusIn) enterText_[edit] = edit->text();
    if (edit && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && enterText_.contains(edit)) {
        // Escape gives the box back the text it had when it got the focus.
        edit->setText(enterText_.value(edit));
        Edited(edit, edit->text());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TPageEEPROM::Edited(QLineEdit* edit, const QString& text) {
    const std::string t = S(text);
    if (edit == editSN_)
        rules_.EditSerial(t);
    else if (edit == editYear_)
        rules_.EditYear(t);
    else if (edit == editAngle_)
        rules_.EditAngle(t);
    else if (edit == editMeterVer_)
        rules_.EditVersion(t);
    for (int i = 0; i < 3; ++i)
        if (edit == editRange_[static_cast<size_t>(i)]) rules_.EditRange(i, t);
    Render();
}

void TPageEEPROM::Render() {
    rendering_ = true;
    const TSettingsControls& c = rules_.Controls();
    labelMeterName_->setText(Q(rules_.ShownDescriptor()));
    SetBoxText(editSN_, c.serial);
    SetBoxText(editYear_, c.year);
    {
        const QSignalBlocker block(cbMeterKind_);
        cbMeterKind_->setCurrentIndex(c.kind);
    }
    {
        const QSignalBlocker block(cbSpectral_);
        QStringList items;
        for (const auto& item : rules_.SpectralItems())
            items << Q(item);
        QStringList shown;
        for (int i = 0; i < cbSpectral_->count(); ++i)
            shown << cbSpectral_->itemText(i);
        if (shown != items) {
            cbSpectral_->clear();
            cbSpectral_->addItems(items);
        }
        if (cbSpectral_->currentText() != Q(c.spectral)) cbSpectral_->setEditText(Q(c.spectral));
    }
    chbLumMode_->SetChecked(c.lumMode);
    SetBoxText(editAngle_, c.aperture);
    for (size_t i = 0; i < 3; ++i) {
        SetBoxText(editRange_[i], c.ranges[i]);
        chbDefault_[i]->SetChecked(c.defaultRange == static_cast<int>(i));
    }
    for (size_t bit = 0; bit < 8; ++bit)
        chbConfig_[bit]->SetChecked((c.config >> bit) & 1);
    SetBoxText(editMeterVer_, c.version);
    for (int f = sfName; f < SVC_FIELD_COUNT; ++f)
        RenderField(static_cast<TSvcField>(f));
    RenderEnabled();
    rendering_ = false;
}

void TPageEEPROM::RenderField(TSvcField field) {
    const TFieldState s = rules_.Field(field);
    if (QLabel* status = status_[field]) {
        status->setVisible(s.statusVisible);
        status->setText(s.programmed ? PROGRAMMED : NOT_PROGRAMMED_TEXT);
        QPalette pal = status->palette();
        pal.setColor(QPalette::WindowText,
                     s.programmed ? palette().color(QPalette::WindowText) : QColor(Qt::red));
        status->setPalette(pal);
        status->setAccessibleName(status->text());
    }
    if (TValidMark* mark = marks_[field]) {
        mark->setVisible(s.markVisible);
        mark->SetValid(s.valid);
        mark->SetUnknown(s.unknown);
    }
}

void TPageEEPROM::RenderEnabled() {
    const TSettingsEnabled e = rules_.Enabled();
    for (QWidget* w : std::initializer_list<QWidget*>{labelMeterName_, editSN_, editYear_, cbMeterKind_,
                                                      cbSpectral_, editMeterVer_})
        w->setEnabled(e.fields);
    for (size_t i = 0; i < 3; ++i) {
        editRange_[i]->setEnabled(e.fields);
        chbDefault_[i]->setEnabled(e.fields);
    }
    chbLumMode_->setEnabled(e.lumBox);
    editAngle_->setEnabled(e.angle);
    for (QToolButton* b : btnAngle_)
        b->setEnabled(e.angle);
    for (size_t bit = 0; bit < 8; ++bit) {
        chbConfig_[bit]->setEnabled(e.config);
        labelConfigBit_[bit]->setEnabled(e.config);
    }
    btnProgram_->setEnabled(e.program);
}

} // namespace k730
