// The measurement history window.
#include "history/K730HistMeas.h"

#include "files/DayCount.h"
#include "history/HistChart.h"
#include "history/HistDialogs.h"
#include "history/HistTableModel.h"
#include "history/HistTexts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace k730 {

namespace {

QString Q(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// Every control is named for assistive technology after its caption.
template <typename T> T* Named(T* widget, const char* objectName, const QString& accessible) {
    widget->setObjectName(objectName);
    widget->setAccessibleName(accessible);
    return widget;
}

constexpr int CHART_DELAY_MS = 100; // records arriving together are drawn once

} // namespace

TFormHistory::TFormHistory(TLanguage lang, char decimal, TProgramSettings& settings, THistChecks& checks,
                           THistWindowHost host, bool autoRange, const TSpreadsheetProgram& sheet,
                           THistPrompts prompts)
    : QWidget(nullptr, Qt::Window), lang_(lang), decimal_(decimal), host_(std::move(host)),
      recorder_(settings, checks, (CompleteHistPrompts(prompts, this, lang, sheet), prompts), lang, decimal) {
    setObjectName("FormHistory");
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_QuitOnClose, false);
    recorder_.SetAutoRange(autoRange);
    BuildControls();
    chbAutoRange_->setChecked(autoRange);
    editAverTime_->setText(QString::number(recorder_.AverField()));
    ApplyTexts();
    Refresh();
    SizeToTenRows();
    newFirmware_ = host_.Meter().NewFirmware;
    thread_ = std::make_unique<THistMeasThread>([this] { return newFirmware_.load(); }, host_.Now,
                                                [this] {
                                                    QMetaObject::invokeMethod(
                                                        this, [this] { Tick(); }, Qt::QueuedConnection);
                                                });
}

TFormHistory::~TFormHistory() {
    thread_.reset(); // no tick is posted once the window starts to go
    if (host_.Destroyed) host_.Destroyed();
}

// --- layout -----------------------------------------------------------------------

void TFormHistory::BuildControls() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->setSpacing(4);
    column->addWidget(BuildTopRow());
    column->addWidget(BuildFileRow());
    column->addWidget(BuildLabelRow());

    model_ = new THistTableModel(recorder_, lang_, decimal_, this);
    grid_ = Named(new QTableView, "SGData", Q(HIST_CAPTION(lang_)));
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setAccessibleName(grid_->accessibleName());
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setWordWrap(false);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 4);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->viewport()->installEventFilter(this);
    const QString samples[HIST_COLUMN_COUNT] = {"000:00:00.00", "OVER",         "-000,000E-00",
                                                "-000,000E-00", "-000,000E-00", "T [°C] -00,0"};
    for (int c = 0; c < HIST_COLUMN_COUNT; ++c)
        grid_->horizontalHeader()->resizeSection(c, grid_->fontMetrics().horizontalAdvance(samples[c]) + 16);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { CurrentRowChanged(current.row()); });

    chart_ = new THistChart(recorder_.Data(), lang_);
    chart_->setAccessibleName(Q(HIST_CHART(lang_)));
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->setObjectName("SplitterHistory");
    splitter_->addWidget(grid_);
    splitter_->addWidget(chart_);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setChildrenCollapsible(false);
    column->addWidget(splitter_, 1);

    auto* labelComment = Named(new QLabel(Q(HIST_COMMENT(lang_))), "LabelStrComment", Q(HIST_COMMENT(lang_)));
    memoComment_ = Named(new QPlainTextEdit, "MemoComment", Q(HIST_COMMENT(lang_)));
    memoComment_->setFixedHeight(memoComment_->fontMetrics().lineSpacing() * 3 + 10);
    labelComment->setBuddy(memoComment_);
    connect(memoComment_, &QPlainTextEdit::textChanged, this, &TFormHistory::CommentChanged);
    column->addWidget(labelComment);
    column->addWidget(memoComment_);
}

QWidget* TFormHistory::BuildTopRow() {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    btnStartStop_ = Named(new QPushButton, "BtnStartStop", {});
    btnClearData_ =
        Named(new QPushButton(Q(HIST_BTN_CLEAR(lang_))), "BtnClearData", Q(HIST_BTN_CLEAR(lang_)));
    btnClearSample_ =
        Named(new QPushButton(Q(HIST_BTN_DELETE(lang_))), "BtnClearSample", Q(HIST_BTN_DELETE(lang_)));
    const QString averFrom = Q(HIST_AVERAGE_FROM(lang_));
    labelStrAverTime_ = Named(new QLabel(averFrom), "LabelStrAverTime", averFrom);
    editAverTime_ = Named(new QLineEdit, "EditAverTime", averFrom);
    editAverTime_->setMaxLength(4);
    editAverTime_->setValidator(new QIntValidator(0, HIST_MAX_AVER_FIELD, editAverTime_));
    editAverTime_->setFixedWidth(editAverTime_->fontMetrics().horizontalAdvance("00000") + 12);
    editAverTime_->setAlignment(Qt::AlignRight);
    labelStrAverTime_->setBuddy(editAverTime_);
    labelAverTime_ = Named(new QLabel, "LabelAverTime", {});
    labelAverTime_->setMinimumWidth(labelAverTime_->fontMetrics().horizontalAdvance(Q(HIST_SECONDS(lang_))) +
                                    4);
    chbAutoRange_ =
        Named(new QCheckBox(Q(HIST_AUTO_RANGE(lang_))), "ChBAutoRange", Q(HIST_AUTO_RANGE(lang_)));
    for (QWidget* w : std::initializer_list<QWidget*>{btnStartStop_, btnClearData_, btnClearSample_})
        h->addWidget(w);
    h->addSpacing(12);
    for (QWidget* w : std::initializer_list<QWidget*>{labelStrAverTime_, editAverTime_, labelAverTime_})
        h->addWidget(w);
    h->addSpacing(12);
    h->addWidget(chbAutoRange_);
    h->addStretch(1);
    connect(btnStartStop_, &QPushButton::clicked, this, &TFormHistory::StartStopClicked);
    connect(btnClearData_, &QPushButton::clicked, this, &TFormHistory::ClearClicked);
    connect(btnClearSample_, &QPushButton::clicked, this, &TFormHistory::DeleteClicked);
    connect(editAverTime_, &QLineEdit::textEdited, this, &TFormHistory::AverFieldEdited);
    connect(chbAutoRange_, &QCheckBox::clicked, this, [this](bool on) {
        recorder_.SetAutoRange(on);
        if (host_.AutoRangeSet) host_.AutoRangeSet(on);
    });
    return row;
}

QWidget* TFormHistory::BuildFileRow() {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    btnOpen_ = Named(new QPushButton(Q(HIST_BTN_OPEN(lang_))), "BtnOpen", Q(HIST_BTN_OPEN(lang_)));
    btnSave_ = Named(new QPushButton, "BtnSave", {});
    btnSave_->setMinimumWidth(btnSave_->fontMetrics().horizontalAdvance(Q(HIST_BTN_SAVE_AS(lang_))) + 24);
    btnExport_ = Named(new QToolButton, "BtnExport", Q(HIST_BTN_EXPORT(lang_)));
    btnExport_->setText(Q(HIST_BTN_EXPORT(lang_)));
    btnExport_->setPopupMode(QToolButton::MenuButtonPopup);
    auto* menu = new QMenu(btnExport_);
    QAction* text = menu->addAction(Q(HIST_MENU_EXPORT_TEXT(lang_)));
    text->setObjectName("MenuExportText");
    QAction* csv = menu->addAction(Q(HIST_MENU_EXPORT_CSV(lang_)));
    csv->setObjectName("MenuExportCsv");
    btnExport_->setMenu(menu);
    chbChart_ = Named(new QCheckBox(Q(HIST_CHART(lang_))), "ChBChart", Q(HIST_CHART(lang_)));
    chbChart_->setChecked(true);
    h->addWidget(btnOpen_);
    h->addWidget(btnSave_);
    h->addWidget(btnExport_);
    h->addStretch(1);
    h->addWidget(chbChart_);
    connect(btnOpen_, &QPushButton::clicked, this, &TFormHistory::OpenClicked);
    connect(btnSave_, &QPushButton::clicked, this, [this] { Save(htHistory); });
    connect(btnExport_, &QToolButton::clicked, this, [this] { Save(htText); });
    connect(text, &QAction::triggered, this, [this] { Save(htText); });
    connect(csv, &QAction::triggered, this, [this] { Save(htCsv); });
    connect(chbChart_, &QCheckBox::toggled, this, [this](bool on) {
        chart_->setVisible(on);
        if (on) ScheduleChart();
    });
    return row;
}

QWidget* TFormHistory::BuildLabelRow() {
    auto* row = new QWidget;
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* meter = Named(new QLabel(Q(HIST_METER(lang_))), "LabelStrMeter", Q(HIST_METER(lang_)));
    labelMeterName_ = Named(new QLabel, "LabelMeterName", Q(HIST_METER(lang_)));
    labelMeterName_->setTextFormat(Qt::PlainText);
    auto* start = Named(new QLabel(Q(HIST_START_DT(lang_))), "LabelStrStartDT", Q(HIST_START_DT(lang_)));
    labelStartDT_ = Named(new QLabel, "LabelStartDT", Q(HIST_START_DT(lang_)));
    QFont bold = labelMeterName_->font();
    bold.setBold(true);
    labelMeterName_->setFont(bold);
    labelStartDT_->setFont(bold);
    h->addWidget(meter);
    h->addWidget(labelMeterName_);
    h->addSpacing(16);
    h->addWidget(start);
    h->addWidget(labelStartDT_);
    h->addStretch(1);
    return row;
}

void TFormHistory::ApplyTexts() {
    const int field = recorder_.AverField();
    labelAverTime_->setText(Q(AverUnitText(field, lang_)));
    labelAverTime_->setAccessibleName(labelAverTime_->text());
}

// Ten rows of the grid, the chart beside it.
void TFormHistory::SizeToTenRows() {
    const int rows = grid_->verticalHeader()->defaultSectionSize() * 10;
    const int height = grid_->horizontalHeader()->sizeHint().height() + rows + 2 * grid_->frameWidth();
    grid_->setMinimumHeight(height);
    int width = 2 * grid_->frameWidth() + grid_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < HIST_COLUMN_COUNT; ++c)
        width += grid_->horizontalHeader()->sectionSize(c);
    grid_->setMinimumWidth(width);
    chart_->setMinimumWidth(width);
    splitter_->setSizes({width, width});
    adjustSize();
    resize(width * 2 + 40, minimumSizeHint().height());
}

void TFormHistory::ShowBeside(const QWidget* beside) {
    if (beside) {
        const QRect main = beside->frameGeometry();
        const QScreen* screen = beside->screen();
        const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
        QRect r(QPoint(main.right() + 1, main.top()), frameGeometry().size());
        if (r.right() > area.right()) r.moveRight(area.right());
        if (r.bottom() > area.bottom()) r.moveBottom(area.bottom());
        r.moveLeft(std::max(r.left(), area.left()));
        r.moveTop(std::max(r.top(), area.top()));
        move(r.topLeft());
    }
    BringToFront();
}

void TFormHistory::BringToFront() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

// --- what the window shows ---------------------------------------------------------

void TFormHistory::Refresh() {
    const bool recording = recorder_.Recording();
    const THistData& d = recorder_.Data();
    model_->Sync();
    setWindowTitle(Q(recorder_.Caption()));
    const QString startStop = Q((recording ? HIST_BTN_STOP : HIST_BTN_START)(lang_));
    btnStartStop_->setText(startStop);
    btnStartStop_->setAccessibleName(startStop);
    btnStartStop_->setIcon(style()->standardIcon(recording ? QStyle::SP_MediaStop : QStyle::SP_MediaPlay));
    btnSave_->setText(Q(recorder_.SaveButtonText()));
    btnSave_->setAccessibleName(btnSave_->text());
    for (QWidget* w : std::initializer_list<QWidget*>{labelStrAverTime_, editAverTime_, labelAverTime_})
        w->setEnabled(!recording);
    btnClearSample_->setEnabled(recorder_.CanDelete(selection_.first, selection_.last));
    labelMeterName_->setText(Q(MeterNameLabel(d)));
    labelStartDT_->setText(Q(StartDateLabel(d.StartDateTime)));
    ScheduleChart();
}

void TFormHistory::ScheduleChart() {
    if (chartPending_ || !chart_->isVisible()) return;
    chartPending_ = true;
    QTimer::singleShot(CHART_DELAY_MS, this, [this] {
        chartPending_ = false;
        chart_->Refresh();
    });
}

void TFormHistory::ShowComment() {
    settingComment_ = true;
    memoComment_->setPlainText(Q(recorder_.Comment()).replace("\r\n", "\n"));
    settingComment_ = false;
}

// --- the meter --------------------------------------------------------------------------

void TFormHistory::Tick() {
    if (host_.Send) host_.Send(recorder_.OnTick());
}

void TFormHistory::OnStatus(const TBytes& frame) {
    const TMeterInfo& meter = host_.Meter();
    newFirmware_ = meter.NewFirmware;
    const int rows = model_->rowCount();
    const THistSampleOutcome out = recorder_.OnStatus(frame, meter, host_.Now(), NowDays());
    if (out.trigger) thread_->Trigger();
    if (out.identityFilled) Refresh();
    if (out.recordAdded) {
        const bool followLast = selection_.first < 0 || selection_.last == rows - 1;
        Refresh();
        if (followLast) {
            const int last = model_->rowCount() - 1;
            Select({last, last});
            // After the view has laid out its new rows.
            QTimer::singleShot(0, grid_, [this] { grid_->scrollToBottom(); });
        }
    }
}

void TFormHistory::OnRange(const TBytes& frame) {
    if (recorder_.OnRange(frame)) thread_->Trigger();
}

void TFormHistory::SetAutoRange(bool on) {
    chbAutoRange_->setChecked(on);
    recorder_.SetAutoRange(on);
}

// --- user actions ---------------------------------------------------------------------

void TFormHistory::StartStopClicked() {
    const bool wasRecording = recorder_.Recording();
    recorder_.StartStop(host_.Meter(), host_.Now(), NowDays());
    if (!wasRecording && recorder_.Recording()) Select({});
    Refresh();
}

void TFormHistory::ClearClicked() {
    recorder_.Clear(NowDays());
    ShowComment();
    Select({});
    Refresh();
}

void TFormHistory::DeleteClicked() {
    const THistSelection sel = selection_;
    if (!recorder_.Delete(sel.first, sel.last)) return;
    Refresh();
    // The selection collapses to the current row.
    const int row = std::min(sel.first, model_->rowCount() - 1);
    Select({row, row});
}

void TFormHistory::OpenClicked() {
    if (!recorder_.Open()) return;
    ShowComment();
    Select({});
    chart_->ResetZoom();
    Refresh();
    grid_->setFocus();
}

void TFormHistory::Save(THistTarget target) {
    recorder_.Save(target);
    Refresh();
}

void TFormHistory::AverFieldEdited(const QString& text) {
    if (const auto field = ParseAverField(text.toStdString())) recorder_.SetAverField(*field);
    ApplyTexts();
}

void TFormHistory::CommentChanged() {
    if (settingComment_) return;
    recorder_.CommentEdited(memoComment_->toPlainText().replace("\n", "\r\n").toStdString());
}

// --- selection ----------------------------------------------------------------------------

void TFormHistory::Select(THistSelection sel) {
    const int rows = model_->rowCount();
    if (sel.first >= rows || sel.last >= rows) sel = {};
    selection_ = sel;
    QItemSelectionModel* model = grid_->selectionModel();
    const QSignalBlocker block(model);
    if (sel.first < 0) {
        model->clearSelection();
    } else {
        const QItemSelection range(model_->index(sel.first, 0),
                                   model_->index(sel.last, HIST_COLUMN_COUNT - 1));
        model->select(range, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        model->setCurrentIndex(model_->index(sel.last, 0), QItemSelectionModel::NoUpdate);
    }
    grid_->viewport()->update();
    btnClearSample_->setEnabled(recorder_.CanDelete(sel.first, sel.last));
    chart_->ShowSelection(sel.first, sel.last);
}

void TFormHistory::CurrentRowChanged(int row) {
    if (row >= 0) Select({row, row}); // the keyboard moves a single selection
}

bool TFormHistory::GridMouse(QEvent* event) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    const int row = grid_->rowAt(mouse->position().toPoint().y());
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (mouse->button() != Qt::LeftButton) return false;
        grid_->setFocus();
        if (row < 0) return true;
        // While recording, and without Shift, a click selects one record.
        if (!recorder_.Recording() && (mouse->modifiers() & Qt::ShiftModifier))
            Select(ExtendSelection(selection_, row));
        else
            Select({row, row});
        dragging_ = !recorder_.Recording();
        return true;
    case QEvent::MouseMove:
        if (dragging_ && (mouse->buttons() & Qt::LeftButton) && row >= 0)
            Select(ExtendSelection(selection_, row));
        return dragging_;
    case QEvent::MouseButtonRelease:
        dragging_ = false;
        return true;
    default:
        return false;
    }
}

bool TFormHistory::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::MouseButtonRelease:
            return GridMouse(event);
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- closing ----------------------------------------------------------------------------------

void TFormHistory::CloseWithoutAsking() {
    closeWithoutAsking_ = true;
    close();
}

void TFormHistory::closeEvent(QCloseEvent* event) {
    if (!closeWithoutAsking_ && !recorder_.ConfirmClose()) {
        event->ignore();
        return;
    }
    thread_->Stop();
    event->accept();
}

} // namespace k730
