#include "service/K730Service.h"
#include "service/ServiceQt.h"

#include "files/FileIo.h"
#include "main/K730Fun.h"
#include "service/ServiceEdits.h"
#include "service/K730FrameRes.h"
#include "service/PageBin.h"
#include "service/PageCal.h"
#include "service/PageDac.h"
#include "service/PageEEPROM.h"
#include "service/PageFactors.h"
#include "service/ZAKTabSet.h"
#include "ui/ConfBox.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace k730 {

using svcqt::Q;
using svcqt::S;

namespace {

struct TPageDef {
    const char* tab;
    const char* header;
    const char* object;
};

constexpr std::array<TPageDef, SERVICE_PAGE_COUNT> PAGES = {{
    {"USTAWIENIA", "Pamięć EEPROM miernika - USTAWIENIA", "PageEEPROM"},
    {"Korekcja WYNIKU", "Współczynniki korekcji wyniku", "PageFACTORS"},
    {"CAL", "Współczynniki kalibracji", "PageCAL"},
    {"DAC", "Wymuszanie prądu pętli", "PageDAC"},
    {"Info: BIN", "Wyniki", "PageBIN"},
    {"Info: MIERNIK", "Informacje o mierniku", "PageINFO"},
}};

constexpr std::array<const char*, INFO_LABEL_COUNT> INFO_NAMES = {
    "LabelSN",    "LabelYear",     "LabelKind",       "LabelLum",
    "LabelRange", "LabelDefRange", "LabelConfigInfo", "LabelVer"};

TSpectralLists LibraryLists(const std::string& path) {
    TSpectralLists lists = DefaultSpectralLists();
    TSpectralLists read;
    if (FileExists(path) && ReadTemplateLibrary(path, &read, nullptr)) lists = std::move(read);
    return lists;
}

} // namespace

TFormService::TFormService(TServiceContext context)
    : QWidget(nullptr), ctx_(std::move(context)),
      rules_(ctx_.decimalSeparator, LibraryLists(ctx_.libraryPath)), constants_(ctx_.decimalSeparator) {
    setObjectName("FormService");
    setWindowTitle("K730 SERWIS");
    setAttribute(Qt::WA_DeleteOnClose);
    Build();
    BuildTemplateMenu();
    Reset(true);
    ShowPage(spEEPROM);
}

TFormService::~TFormService() = default;

void TFormService::Build() {
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(8, 6, 8, 0);
    column->setSpacing(4);

    labelHeader_ = new QLabel(this);
    labelHeader_->setObjectName("LabelHeader");
    QFont headerFont = labelHeader_->font();
    headerFont.setBold(true);
    headerFont.setPointSizeF(headerFont.pointSizeF() * 1.2);
    labelHeader_->setFont(headerFont);
    column->addWidget(labelHeader_);

    pages_ = new QStackedWidget(this);
    pages_->setObjectName("PageControl");
    pageEEPROM_ = new TPageEEPROM(rules_, ctx_.language, pages_);
    connect(pageEEPROM_, &TPageEEPROM::ProgramClicked, this, &TFormService::ProgramClicked);
    connect(pageEEPROM_, &TPageEEPROM::TemplateClicked, this, &TFormService::TemplateClicked);
    pages_->addWidget(pageEEPROM_);
    BuildConstantPages();
    pages_->addWidget(BuildInfoPage());
    column->addWidget(pages_, 1);

    auto* buttons = new QHBoxLayout;
    BuildSaveButtons(buttons);
    buttons->addStretch(1);
    btnRefresh_ = new QPushButton("Odśwież", this);
    btnRefresh_->setObjectName("BtnRefresh");
    btnRefresh_->setAccessibleName("Odśwież");
    btnClose_ = new QPushButton("Zamknij", this);
    btnClose_->setObjectName("BtnClose");
    btnClose_->setAccessibleName("Zamknij");
    connect(btnRefresh_, &QPushButton::clicked, this, &TFormService::RefreshClicked);
    connect(btnClose_, &QPushButton::clicked, this, &QWidget::close);
    buttons->addWidget(btnRefresh_);
    buttons->addWidget(btnClose_);
    column->addLayout(buttons);

    tabSet_ = new TZAKTabSet(this);
    tabSet_->setObjectName("TabSet");
    tabSet_->setAccessibleName("Strony okna serwisowego");
    tabSet_->SetMargins(0, 0);
    for (const TPageDef& page : PAGES)
        tabSet_->addTab(Q(page.tab));
    connect(tabSet_, &QTabBar::currentChanged, this, &TFormService::TabChanged);
    column->addWidget(tabSet_);
    setMinimumWidth(tabSet_->MinimumWidth() + 16);
}

void TFormService::BuildConstantPages() {
    const auto queue = [this](std::vector<TQueueItem> items) { QueueNow(std::move(items)); };
    pageFactors_ = new TPageFactors(constants_, queue, pages_);
    pageCal_ = new TPageCal(
        constants_, ctx_.language, ctx_.decimalSeparator, queue,
        [this](const std::string& question) {
            return AskYesNo ? AskYesNo(question) : ConfYesNo(this, Q(question), "K730", MB_ICONQUESTION);
        },
        pages_);
    pageDac_ = new TPageDac(constants_, queue, pages_);
    pageBin_ = new TPageBin(
        raw_, ctx_.decimalSeparator,
        [this](const TQueueItem& item) -> std::optional<TBytes> {
            return ctx_.SendRaw ? ctx_.SendRaw(item) : std::nullopt;
        },
        pages_);
    for (QWidget* page : std::initializer_list<QWidget*>{pageFactors_, pageCal_, pageDac_, pageBin_}) {
        const auto& def = PAGES[static_cast<size_t>(pages_->count())];
        page->setAccessibleName(Q(def.header));
        pages_->addWidget(page);
    }
}

void TFormService::QueueNow(std::vector<TQueueItem> items) {
    if (!items.empty() && ctx_.Queue) ctx_.Queue(std::move(items));
}

void TFormService::RenderConstantPages() {
    pageFactors_->Render();
    pageCal_->Render();
    pageDac_->Render();
    pageBin_->Frame()->Show(constants_.Block(), modBusAddress_, config_);
    pageBin_->RenderExchange();
    btnBinSaveAs_->setEnabled(constants_.HasBlock());
    btnBinSaveAdd_->setEnabled(constants_.HasBlock());
}

QWidget* TFormService::BuildInfoPage() {
    auto* page = new QWidget(pages_);
    page->setObjectName("PageINFO");
    auto* column = new QVBoxLayout(page);
    memoInfo_ = new QPlainTextEdit(page);
    memoInfo_->setObjectName("MemoInfo");
    memoInfo_->setAccessibleName(Q(PAGES[spInfo].header));
    memoInfo_->setReadOnly(true);
    memoInfo_->setMaximumHeight(memoInfo_->fontMetrics().height() * 6 + 12);
    column->addWidget(memoInfo_);
    for (size_t i = 0; i < INFO_LABEL_COUNT; ++i) {
        auto* label = new QLabel(page);
        label->setObjectName(INFO_NAMES[i]);
        label->setTextFormat(Qt::PlainText);
        infoLabels_[i] = label;
        column->addWidget(label);
    }
    column->addStretch(1);
    const QFontMetrics metrics = infoLabels_[0]->fontMetrics();
    prefixes_ = InfoPrefixes(
        ctx_.language, [metrics](const std::string& text) { return metrics.horizontalAdvance(Q(text)); });
    return page;
}

void TFormService::ShowInfoPrefixes() {
    for (size_t i = 0; i < INFO_LABEL_COUNT; ++i) {
        infoLabels_[i]->setText(Q(prefixes_[i]));
        infoLabels_[i]->setAccessibleName(Q(prefixes_[i]));
    }
}

void TFormService::Reset(bool withInfo) {
    rules_.Reset();
    pageEEPROM_->Render();
    // Typed values stay for "Odśwież"; another meter starts from empty boxes.
    constants_.Reset(withInfo);
    if (withInfo) {
        modBusAddress_.reset();
        config_.reset();
    }
    RenderConstantPages();
    if (withInfo) {
        memoInfo_->clear();
        memoInfo_->setEnabled(false);
        ShowInfoPrefixes();
    }
    RefreshTemplateMenu();
}

void TFormService::ShowPage(TServicePage page) {
    tabSet_->setCurrentIndex(page);
    TabChanged(page);
}

TServicePage TFormService::Page() const {
    return static_cast<TServicePage>(pages_->currentIndex());
}

void TFormService::TabChanged(int index) {
    if (index < 0 || index >= SERVICE_PAGE_COUNT) return;
    // Leaving the DAC page returns a meter that drives its loop to normal mode.
    if (lastPage_ == spDac && index != spDac) QueueNow(constants_.LeaveDacPage());
    lastPage_ = index;
    pages_->setCurrentIndex(index);
    labelHeader_->setText(Q(PAGES[static_cast<size_t>(index)].header));
    // "Odśwież" serves the pages that read from the meter's memory.
    btnRefresh_->setVisible(index <= spDac);
    UpdateSaveButtons(QGuiApplication::queryKeyboardModifiers());
}

// --- answers --------------------------------------------------------------------

void TFormService::Notify(TServiceNotice notice) {
    // A typed request to another address is answered by another meter: its
    // answer reports the change before it is handed over, so it still counts.
    if (notice != snMeterChanged) raw_.NoAnswer();
    pageBin_->RenderExchange();
    if (notice == snAnswerOverdue) {
        // The queue was emptied: whatever answers now is read afresh.
        if (rules_.AwaitingRun()) rules_.RunAnswered();
        rules_.RearmFlags();
        return;
    }
    // Another meter, or none: nothing read so far holds.
    rules_.SetMeterAddress(MERBUS_BROADCAST);
    Reset(true);
}

void TFormService::AddressAndMode(uint16_t merBusAddress, uint8_t mode) {
    rules_.SetMeterAddress(merBusAddress);
    constants_.SetMeterAddress(merBusAddress);
    constants_.Mode(mode);
    RenderConstantPages();
}

void TFormService::Identity(const TMeterInfo& info, const std::string& identityText) {
    memoInfo_->setPlainText(Q(identityText));
    memoInfo_->setEnabled(true);
    const TInfoTexts texts = InfoIdentityTexts(prefixes_, info, ctx_.language, ctx_.decimalSeparator);
    for (size_t i : {ilSerial, ilYear, ilKind, ilLum, ilRange, ilVersion}) {
        infoLabels_[i]->setText(Q(texts[i]));
        infoLabels_[i]->setAccessibleName(Q(texts[i]));
    }
    rules_.Identity(info);
    pageEEPROM_->Render();
    RefreshTemplateMenu();
}

void TFormService::Config(uint8_t config) {
    config_ = config;
    pageBin_->Frame()->Show(constants_.Block(), modBusAddress_, config_);
    infoLabels_[ilConfig]->setText(Q(InfoConfigText(prefixes_, config)));
    rules_.Config(config);
    pageEEPROM_->Render();
    RefreshTemplateMenu();
}

void TFormService::DefaultRange(uint8_t index, const TMeterInfo& info) {
    infoLabels_[ilDefRange]->setText(Q(InfoDefaultRangeText(prefixes_, info, index, ctx_.decimalSeparator)));
    rules_.DefaultRange(index);
    pageEEPROM_->Render();
    RefreshTemplateMenu();
}

void TFormService::Status(const TBytes& frame) {
    // The pages come alive with the first block after a reset.
    const bool first = rules_.ExpectingResults();
    rules_.Results();
    constants_.Results(frame, first);
    if (const auto address = constants_.TakeRawAddress()) pageBin_->SetAddress(*address);
    std::array<std::string, 3> ranges;
    for (size_t i = 0; i < 3; ++i)
        if (const float r = rules_.ReadRecord().Ranges[i]; r > 0)
            ranges[i] = "Zakres " + std::to_string(i + 1) + ": " + RangeValueText(r, ctx_.decimalSeparator);
    pageFactors_->SetRangeTexts(ranges);
    RenderConstantPages();
}

void TFormService::ModBusAddress(uint8_t address) {
    modBusAddress_ = address;
    pageBin_->Frame()->Show(constants_.Block(), modBusAddress_, config_);
}

void TFormService::ForcingValue(uint32_t dac) {
    constants_.ForcingValue(dac);
    pageDac_->Render();
}

void TFormService::CalibrationSaved(const TCalibrationSavedAnswer& saved) {
    constants_.Constants({saved.forcingValue4mA, saved.resultFactor, saved.loopFactor,
                          static_cast<uint16_t>(saved.calTempCode)});
    RenderConstantPages();
}

void TFormService::RangeFactors(const std::array<float, 3>& factors) {
    constants_.RangeFactors(factors);
    pageFactors_->Render();
}

void TFormService::TempCoefficient(float fractionPerKelvin) {
    constants_.TempCoefficient(fractionPerKelvin);
    pageFactors_->Render();
}

void TFormService::Frame(const TBytes& frame) {
    if (raw_.Frame(frame)) pageBin_->RenderExchange();
}

void TFormService::RunAnswered() {
    rules_.RunAnswered();
}

// --- buttons ----------------------------------------------------------------------

void TFormService::ProgramClicked() {
    auto items = rules_.Program();
    if (!items) return;
    if (ctx_.Program) ctx_.Program(std::move(*items));
    pageEEPROM_->Render();
}

void TFormService::RefreshClicked() {
    Reset(false);
    if (ctx_.Refresh) ctx_.Refresh();
}

void TFormService::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        if (ctx_.Closed) ctx_.Closed();
    }
    event->accept();
}

void TFormService::Tell(const std::string& text, unsigned style) {
    if (ShowMessage)
        ShowMessage(text, style);
    else
        ConfMessage(this, Q(text), "K730", style);
}

} // namespace k730
