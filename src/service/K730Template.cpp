#include "service/K730Template.h"
#include "service/ServiceQt.h"

#include "main/K730Fun.h"
#include "main/K730Settings.h"
#include "service/TemplateCellDelegate.h"
#include "service/TemplateModel.h"
#include "service/ZAKTabSet.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace k730 {

using svcqt::Q;
using svcqt::S;

namespace {

constexpr int BUTTON_HEIGHT = 28;
constexpr int BUTTON_MARGIN = 6;

} // namespace

QString TFormTemplate::Caption(TTemplateMode mode) {
    switch (mode) {
    case tmOpen:
        return "K730 Otwórz szablon";
    case tmSave:
        return "K730 Zapisz szablon";
    default:
        return "K730 Szablony";
    }
}

TFormTemplate::TFormTemplate(TTemplateMode mode, std::string libraryPath, TTemplateRec record, int language,
                             char decimalSeparator, TProgramSettings* settings, QWidget* owner)
    : QDialog(owner), editor_(mode, std::move(libraryPath), std::move(record)), lang_(language),
      separator_(decimalSeparator), settings_(settings) {
    setObjectName("FormTemplate");
    setWindowTitle(Caption(mode));
    AskOverwrite = [this](const TFileMessage& q) {
        return ConfYesNo(this, Q(q.pl), "K730", MB_ICONQUESTION);
    };
    Tell = [this](const TFileMessage& m) { ConfMessage(this, Q(m.pl), "K730", ConfStyle(m.style)); };
    AskSave = [this](const QString& title) {
        return ConfYesNoDefault(this, "Zapisać zmiany?", title, MB_ICONQUESTION, 1);
    };
    BuildButtons();
    if (mode == tmSave)
        BuildSavePanel();
    else
        BuildEditPanel();
    // Centred over the window that asked, and kept inside the work area.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        const QRect over = owner ? owner->frameGeometry() : work;
        QRect r(QPoint(0, 0), size());
        r.moveCenter(over.center());
        r.moveLeft(std::clamp(r.left(), work.left(), std::max(work.left(), work.right() - r.width())));
        r.moveTop(std::clamp(r.top(), work.top(), std::max(work.top(), work.bottom() - r.height())));
        move(r.topLeft());
    }
}

TFormTemplate::~TFormTemplate() {
    if (editor_.Mode() != tmSave) StoreGeometry();
}

QPushButton* TFormTemplate::AddButton(const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setAccessibleName(caption);
    button->setAutoDefault(false);
    // One size for all: the widest caption, "Zamknij", with room for a glyph.
    const int width = 16 + fontMetrics().horizontalAdvance("Zamknij") + 2 * BUTTON_MARGIN + 12;
    button->setFixedSize(width, BUTTON_HEIGHT);
    return button;
}

void TFormTemplate::BuildButtons() {
    btnApply_ = AddButton("BtnApply", "Zastosuj");
    btnAdd_ = AddButton("BtnAdd", "Dodaj");
    btnDel_ = AddButton("BtnDel", "Usuń");
    btnRefresh_ = AddButton("BtnRefresh", "Odśwież");
    btnOpen_ = AddButton("BtnOpen", "Otwórz");
    btnSave_ = AddButton("BtnSave", "Zapisz");
    btnCancel_ = AddButton("BtnCancel", "Zamknij");
    connect(btnApply_, &QPushButton::clicked, this, &TFormTemplate::BtnApplyClick);
    connect(btnAdd_, &QPushButton::clicked, this, &TFormTemplate::BtnAddClick);
    connect(btnDel_, &QPushButton::clicked, this, &TFormTemplate::BtnDelClick);
    connect(btnRefresh_, &QPushButton::clicked, this, &TFormTemplate::BtnRefreshClick);
    connect(btnOpen_, &QPushButton::clicked, this, &TFormTemplate::BtnOpenClick);
    connect(btnSave_, &QPushButton::clicked, this, &TFormTemplate::BtnSaveClick);
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
}

// --- mode 1: naming the present settings -------------------------------------------

void TFormTemplate::BuildSavePanel() {
    panelSave_ = new QWidget(this);
    panelSave_->setObjectName("PanelSave");
    auto* grid = new QGridLayout(panelSave_);
    auto* strName = new QLabel("Nazwa miernika:", panelSave_);
    strName->setObjectName("LabelStrMeterName");
    labelMeterName_ = new QLabel(Q(editor_.Record().MeterName), panelSave_);
    labelMeterName_->setObjectName("LabelMeterName");
    labelMeterName_->setTextFormat(Qt::PlainText);
    labelMeterName_->setAccessibleName("Nazwa miernika:");
    QFont bold = labelMeterName_->font();
    bold.setBold(true);
    labelMeterName_->setFont(bold);
    auto* strUser = new QLabel("Nazwa użytkownika:", panelSave_);
    strUser->setObjectName("LabelStrUserName");
    editUserName_ = new QLineEdit(panelSave_);
    editUserName_->setObjectName("EditUserName");
    editUserName_->setAccessibleName("Nazwa użytkownika:");
    editUserName_->setMaxLength(static_cast<int>(USER_NAME_LENGTH));
    strUser->setBuddy(editUserName_);
    const int width = std::max({fontMetrics().averageCharWidth() * static_cast<int>(USER_NAME_LENGTH),
                                labelMeterName_->sizeHint().width(), 2 * btnSave_->width() + 8});
    editUserName_->setFixedWidth(width);
    grid->addWidget(strName, 0, 0);
    grid->addWidget(labelMeterName_, 0, 1);
    grid->addWidget(strUser, 1, 0);
    grid->addWidget(editUserName_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSave_);
    buttons->addWidget(btnCancel_);
    grid->addLayout(buttons, 2, 0, 1, 2);
    for (QPushButton* b : {btnApply_, btnAdd_, btnDel_, btnRefresh_, btnOpen_})
        b->hide();
    btnSave_->setDefault(true); // Enter in the name box saves

    auto* column = new QVBoxLayout(this);
    column->addWidget(panelSave_);
    connect(editUserName_, &QLineEdit::textChanged, this,
            [this](const QString& text) { editor_.EditUserName(text.toStdString()); });
    const TTemplateRec& r = editor_.Record();
    const std::string stored = TemplateUserName(editor_.LibraryPath(), r.MeterName, r.MeterKind);
    if (!stored.empty()) {
        editUserName_->setText(Q(stored));
        editUserName_->selectAll();
    }
    adjustSize();
    setFixedSize(size());
}

void TFormTemplate::BtnSaveClick() {
    if (editor_.Mode() == tmSave) {
        const TTemplateOutcome outcome =
            AddTemplateToLibrary(editor_.LibraryPath(), editor_.Record(), AskOverwrite);
        if (!outcome.message.Empty()) Tell(outcome.message);
        if (outcome.success) accept();
        return;
    }
    // A library that cannot be written stays modified, and the user is told.
    if (!editor_.Save()) Tell(MakeMessage({"Nie udało się zapisać pliku szablonów.", ""}, msWarning));
    Render();
}

// --- modes 0 and 2: the library ------------------------------------------------------

void TFormTemplate::BuildEditPanel() {
    const bool editing = editor_.Mode() == tmEdit;
    panelEdit_ = new QWidget(this);
    panelEdit_->setObjectName("PanelEdit");
    auto* column = new QVBoxLayout(panelEdit_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    pageControl_ = new QStackedWidget(panelEdit_);
    pageControl_->setObjectName("PageControl");
    auto* tabTemplate = new QWidget(pageControl_);
    tabTemplate->setObjectName("TabTemplate");
    auto* templateLayout = new QVBoxLayout(tabTemplate);
    templateLayout->setContentsMargins(0, 0, 0, 0);
    sgTemplate_ = new QTableView(tabTemplate);
    sgTemplate_->setObjectName("SGTemplate");
    sgTemplate_->setAccessibleName("Szablony");
    model_ = new TTemplateModel(editor_, lang_, separator_, sgTemplate_);
    sgTemplate_->setModel(model_);
    sgTemplate_->setItemDelegate(new TTemplateCellDelegate(sgTemplate_));
    sgTemplate_->setSelectionBehavior(QAbstractItemView::SelectRows);
    sgTemplate_->setSelectionMode(QAbstractItemView::SingleSelection);
    sgTemplate_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgTemplate_->verticalHeader()->hide();
    sgTemplate_->setShowGrid(false);
    sgTemplate_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    sgTemplate_->horizontalHeader()->setHighlightSections(false);
    sgTemplate_->horizontalHeader()->setAccessibleName("Kolumny szablonów");
    templateLayout->addWidget(sgTemplate_);
    pageControl_->addWidget(tabTemplate);
    auto* tabSpectral = new QWidget(pageControl_);
    tabSpectral->setObjectName("TabSpectral");
    pageControl_->addWidget(tabSpectral);
    if (editing) BuildSpectralPage(tabSpectral);
    column->addWidget(pageControl_, 1);

    tabSet_ = new TZAKTabSet(panelEdit_);
    tabSet_->setObjectName("TabSet");
    tabSet_->setAccessibleName("Strony edytora szablonów");
    tabSet_->SetAutoTabWidth(false);
    tabSet_->addTab("Szablony");
    tabSet_->addTab("Czułości widmowe");
    tabSet_->OnChanging = [this](int index) { return TabChanging(index); };
    connect(tabSet_, &QTabBar::currentChanged, this, &TFormTemplate::TabChanged);
    tabSet_->setVisible(editing);
    column->addWidget(tabSet_);

    panelBtn_ = new QWidget(this);
    panelBtn_->setObjectName("PanelBtn");
    auto* rows = new QVBoxLayout(panelBtn_);
    auto* nameRow = new QHBoxLayout;
    btnUp_ = new QToolButton(panelBtn_);
    btnUp_->setObjectName("BtnUp");
    btnUp_->setArrowType(Qt::UpArrow);
    btnUp_->setToolTip("W górę");
    btnUp_->setAccessibleName("W górę");
    btnDown_ = new QToolButton(panelBtn_);
    btnDown_->setObjectName("BtnDown");
    btnDown_->setArrowType(Qt::DownArrow);
    btnDown_->setToolTip("W dół");
    btnDown_->setAccessibleName("W dół");
    connect(btnUp_, &QToolButton::clicked, this, [this] {
        editor_.MoveUp();
        RebuildLists();
        Render();
    });
    connect(btnDown_, &QToolButton::clicked, this, [this] {
        editor_.MoveDown();
        RebuildLists();
        Render();
    });
    labelChangeName_ = new QLabel("Zmień nazwę użytkownika:", panelBtn_);
    labelChangeName_->setObjectName("LabelChangeName");
    editNewName_ = new QLineEdit(panelBtn_);
    editNewName_->setObjectName("EditNewName");
    labelChangeName_->setBuddy(editNewName_);
    connect(editNewName_, &QLineEdit::textEdited, this, [this](const QString& text) {
        editor_.EditNewName(text.toStdString());
        Render();
    });
    connect(editNewName_, &QLineEdit::returnPressed, this, [this] {
        if (btnApply_->isEnabled()) BtnApplyClick();
    });
    nameRow->addWidget(btnUp_);
    nameRow->addWidget(btnDown_);
    nameRow->addWidget(labelChangeName_);
    nameRow->addWidget(editNewName_, 1);
    nameRow->addWidget(btnApply_);
    auto* buttonRow = new QHBoxLayout;
    for (QPushButton* b : {btnAdd_, btnDel_, btnRefresh_})
        buttonRow->addWidget(b);
    buttonRow->addStretch(1);
    for (QPushButton* b : {btnOpen_, btnSave_, btnCancel_})
        buttonRow->addWidget(b);
    rows->addLayout(nameRow);
    rows->addLayout(buttonRow);
    if (!editing) {
        for (QWidget* w : std::initializer_list<QWidget*>{btnUp_, btnDown_, labelChangeName_, editNewName_,
                                                          btnApply_, btnAdd_, btnDel_, btnRefresh_, btnSave_})
            w->hide();
        btnOpen_->setDefault(true); // Enter chooses, when there is something to choose
    } else {
        btnOpen_->hide();
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(panelEdit_, 1);
    layout->addWidget(panelBtn_);

    connect(sgTemplate_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                editor_.SelectRow(current.row());
                Render();
            });
    connect(sgTemplate_, &QTableView::doubleClicked, this, [this] {
        if (btnOpen_->isVisible() && btnOpen_->isEnabled()) BtnOpenClick();
    });

    editor_.Refresh();
    RebuildGrid();
    RebuildLists();
    SizeColumns();
    SizeEditWindow();
    SelectGridRow(editor_.CurrentRow() >= 0 ? editor_.CurrentRow() : editor_.SelectedRow());
    tabSet_->setCurrentIndex(tpTemplates);
    Render();
}

void TFormTemplate::BuildSpectralPage(QWidget* page) {
    auto* grid = new QGridLayout(page);
    grid->setHorizontalSpacing(8);
    int widest = 0;
    for (size_t i = 0; i < 4; ++i) {
        auto* label = new QLabel(Q(MeterKindText(static_cast<uint8_t>(i + 1), lang_)) + ":", page);
        label->setObjectName(QString("LabelSpectral%1").arg(i));
        QFont bold = label->font();
        bold.setBold(true);
        label->setFont(bold);
        widest = std::max(widest, label->sizeHint().width());
        listLabels_[i] = label;
        auto* list = new QListWidget(page);
        list->setObjectName(QString("ListSpectral%1").arg(i));
        list->setAccessibleName(label->text());
        list->setFrameShape(QFrame::Box);
        list->installEventFilter(this);
        label->setBuddy(list);
        const int index = static_cast<int>(i);
        connect(list, &QListWidget::itemPressed, this, [this, index, list](QListWidgetItem* item) {
            editor_.ClickItem(index, list->row(item));
            Render();
        });
        connect(list, &QListWidget::currentRowChanged, this, [this, index](int row) {
            if (row >= 0 && editor_.SelectedItem(index) != row) {
                editor_.ClickItem(index, row);
                Render();
            }
        });
        lists_[i] = list;
        grid->addWidget(label, 0, index);
        grid->addWidget(list, 1, index);
    }
    for (size_t i = 0; i < 4; ++i) {
        listLabels_[i]->setFixedWidth(widest);
        lists_[i]->setFixedWidth(widest);
    }
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(1, 1);
}

} // namespace k730
