#include "calibration/K730HistCAL.h"

#include "calibration/CalHistModel.h"
#include "calibration/CalSearchText.h"
#include "calibration/K730DateRange.h"
#include "files/DayCount.h"
#include "files/K730Disk.h"
#include "ui/ConfBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace k730 {
namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

constexpr TText captionText{"Historia kalibracji", "Calibration history log"};
constexpr TText searchText{"Szukaj", "Search"};
constexpr TText searchMeterText{"Szukaj podłączonego miernika", "Search connected meter"};
constexpr TText recordsText{"Wpisów:", "Records:"};
constexpr TText allMetersText{"Pokaż wszystkie mierniki", "View all meters"};
constexpr TText sameTypeText{"Pokaż mierniki tego samego typu", "View meters of the same type"};
constexpr TText oneMeterText{"Pokaż tylko ten miernik", "View this meter only"};
constexpr TText dateLimitText{"Ogranicz przedział czasowy:", "Limit time boundaries:"};
constexpr TText changeText{"Zmień...", "Change..."};
constexpr TText exportText{"Eksportuj", "Export"};
constexpr TText toTextFile{"Do pliku tekstowego", "To text file"};
constexpr TText toSpreadsheet{"Do pliku tekstowego arkusza kalkulacyjnego", "To spreadsheet text file"};
constexpr TText certificateText{"Świadectwo (PDF)…", "Certificate (PDF)…"};
constexpr TText programText{"Programuj", "Program"};
constexpr TText closeText{"Zamknij", "Close"};
constexpr TText commentText{"Komentarz:", "Comment:"};

constexpr int VISIBLE_ROWS = 10;

} // namespace

TFormHistCAL::TFormHistCAL(TCalHistoryHost host, QWidget* mainWindow)
    : QDialog(mainWindow), host_(std::move(host)), mainWindow_(mainWindow), history_(host_.format) {
    setObjectName("FormHistCAL");
    setWindowTitle(Q(captionText(host_.lang)));
    setSizeGripEnabled(true);
    exportFolder_ = host_.state && !host_.state->exportFolder.isEmpty() ? host_.state->exportFolder
                                                                        : host_.configuredExportFolder;
    history_.SetToday(host_.today ? host_.today() : NowDays());
    // Whatever could be read is shown, also from a damaged log.
    history_.SetRecords(ReadCalLog(host_.logPath).records);

    auto* column = new QVBoxLayout(this);
    BuildTop(column);
    BuildFilters(column);
    BuildGrid(column);
    BuildBottom(column);
    RBAllMeters->setChecked(true);
    Refilled();
    SizeColumns();
}

TFormHistCAL::~TFormHistCAL() {
    // The grid goes with the QDialog part; its selection must not call back then.
    disconnect(SGData->selectionModel(), nullptr, this, nullptr);
    if (!host_.state) return;
    if (!history_.LastSearch().empty()) host_.state->lastSearch = history_.LastSearch();
    for (int i = 0; i < CBSearch->count(); ++i) {
        const std::string text = CBSearch->itemText(i).toStdString();
        auto& list = host_.state->searchStrings;
        if (std::find(list.begin(), list.end(), text) == list.end()) list.push_back(text);
    }
}

QPushButton* TFormHistCAL::NewButton(const char* name, TText caption) {
    auto* button = new QPushButton(Q(caption(host_.lang)), this);
    button->setObjectName(name);
    button->setAccessibleName(button->text());
    button->setAutoDefault(false);
    return button;
}

void TFormHistCAL::BuildTop(QVBoxLayout* column) {
    auto* row = new QHBoxLayout;
    CBSearch = new QComboBox(this);
    CBSearch->setObjectName("CBSearch");
    CBSearch->setEditable(true);
    CBSearch->setInsertPolicy(QComboBox::NoInsert); // the window adds what was searched for
    CBSearch->setAccessibleName(Q(searchText(host_.lang)));
    CBSearch->setMinimumWidth(200);
    if (host_.state)
        for (const std::string& text : host_.state->searchStrings)
            CBSearch->addItem(QString::fromStdString(text));
    CBSearch->model()->sort(0);
    CBSearch->setCurrentIndex(-1);
    if (host_.state) CBSearch->setEditText(QString::fromStdString(host_.state->lastSearch));
    BtnSearch = NewButton("BtnSearch", searchText);
    BtnCurSearch = NewButton("BtnCurSearch", searchMeterText);
    connect(BtnSearch, &QPushButton::clicked, this, &TFormHistCAL::SearchClicked);
    connect(BtnCurSearch, &QPushButton::clicked, this, &TFormHistCAL::SearchMeterClicked);
    connect(CBSearch->lineEdit(), &QLineEdit::returnPressed, this, &TFormHistCAL::SearchClicked);
    connect(CBSearch, &QComboBox::editTextChanged, this, [this] { UpdateButtons(); });
    auto* info = new QLabel(Q(recordsText(host_.lang)), this);
    info->setObjectName("LabelInfo");
    LabelCount = new QLabel(this);
    LabelCount->setObjectName("LabelCount");
    row->addWidget(CBSearch, 1);
    row->addWidget(BtnSearch);
    row->addWidget(BtnCurSearch);
    row->addSpacing(16);
    row->addWidget(info);
    row->addWidget(LabelCount);
    column->addLayout(row);
}

void TFormHistCAL::BuildFilters(QVBoxLayout* column) {
    auto* row = new QHBoxLayout;
    auto radio = [this, row](const char* name, TText caption, TCalMeterFilter filter) {
        auto* rb = new QRadioButton(Q(caption(host_.lang)), this);
        rb->setObjectName(name);
        rb->setAccessibleName(rb->text());
        connect(rb, &QRadioButton::clicked, this, [this, filter] { MeterFilterClicked(filter); });
        row->addWidget(rb);
        return rb;
    };
    RBAllMeters = radio("RBAllMeters", allMetersText, cfAllMeters);
    RBAllSelMeters = radio("RBAllSelMeters", sameTypeText, cfSameType);
    RBOneMeter = radio("RBOneMeter", oneMeterText, cfOneMeter);
    row->addStretch();
    ChBDateRange = new QCheckBox(Q(dateLimitText(host_.lang)), this);
    ChBDateRange->setObjectName("ChBDateRange");
    ChBDateRange->setAccessibleName(ChBDateRange->text());
    connect(ChBDateRange, &QCheckBox::clicked, this, &TFormHistCAL::DateLimitClicked);
    LabelDateRange = new QLabel(this);
    LabelDateRange->setObjectName("LabelDateRange");
    BtnDateRange = NewButton("BtnDateRange", changeText);
    connect(BtnDateRange, &QPushButton::clicked, this, &TFormHistCAL::ChangeDateRange);
    row->addWidget(ChBDateRange);
    row->addWidget(LabelDateRange);
    row->addWidget(BtnDateRange);
    column->addLayout(row);
}

void TFormHistCAL::BuildGrid(QVBoxLayout* column) {
    model_ = new TCalHistModel(history_, host_.lang, this);
    SGData = new QTableView(this);
    SGData->setObjectName("SGData");
    SGData->setAccessibleName(Q(captionText(host_.lang)));
    SGData->setModel(model_);
    SGData->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGData->setSelectionMode(QAbstractItemView::SingleSelection);
    SGData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGData->setWordWrap(false);
    SGData->verticalHeader()->hide();
    // Every row two text lines high: fixed, so that no row is ever measured.
    SGData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SGData->verticalHeader()->setDefaultSectionSize(2 * SGData->fontMetrics().height() + 5);
    SGData->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SGData->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    SGData->installEventFilter(this);
    connect(SGData->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (!syncing_) RowClicked(current.row());
            });
    column->addWidget(SGData, 1);
    auto* label = new QLabel(Q(commentText(host_.lang)), this);
    label->setObjectName("LabelComment");
    MemoComment = new QPlainTextEdit(this);
    MemoComment->setObjectName("MemoComment");
    MemoComment->setAccessibleName(label->text());
    MemoComment->setReadOnly(true);
    MemoComment->setFixedHeight(3 * MemoComment->fontMetrics().lineSpacing() + 12);
    column->addWidget(label);
    column->addWidget(MemoComment);
}

void TFormHistCAL::BuildBottom(QVBoxLayout* column) {
    auto* row = new QHBoxLayout;
    BtnExport = NewButton("BtnExport", exportText);
    MenuExport = new QMenu(this);
    MenuExport->setObjectName("MenuExport");
    QAction* text = MenuExport->addAction(Q(toTextFile(host_.lang)));
    text->setObjectName("MenuText");
    QAction* sheet = MenuExport->addAction(Q(toSpreadsheet(host_.lang)));
    sheet->setObjectName("MenuSpreadSheet");
    connect(text, &QAction::triggered, this, &TFormHistCAL::ExportText);
    connect(sheet, &QAction::triggered, this, &TFormHistCAL::ExportSpreadsheet);
    connect(BtnExport, &QPushButton::clicked, this,
            [this] { MenuExport->popup(BtnExport->mapToGlobal(QPoint(0, BtnExport->height()))); });
    BtnCertificate = NewButton("BtnCertificate", certificateText);
    connect(BtnCertificate, &QPushButton::clicked, this, &TFormHistCAL::CertificateClicked);
    BtnSet = NewButton("BtnSet", programText);
    connect(BtnSet, &QPushButton::clicked, this, &TFormHistCAL::ProgramClicked);
    BtnCancel = NewButton("BtnCancel", closeText);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    row->addWidget(BtnExport);
    row->addWidget(BtnCertificate);
    row->addStretch();
    row->addWidget(BtnSet);
    row->addWidget(BtnCancel);
    column->addLayout(row);
}

// Widths from the header lines (in the header's font) and from texts every row could hold.
void TFormHistCAL::SizeColumns() {
    const QFontMetrics cells = SGData->fontMetrics();
    // Header sections of the selected row's columns are drawn in bold.
    QFont bold = SGData->horizontalHeader()->font();
    bold.setBold(true);
    const QFontMetrics header(bold);
    const int margin = 2 * SGData->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 20;
    const TCalTextFormat& f = host_.format;
    TCalLogRecord zero;
    zero.CalDateTime = host_.today ? host_.today() : NowDays();
    TCalLogRecord hot = zero;
    hot.CalTempCode = 0xFFFF;
    QStringList samples[CAL_GRID_COLUMNS] = {{QString::number(history_.Records().size()) + "."},
                                             {Q(CalDateTimeText(zero, f))},
                                             {},
                                             {Q(Cal4mAText(zero))},
                                             {Q(CalLoopText(zero, f))},
                                             {Q(CalResultText(zero, f))},
                                             {Q(CalTempText(zero, f)) + "°C", Q(CalTempText(hot, f)) + "°C"}};
    // The descriptors are as wide as the meters made them: a sample of the first records.
    for (size_t i = 0; i < std::min<size_t>(history_.Records().size(), 1000); ++i)
        samples[2] << QString::fromStdString(history_.Records()[i].MeterType);
    for (int c = 0; c < static_cast<int>(CAL_GRID_COLUMNS); ++c) {
        int width = 0;
        for (const QString& t : samples[c])
            width = std::max(width, cells.horizontalAdvance(t));
        width += margin;
        const int headerMargin = 2 * SGData->style()->pixelMetric(QStyle::PM_HeaderMargin) + 16;
        for (const QString& t : TCalHistModel::HeaderText(c, host_.lang).split('\n'))
            width = std::max(width, header.horizontalAdvance(t) + headerMargin);
        SGData->setColumnWidth(c, width);
    }
}

// Ten data rows and every column, centred on the main window, inside the work area.
void TFormHistCAL::SizeWindow() {
    int gridWidth = 2 * SGData->frameWidth() + 4;
    for (int c = 0; c < model_->columnCount(); ++c)
        gridWidth += SGData->columnWidth(c);
    if (SGData->verticalScrollBar()) gridWidth += SGData->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const int rowHeight = SGData->verticalHeader()->defaultSectionSize();
    const int headerHeight = SGData->horizontalHeader()->sizeHint().height();
    SGData->setMinimumHeight(headerHeight + 2 * rowHeight + 2 * SGData->frameWidth());
    const int gridHeight = headerHeight + VISIBLE_ROWS * rowHeight + 2 * SGData->frameWidth();
    const QSize chrome = sizeHint() - SGData->sizeHint();
    QSize size(std::max(sizeHint().width(), gridWidth + chrome.width()), gridHeight + chrome.height());
    const QScreen* screen = mainWindow_ ? mainWindow_->screen() : QGuiApplication::primaryScreen();
    const QRect work = screen ? screen->availableGeometry() : QRect(0, 0, 1600, 1000);
    size = size.boundedTo(work.size());
    resize(size);
    const QRect around = mainWindow_ ? mainWindow_->frameGeometry() : work;
    QPoint at = around.center() - QPoint(size.width() / 2, size.height() / 2);
    at.setX(std::clamp(at.x(), work.left(), std::max(work.left(), work.right() - size.width())));
    at.setY(std::clamp(at.y(), work.top(), std::max(work.top(), work.bottom() - size.height())));
    move(at);
}

void TFormHistCAL::showEvent(QShowEvent* event) {
    if (!sized_) {
        sized_ = true;
        SizeWindow();
    }
    QDialog::showEvent(event);
}

// The selected row is in the highlight colour while the grid has the focus, grey otherwise.
bool TFormHistCAL::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SGData && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)) {
        QPalette palette = SGData->palette();
        const QColor highlight = event->type() == QEvent::FocusIn
                                     ? QApplication::palette().color(QPalette::Highlight)
                                     : QColor(0x80, 0x80, 0x80);
        for (auto group : {QPalette::Active, QPalette::Inactive})
            palette.setColor(group, QPalette::Highlight, highlight);
        palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         QApplication::palette().color(QPalette::Active, QPalette::HighlightedText));
        SGData->setPalette(palette);
    }
    return QDialog::eventFilter(watched, event);
}

// --- rows and selection ----------------------------------------------------------------------

void TFormHistCAL::Refilled() {
    syncing_ = true;
    model_->Refilled();
    syncing_ = false;
    LabelCount->setText(Q(history_.CountText()));
    LabelDateRange->setText(Q(history_.DateRangeText()));
    const bool rows = history_.RowCount() > 0;
    SGData->setEnabled(rows);
    BtnExport->setEnabled(rows);
    CBSearch->setEnabled(rows);
    ShowSelection();
}

// The view and the comment follow the history's selection.
void TFormHistCAL::ShowSelection() {
    syncing_ = true;
    const auto row = history_.SelectedRow();
    if (row) {
        const QModelIndex index = model_->index(static_cast<int>(*row), 0);
        SGData->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                             QItemSelectionModel::Rows);
        SGData->scrollTo(index);
    } else {
        SGData->selectionModel()->clearSelection();
        SGData->selectionModel()->setCurrentIndex({}, QItemSelectionModel::NoUpdate);
    }
    syncing_ = false;
    MemoComment->setEnabled(row.has_value());
    MemoComment->setPlainText(row ? Q(history_.RowRecord(*row).Comment).replace("\r\n", "\n") : QString());
    UpdateButtons();
}

void TFormHistCAL::RowClicked(int row) {
    history_.SelectRow(row >= 0 ? std::optional<size_t>(static_cast<size_t>(row)) : std::nullopt);
    ShowSelection();
}

void TFormHistCAL::UpdateButtons() {
    const TConnectedMeter meter = host_.meter ? host_.meter() : TConnectedMeter{};
    BtnSearch->setEnabled(!NormaliseSearchText(CBSearch->currentText().toStdString()).empty());
    BtnCurSearch->setEnabled(meter.portChosen && !meter.descriptor.empty());
    BtnSet->setEnabled(history_.CanProgram(meter));
    BtnCertificate->setEnabled(history_.SelectedRow().has_value());
}

void TFormHistCAL::MeterFilterClicked(TCalMeterFilter filter) {
    history_.SetMeterFilter(filter);
    Refilled();
}

void TFormHistCAL::DateLimitClicked(bool on) {
    history_.SetDateLimit(on);
    Refilled();
}

void TFormHistCAL::ChangeDateRange() {
    const auto chosen = TFormDateRange::Execute(this, history_.DateFilter(), host_.lang);
    if (!chosen || !history_.SetDateFilter(*chosen)) return;
    Refilled();
}

void TFormHistCAL::Reload() {
    const TCalLogRead read = ReadCalLog(host_.logPath);
    if (!read.valid) return;
    history_.Reload(read.records);
    Refilled();
}

// --- search ------------------------------------------------------------------------------------------

void TFormHistCAL::RememberSearchText(const QString& text) {
    if (CBSearch->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive) >= 0) return;
    CBSearch->addItem(text);
    CBSearch->model()->sort(0);
    CBSearch->setEditText(text);
}

void TFormHistCAL::SearchClicked() {
    const QString text = Q(NormaliseSearchText(CBSearch->currentText().toStdString()));
    if (text.isEmpty()) return;
    RememberSearchText(text);
    const auto today = DecodeDays(host_.today ? host_.today() : NowDays());
    ShowSearchResult(history_.Search(text.toStdString(), today ? today->year : 2000));
}

void TFormHistCAL::SearchMeterClicked() {
    ShowSearchResult(history_.SearchMeter(host_.meter ? host_.meter() : TConnectedMeter{}));
}

void TFormHistCAL::ShowSearchResult(const TCalSearchResult& result) {
    if (result.row) {
        ShowSelection();
        SGData->setFocus();
        return;
    }
    if (result.message.empty()) return;
    if (!result.offerRestart) {
        ConfMessage(this, Q(result.message), "K730", MB_ICONINFORMATION);
        return;
    }
    if (ConfYesNo(this, Q(SearchRestartQuestion(result, host_.lang)), "K730", MB_ICONQUESTION))
        ShowSearchResult(history_.SearchFromBeginning());
}

void TFormHistCAL::ProgramClicked() {
    const auto row = history_.SelectedRow();
    if (!row || !host_.program) return;
    const TConnectedMeter meter = host_.meter ? host_.meter() : TConnectedMeter{};
    if (meter.descriptor.empty()) return;
    host_.program(history_.RowRecord(*row));
}

} // namespace k730
