#include "search/UnitAutoCOM.h"

#include "comm/CommTexts.h"
#include "search/SearchTexts.h"
#include "ui/AccessibleNames.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace k730 {

namespace {

constexpr const char* APP_TITLE = "K730";
// The list is sized for the longest line a meter can give.
constexpr const char* SAMPLE_LINE = "COM000:  K-730/PAR/500M/L00°/000/00000000 0000/0000";
constexpr int COMPLETION_LIST_MARGIN = 12;

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

} // namespace

TFormAutoCom::TFormAutoCom(QWidget* owner, int language, TStopBits stopBits, TDataBits dataBits,
                           TParityBit parity, TBaudRate baud, TSearchCriteria& criteria)
    : QDialog(owner), lang_(language), initial_{baud, dataBits, parity, stopBits}, criteria_(criteria) {
    setObjectName("FormAutoCom");
    setWindowTitle(Q(SEARCH_CAPTION(lang_)) + "  " + APP_TITLE);
    PrepareCriteria(criteria_, initial_);
    CreateControls();
    CreateCriteriaPanel();
    CriteriaToBoxes();
    NameControls();
}

// Screen readers name the list by the line above it, which changes with the
// search, and the "..." button by its tooltip.
void TFormAutoCom::NameControls() {
    ApplyAccessibleNames(this);
    BtnCriteria->setAccessibleName(BtnCriteria->toolTip());
    if (LabelInfo->text().isEmpty()) ListPorts->setAccessibleName(Q(SEARCH_CAPTION(lang_)));
}

TFormAutoCom::~TFormAutoCom() = default; // the search closes and frees every port component

void TFormAutoCom::CreateControls() {
    LabelInfo = new QLabel(this);
    LabelInfo->setObjectName("LabelInfo");
    ListPorts = new QListWidget(this);
    ListPorts->setObjectName("ListPorts");
    LabelInfo->setBuddy(ListPorts);
    const int width = ListPorts->fontMetrics().horizontalAdvance(QString::fromUtf8(SAMPLE_LINE));
    ListPorts->setMinimumWidth(width + 2 * ListPorts->frameWidth() + COMPLETION_LIST_MARGIN +
                               style()->pixelMetric(QStyle::PM_ScrollBarExtent));
    ListPorts->setMinimumHeight(ListPorts->fontMetrics().height() * 8);
    connect(ListPorts, &QListWidget::itemDoubleClicked, this, [this] { ListPortsDoubleClicked(); });
    connect(ListPorts, &QListWidget::currentRowChanged, this, [this](int row) { ChooseRow(row); });

    BtnStop = new QPushButton(Q(SEARCH_STOP(lang_)), this);
    BtnStop->setObjectName("BtnStop");
    BtnStop->setDefault(true);
    connect(BtnStop, &QPushButton::clicked, this, [this] { BtnStopClick(); });
    BtnCriteria = new QToolButton(this);
    BtnCriteria->setObjectName("BtnCriteria");
    BtnCriteria->setText("...");
    BtnCriteria->setToolTip(Q(SEARCH_CRITERIA(lang_)).trimmed());
    BtnCriteria->setCheckable(true);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName("StatusBar");
    StatusBar->setSizeGripEnabled(false);
    StatusBar->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnCriteria);
    buttons->addStretch();
    buttons->addWidget(BtnStop);
    auto* main = new QVBoxLayout(this);
    main->addWidget(LabelInfo);
    main->addWidget(ListPorts, 1);
    main->addLayout(buttons);
    main->addWidget(StatusBar);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

void TFormAutoCom::CreateCriteriaPanel() {
    PanelCriteria = new QGroupBox(Q(SEARCH_CRITERIA(lang_)), this);
    PanelCriteria->setObjectName("PanelCriteria");
    auto* grid = new QGridLayout(PanelCriteria);
    auto addRow = [&](int row, const TText& title, auto& boxes, int first, int last, auto textOf) {
        grid->addWidget(new QLabel(Q(title(lang_)), PanelCriteria), row, 0);
        auto* line = new QHBoxLayout;
        for (int v = first; v <= last; ++v) {
            auto* box = new QCheckBox(textOf(v), PanelCriteria);
            box->setObjectName(QString("ChB%1%2").arg(row).arg(v));
            boxes.emplace_back(v, box);
            line->addWidget(box);
        }
        line->addStretch();
        grid->addLayout(line, row, 1);
    };
    addRow(0, SEARCH_BAUD, baudBoxes_, SEARCH_BAUD_MIN, SEARCH_BAUD_MAX,
           [](int v) { return QString::number(BaudValue(static_cast<TBaudRate>(v))); });
    addRow(1, SEARCH_PARITY, parityBoxes_, pbNone, pbSpace,
           [this](int v) { return Q(PARITY_NAMES[v](lang_)); });
    addRow(2, SEARCH_DATA_BITS, dataBoxes_, dbFour, dbEight, [](int v) { return Q(DATA_BIT_TEXTS[v]); });
    addRow(3, SEARCH_STOP_BITS, stopBoxes_, sbOne, sbTwo, [](int v) { return Q(STOP_BIT_TEXTS[v]); });

    auto* ok = new QPushButton(Q(SEARCH_OK(lang_)), PanelCriteria);
    ok->setObjectName("BtnCriteriaOK");
    auto* cancel = new QPushButton(Q(SEARCH_CANCEL(lang_)), PanelCriteria);
    cancel->setObjectName("BtnCriteriaCancel");
    auto* standard = new QPushButton(Q(SEARCH_DEFAULT(lang_)), PanelCriteria);
    standard->setObjectName("BtnCriteriaDefault");
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(standard);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 4, 0, 1, 2);
    connect(ok, &QPushButton::clicked, this, [this] { BtnCriteriaOKClick(); });
    connect(cancel, &QPushButton::clicked, this, [this] {
        CriteriaToBoxes();
        BtnCriteria->setChecked(false);
    });
    connect(standard, &QPushButton::clicked, this, [this] { BtnCriteriaDefaultClick(); });
    connect(BtnCriteria, &QToolButton::toggled, PanelCriteria, &QWidget::setVisible);

    static_cast<QVBoxLayout*>(layout())->insertWidget(3, PanelCriteria);
    PanelCriteria->hide();
}

// The boxes show the selected sets; values the search may not use stay disabled.
void TFormAutoCom::CriteriaToBoxes() {
    auto show = [](auto& boxes, const TSettingSet& allowed, const TSettingSet& selected) {
        for (auto& [value, box] : boxes) {
            box->setEnabled(allowed.Has(value));
            box->setChecked(selected.Has(value));
        }
    };
    show(baudBoxes_, criteria_.baudAllowed, criteria_.baudSelected);
    show(parityBoxes_, criteria_.parityAllowed, criteria_.paritySelected);
    show(dataBoxes_, criteria_.dataAllowed, criteria_.dataSelected);
    show(stopBoxes_, criteria_.stopAllowed, criteria_.stopSelected);
}

void TFormAutoCom::BoxesToCriteria() {
    auto take = [](const auto& boxes) {
        TSettingSet set;
        for (const auto& [value, box] : boxes)
            if (box->isChecked()) set.Add(value);
        return set;
    };
    criteria_.baudSelected = take(baudBoxes_);
    criteria_.paritySelected = take(parityBoxes_);
    criteria_.dataSelected = take(dataBoxes_);
    criteria_.stopSelected = take(stopBoxes_);
}

void TFormAutoCom::BtnCriteriaDefaultClick() {
    TSearchCriteria initial = criteria_;
    initial.baudSelected = initial.paritySelected = initial.dataSelected = initial.stopSelected = {};
    PrepareCriteria(initial, initial_);
    const TSearchCriteria kept = criteria_;
    criteria_ = initial;
    CriteriaToBoxes();
    criteria_ = kept; // the search takes the boxes when it starts
}

void TFormAutoCom::BtnCriteriaOKClick() {
    BtnCriteria->setChecked(false);
    if (search_ && !search_->Finished()) search_->Stop();
    search_.reset();
    StartSearch();
}

void TFormAutoCom::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (activated_) return;
    activated_ = true;
    QTimer::singleShot(0, this, [this] { StartSearch(); });
}

void TFormAutoCom::StartSearch() {
    BoxesToCriteria();
    choosing_ = false;
    choice_.clear();
    ListPorts->clear();
    StatusBar->hide();
    BtnStop->setText(Q(SEARCH_STOP(lang_)));
    BtnStop->setIcon(QIcon());

    TMeterSearch::TEvents events;
    events.onLineChanged = [this](size_t port) { LineChanged(port); };
    events.onFinished = [this](TSearchState result) { SearchFinished(result); };
    events.onPortStarted = [] { QApplication::processEvents(QEventLoop::ExcludeUserInputEvents); };
    events.lineFits = [this](const std::string& line) { return LineFits(line); };
    search_ = std::make_unique<TMeterSearch>(loop_, lang_, SearchValues(criteria_), std::move(events));
    if (search_->Start() == srNoPort) {
        FailWith(SEARCH_NO_PORT);
        return;
    }
    const auto& ports = search_->Ports();
    LabelInfo->setText(Q((ports.size() == 1 ? SEARCH_LOOKING_ONE : SEARCH_LOOKING_MANY)(lang_)));
    for (size_t i = 0; i < ports.size(); ++i)
        if (ListPorts->count() <= static_cast<int>(i))
            ListPorts->addItem(QString::fromStdString(ports[i].line));
    NameControls();
}

bool TFormAutoCom::LineFits(const std::string& line) const {
    return ListPorts->fontMetrics().horizontalAdvance(QString::fromStdString(line)) <=
           ListPorts->viewport()->width() - COMPLETION_LIST_MARGIN;
}

void TFormAutoCom::LineChanged(size_t port) {
    if (choosing_ || !search_) return;
    while (ListPorts->count() <= static_cast<int>(port))
        ListPorts->addItem(QString());
    const TSearchPort& p = search_->Ports()[port];
    ListPorts->item(static_cast<int>(port))->setText(QString::fromStdString(p.line));
    if (p.found) // the OK glyph tells that something was found; the caption stays "Stop"
        BtnStop->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
}

void TFormAutoCom::SearchFinished(TSearchState result) {
    if (result == srNothingFound) {
        FailWith(SEARCH_NOTHING_FOUND);
        return;
    }
    if (result == srOne) {
        EndWith(search_->FoundPorts().front());
        return;
    }
    ShowChoice();
}

void TFormAutoCom::ShowChoice() {
    choice_ = search_->FoundPorts();
    choosing_ = true;
    LabelInfo->setText(Q(SEARCH_SELECT(lang_)));
    BtnStop->setText(Q(SEARCH_OK(lang_)));
    BtnStop->setIcon(QIcon());
    ListPorts->blockSignals(true);
    ListPorts->clear();
    for (size_t port : choice_)
        ListPorts->addItem(QString::fromStdString(search_->FoundLine(port)));
    ListPorts->blockSignals(false);
    StatusBar->show();
    NameControls();
    ListPorts->setCurrentRow(0);
    ListPorts->setFocus();
}

void TFormAutoCom::ChooseRow(int row) {
    if (!choosing_ || row < 0 || row >= static_cast<int>(choice_.size())) return;
    const size_t port = choice_[static_cast<size_t>(row)];
    StatusBar->showMessage(QString::fromStdString(search_->ChoiceText(port)));
    resultPort_ = search_->Ports()[port].name;
    resultSettings_ = search_->Ports()[port].settings;
}

void TFormAutoCom::EndWith(size_t port) {
    resultPort_ = search_->Ports()[port].name;
    resultSettings_ = search_->Ports()[port].settings;
    accept();
}

void TFormAutoCom::FailWith(const TText& message) {
    hide();
    ConfMessage(parentWidget(), Q(message(lang_)), windowTitle(), MB_ICONWARNING);
    reject();
}

void TFormAutoCom::BtnStopClick() {
    if (choosing_) {
        if (!resultPort_.empty()) accept();
        return;
    }
    if (search_) search_->Stop(); // what was found so far is offered after the pause
}

void TFormAutoCom::ListPortsDoubleClicked() {
    if (choosing_ && !resultPort_.empty()) accept();
}

void TFormAutoCom::closeEvent(QCloseEvent* event) {
    resultPort_.clear();
    QDialog::closeEvent(event);
}

void TFormAutoCom::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) resultPort_.clear();
    QDialog::keyPressEvent(event);
}

} // namespace k730
