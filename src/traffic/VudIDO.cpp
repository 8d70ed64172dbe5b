#include "traffic/VudIDO.h"

#include "traffic/BufView.h"
#include "traffic/BufferFile.h"
#include "traffic/DualBuf.h"
#include "traffic/VudIDOConfig.h"
#include "ui/LocaleSeparator.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

#include <chrono>

namespace k730 {
namespace {

constexpr int FLASH_TICK_MS = 50;
constexpr int TEST_PATTERN_REPEATS = 100;
constexpr int PANEL_LEFT = 4;

QString Label(int buffer, bool polish) {
    const std::string_view text = BufferLabel(buffer, polish);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

QToolButton* TextButton(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(caption);
    b->setToolTip(tip);
    b->setAccessibleName(caption);
    b->setAccessibleDescription(tip);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
}

} // namespace

TStamp TFormVudIDO::NowStamp() {
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

TFormVudIDO::TFormVudIDO(QWidget* parent, uint32_t settings) : QMainWindow(parent), viewer_(settings) {
    setObjectName("FormVudIDO");
    InstallDefaultPrompts(prompts_, this);
    setWindowFlag(Qt::Window);
    polishLocale_ = QLocale::system().language() == QLocale::Polish;
    SetPortName({}, false);

    auto* client = new QWidget(this);
    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(2, 2, 2, 2);
    column->setSpacing(2);
    auto* bar = new QWidget(client);
    BuildButtons(bar);
    column->addWidget(bar);
    column->addWidget(BuildValuePanel());

    splitter_ = new QSplitter(Qt::Vertical, client);
    splitter_->setObjectName("SplitterBuffers");
    splitter_->setChildrenCollapsible(false);
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        auto* dual = new TDualBuf(viewer_, b, Label(b, polishLocale_), splitter_);
        dual->setMinimumHeight(4 * dual->MainView()->LineHeight());
        buffers_[static_cast<size_t>(b)] = dual;
        splitter_->addWidget(dual);
        connect(dual, &TDualBuf::CursorMoved, this, &TFormVudIDO::CursorMoved);
        connect(dual, &TDualBuf::FocusTaken, this, [this](int) { RefreshValuePanel(); });
        connect(dual->CaptureButton(), &QToolButton::toggled, this, [this, b](bool on) {
            viewer_.Buffers().capture[static_cast<size_t>(b)] = on;
            SyncCaptureSwitches();
        });
    }
    column->addWidget(splitter_, 1);
    setCentralWidget(client);

    BuildMenus();
    flash_.setInterval(FLASH_TICK_MS);
    connect(&flash_, &QTimer::timeout, this, &TFormVudIDO::FlashTick);

    resize(760, 560);
    ApplySettings(settings);
}

TFormVudIDO::~TFormVudIDO() {
    if (loader_.joinable()) loader_.join(); // its queued call dies with the window
}

QAction* TFormVudIDO::Action(const char* name) const {
    return findChild<QAction*>(QString::fromLatin1(name));
}

void TFormVudIDO::SetPortName(const QString& name, bool chosen) {
    setWindowTitle(QString::fromStdString(ViewerTitle(name.toStdString(), chosen)));
}

// --- controls ------------------------------------------------------------------------

void TFormVudIDO::BuildButtons(QWidget* bar) {
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    // The tooltips name the keys that do the same.
    btnGo_ = TextButton(bar, "BtnGo", QString::fromUtf8("Podgląd"),
                        QString::fromUtf8("Włącz podgląd bufora danych <Enter>"));
    btnGo_->setCheckable(true);
    btnGo_->setChecked(viewer_.Buffers().recording);
    btnClear_ = TextButton(bar, "BtnClear", QString::fromUtf8("Wyczyść"),
                           QString::fromUtf8("Wyczyść wszystko <Delete>"));
    btnBigEn_ = TextButton(bar, "BtnBigEn", QStringLiteral("BigEndian"), QStringLiteral("BigEndian"));
    btnBigEn_->setCheckable(true);
    for (QToolButton* b : {btnGo_, btnClear_, btnBigEn_})
        row->addWidget(b);
    row->addStretch(1);
    const struct {
        const char* name;
        const char* caption;
        const char* tip;
        int buffer;
    } patterns[] = {{"BtnAddIn", "O", "Wzorzec testowy do bufora odbiorczego", tbReceived},
                    {"BtnAddFrame", "R", "Wzorzec testowy do bufora poprawnych ramek", tbValidFrames},
                    {"BtnAddOut", "N", "Wzorzec testowy do bufora nadawczego", tbTransmitted}};
    for (const auto& p : patterns) {
        QToolButton* b = TextButton(bar, p.name, QString::fromUtf8(p.caption), QString::fromUtf8(p.tip));
        const int buffer = p.buffer;
        connect(b, &QToolButton::clicked, this,
                [this, buffer] { AddTestPatterns(buffer, QGuiApplication::keyboardModifiers()); });
        row->addWidget(b);
    }
    connect(btnGo_, &QToolButton::toggled, this, [this](bool on) {
        viewer_.Buffers().recording = on;
        if (QAction* a = Action("MenuGo")) a->setChecked(on);
    });
    connect(btnClear_, &QToolButton::clicked, this, &TFormVudIDO::ClearAll);
    connect(btnBigEn_, &QToolButton::toggled, this, &TFormVudIDO::SetBigEndian);
}

QWidget* TFormVudIDO::BuildValuePanel() {
    valuePanel_ = new QWidget(this);
    valuePanel_->setObjectName("PanelValues");
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    static const char* recordNames[] = {"LabelRecord", "LabelOffset", "LabelInRecord", "LabelTime",
                                        "LabelAnswer"};
    auto* line = new QHBoxLayout;
    line->setSpacing(16);
    for (size_t i = 0; i < recordLabels_.size(); ++i) {
        recordLabels_[i] = new QLabel(valuePanel_);
        recordLabels_[i]->setObjectName(recordNames[i]);
        line->addWidget(recordLabels_[i]);
    }
    line->addStretch(1);
    auto* columns = new QWidget(valuePanel_);
    columns->setObjectName("PanelColumns");
    const int h = QFontMetrics(fixed).height();
    columns->setFixedHeight(2 * h + 2);
    for (int i = 0; i < VALUE_COLUMN_COUNT; ++i) {
        for (auto* labels : {&headers_, &values_}) {
            auto* label = new QLabel(columns);
            label->setFont(fixed);
            label->setObjectName(
                QStringLiteral("%1%2").arg(labels == &headers_ ? "LabelHdr" : "LabelVal").arg(i));
            (*labels)[static_cast<size_t>(i)] = label;
        }
        headers_[static_cast<size_t>(i)]->move(PANEL_LEFT, 0);
        values_[static_cast<size_t>(i)]->move(PANEL_LEFT, h + 1);
    }
    auto* box = new QVBoxLayout(valuePanel_);
    box->setContentsMargins(PANEL_LEFT, 0, 0, 0);
    box->setSpacing(0);
    box->addLayout(line);
    box->addWidget(columns);
    return valuePanel_;
}

void TFormVudIDO::RefreshValuePanel() {
    const char separator = LocaleDecimalSeparator();
    const TRecordLine line = viewer_.RecordLine(separator);
    const std::string* texts[] = {&line.record, &line.offset, &line.inRecord, &line.time, &line.answer};
    for (size_t i = 0; i < recordLabels_.size(); ++i) {
        recordLabels_[i]->setText(QString::fromStdString(*texts[i]));
        recordLabels_[i]->setAccessibleName(recordLabels_[i]->text());
    }
    const TValuePanelTexts t = viewer_.PanelTexts(separator);
    std::array<int, VALUE_COLUMN_COUNT> headerWidths{}, valueWidths{};
    for (size_t i = 0; i < headers_.size(); ++i) {
        headers_[i]->setText(QString::fromStdString(t.headers[i]));
        values_[i]->setText(QString::fromStdString(t.values[i]));
        headers_[i]->adjustSize();
        values_[i]->adjustSize();
        headerWidths[i] = headers_[i]->fontMetrics().horizontalAdvance(headers_[i]->text());
        valueWidths[i] = values_[i]->fontMetrics().horizontalAdvance(values_[i]->text());
        headers_[i]->setAccessibleName(headers_[i]->text());
        values_[i]->setAccessibleName(values_[i]->text());
    }
    const auto x = ValuePanelPositions(headerWidths, valueWidths, 0);
    for (size_t i = 0; i < headers_.size(); ++i) {
        headers_[i]->move(x[i], headers_[i]->y());
        values_[i]->move(x[i], values_[i]->y());
    }
}

// --- layout by the settings word -------------------------------------------------------

void TFormVudIDO::ApplySettings(uint32_t settings) {
    viewer_.ApplySettings(settings);
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        TDualBuf* dual = buffers_[static_cast<size_t>(b)];
        const uint8_t views = ShownViews(settings, b);
        dual->setVisible(views != vwNone);
        if (views != vwNone) dual->SetViews(views);
    }
    if (QAction* a = Action(FloatSizeOf(settings) == 4   ? "MenuFloat4"
                            : FloatSizeOf(settings) == 6 ? "MenuFloat6"
                            : FloatSizeOf(settings) == 8 ? "MenuFloat8"
                                                         : "MenuFloat10"))
        a->setChecked(true);
    ArrangePanels();
    SyncCaptureSwitches();
    RefreshCommands();
    RefreshValuePanel();
}

void TFormVudIDO::ArrangePanels() {
    const TPanelLayout layout = LayoutPanels(viewer_.Settings(), splitter_->height());
    QList<int> sizes;
    int others = 0;
    for (int h : layout.heights)
        others += h;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b) {
        const auto i = static_cast<size_t>(b);
        const bool fills = b == layout.fill;
        splitter_->setStretchFactor(b, fills ? 1 : 0);
        sizes << (!layout.shown[i] ? 0
                  : fills          ? std::max(1, splitter_->height() - others)
                                   : layout.heights[i]);
    }
    splitter_->setSizes(sizes);
    // The window grows to hold the panels' least heights.
    const int least = minimumSizeHint().height();
    if (height() < least) resize(width(), least);
}

// The panel heights come from the window's height, known once it is shown.
void TFormVudIDO::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!arranged_) {
        arranged_ = true;
        QTimer::singleShot(0, this, &TFormVudIDO::ArrangePanels);
    }
}

void TFormVudIDO::EditSettings() {
    std::array<QString, TRAFFIC_BUFFER_COUNT> labels;
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        labels[static_cast<size_t>(b)] = Label(b, polishLocale_);
    if (const auto settings = TFormVudIDOConfig::Execute(viewer_.Settings(), labels, this))
        ApplySettings(*settings);
}

// --- records, cursor and commands -------------------------------------------------------

void TFormVudIDO::Feed(int buffer, const TBytes& block, TStamp stamp) {
    if (!viewer_.Feed(buffer, block, stamp, NowMs())) return;
    RecordsAdded(buffer);
    buffers_[static_cast<size_t>(buffer)]->SetFlash(true);
    if (!flash_.isActive()) flash_.start();
}

void TFormVudIDO::RecordsAdded(int buffer) {
    buffers_[static_cast<size_t>(buffer)]->RecordsAdded();
    if (viewer_.Focus() == buffer) RefreshValuePanel();
    RefreshCommands();
}

void TFormVudIDO::FlashTick() {
    const uint64_t now = NowMs();
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        buffers_[static_cast<size_t>(b)]->SetFlash(viewer_.Flashing(b, now));
    if (!viewer_.AnyFlashing(now)) flash_.stop();
}

void TFormVudIDO::AddTestPatterns(int buffer, Qt::KeyboardModifiers modifiers) {
    const bool ctrl = modifiers & Qt::ControlModifier;
    const int repeats = ctrl && (modifiers & Qt::ShiftModifier) ? TEST_PATTERN_REPEATS : 1;
    for (int i = 0; i < repeats; ++i) {
        if (viewer_.AddTestPattern(ctrl ? -1 : buffer, NowStamp(), NowMs()) == 0) continue;
        for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
            if (ctrl || b == buffer) {
                buffers_[static_cast<size_t>(b)]->RecordsAdded();
                buffers_[static_cast<size_t>(b)]->SetFlash(true);
            }
        if (!flash_.isActive()) flash_.start();
        if (repeats > 1) QApplication::processEvents(); // the window stays alive between the rounds
    }
    RefreshCommands();
    RefreshValuePanel();
}

void TFormVudIDO::CursorMoved(int) {
    RefreshValuePanel();
    RefreshCommands();
}

void TFormVudIDO::Go(TGoTo where) {
    if (!viewer_.Go(where)) return;
    const int focus = viewer_.Focus();
    TDualBuf* dual = buffers_[static_cast<size_t>(focus)];
    dual->EnsureVisible(viewer_.Cursor(focus).pos);
    dual->MainView()->setFocus(Qt::OtherFocusReason);
    for (TDualBuf* d : buffers_)
        d->Repaint();
    RefreshValuePanel();
}

void TFormVudIDO::ClearAll() {
    viewer_.ClearAll();
    for (TDualBuf* d : buffers_)
        d->Relayout();
    FlashTick();
    RefreshCommands();
    RefreshValuePanel();
}

void TFormVudIDO::SetBigEndian(bool on) {
    viewer_.SetBigEndian(on);
    btnBigEn_->setChecked(on);
    if (QAction* a = Action(on ? "MenuBigEndian" : "MenuLittleEndian")) a->setChecked(true);
    RefreshValuePanel();
}

void TFormVudIDO::SetFloatSize(int bytes) {
    viewer_.SetFloatSize(bytes);
    RefreshValuePanel();
}

void TFormVudIDO::RefreshCommands() {
    const bool any = viewer_.HasShownRecords();
    for (const char* name : {"MenuClear", "MenuFirst", "MenuLast", "MenuPrevious", "MenuNext"})
        if (QAction* a = Action(name)) a->setEnabled(any);
    btnClear_->setEnabled(any);
    const char* copies[] = {"MenuCopyIn", "MenuCopyFrame", "MenuCopyOut"};
    for (int b = 0; b < TRAFFIC_BUFFER_COUNT; ++b)
        if (QAction* a = Action(copies[b]))
            a->setEnabled(BufferShown(viewer_.Settings(), b) && !viewer_.Buffers().Buffer(b).Empty());
    const int focus = viewer_.Focus();
    if (QAction* a = Action("MenuCopySelection"))
        a->setEnabled(focus >= 0 && viewer_.Selection(focus).first != viewer_.Selection(focus).second);
    const bool idle = !Loading();
    for (const char* name : {"MenuOpen", "MenuSave"})
        if (QAction* a = Action(name)) a->setEnabled(idle);
}

void TFormVudIDO::closeEvent(QCloseEvent* event) {
    event->accept();
    emit Closed();
}

} // namespace k730
