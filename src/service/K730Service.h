// TFormService: the service window ("K730 SERWIS"). Six pages under one
// header, chosen by the tab bar at the bottom: the settings page that
// programs the meter's identity, the correction, calibration, DAC and
// results pages, and the meter information page. It shows what the meter
// answers, hands a programming run and a refresh to its owner, and runs the
// template menu over the template library. Texts are Polish, except the
// information page's label prefixes, which follow the program language.
#pragma once

#include "main/ControllerHooks.h"
#include "service/ConstantsEditor.h"
#include "service/IdentityProgrammer.h"
#include "service/RawCommand.h"
#include "service/ServiceInfo.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAction;
class QHBoxLayout;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QToolButton;

namespace k730 {

class TFormTemplate;
class TPageBin;
class TPageCal;
class TPageDac;
class TPageEEPROM;
class TPageFactors;
struct TMinMaxAv;
class TZAKTabSet;
struct TProgramSettings;

// Pages in tab order.
enum TServicePage : int { spEEPROM, spFactors, spCal, spDac, spBin, spInfo, SERVICE_PAGE_COUNT };

// What the window needs from the program around it.
struct TServiceContext {
    int language = 0;
    char decimalSeparator = '.';
    std::string libraryPath;              // the template library
    TProgramSettings* settings = nullptr; // last template, template editor geometry
    // The requests of a programming run, in order.
    std::function<void(std::vector<TQueueItem> items)> Program;
    // "Odśwież": the requests start afresh with identification.
    std::function<void()> Refresh;
    // The window is closing.
    std::function<void()> Closed;
    // Requests of the constant pages, queued in order and sent at once.
    std::function<void(std::vector<TQueueItem> items)> Queue;
    // A hand-typed request: the queue emptied, the item queued and sent at
    // once; the frame that went out, or nothing.
    std::function<std::optional<TBytes>(const TQueueItem& item)> SendRaw;
    // The main window's statistics while its minimum/maximum/average view is
    // on, else nothing.
    std::function<const TMinMaxAv*()> Averages;
    // Tells the cooperating program about the results file (the socket
    // announcement by default).
    std::function<void(const std::string& fileName, uint32_t lParam)> Announce;
};

class TFormService : public QWidget {
    Q_OBJECT
public:
    explicit TFormService(TServiceContext context);
    ~TFormService() override;

    // --- from the connection controller ------------------------------------------
    void Notify(TServiceNotice notice);
    void AddressAndMode(uint16_t merBusAddress, uint8_t mode);
    void Identity(const TMeterInfo& info, const std::string& identityText);
    void Config(uint8_t config);
    void DefaultRange(uint8_t index, const TMeterInfo& info);
    void Status(const TBytes& frame);
    // The requests of a programming run have all been answered.
    void RunAnswered();
    void ModBusAddress(uint8_t address);
    void ForcingValue(uint32_t dac);
    void CalibrationSaved(const TCalibrationSavedAnswer& saved);
    void RangeFactors(const std::array<float, 3>& factors);
    void TempCoefficient(float fractionPerKelvin);
    // Every answer frame, for the hand-typed request awaiting one.
    void Frame(const TBytes& frame);

    // Empties and disables what the meter filled in; with the information
    // page as well after a change of meter.
    void Reset(bool withInfo);
    void ShowPage(TServicePage page);
    TServicePage Page() const;

    // Seams for the modal parts: the template editor's run (exec by default)
    // and the messages (the confirmation dialog by default).
    std::function<int(TFormTemplate& editor)> RunTemplateEditor;
    std::function<void(const std::string& text, unsigned style)> ShowMessage;
    // Questions before a write (the confirmation dialog by default).
    std::function<bool(const std::string& question)> AskYesNo;

    // The results file chosen by "save as" (chooser seam: a dialog by default).
    std::function<QString(const QString& proposed)> ChooseResultsFile;
    void SaveAsClicked();
    void SaveAddClicked();
    const QString& ResultsFile() const { return resultsFile_; }
    QWidget* Splash() const;

    TIdentityProgrammer& Rules() { return rules_; }
    TConstantsEditor& Constants() { return constants_; }
    TPageEEPROM* SettingsPage() const { return pageEEPROM_; }
    TPageFactors* FactorsPage() const { return pageFactors_; }
    TPageCal* CalPage() const { return pageCal_; }
    TPageDac* DacPage() const { return pageDac_; }
    TPageBin* BinPage() const { return pageBin_; }
    QMenu* TemplateMenu() const { return menuTemplate_; }
    // The template menu's entries made current (also done before it pops up).
    void RefreshTemplateMenu();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void Build();
    void BuildConstantPages();
    void RenderConstantPages();
    void QueueNow(std::vector<TQueueItem> items);

    // Result lines (K730ServiceResults.cpp).
    void BuildSaveButtons(QHBoxLayout* row);
    void UpdateSaveButtons(Qt::KeyboardModifiers modifiers);
    bool AppendResults();
    void ShowSplash();
    bool AcceptResultsFile(const QString& file);
    QWidget* BuildInfoPage();
    void ShowInfoPrefixes();
    void TabChanged(int index);
    void ProgramClicked();
    void RefreshClicked();

    // Template menu (K730ServiceTemplates.cpp).
    void BuildTemplateMenu();
    void TemplateClicked();
    void ApplyTemplate(const TTemplateRec& t);
    void LastTemplateClicked();
    void OpenTemplateClicked();
    void SaveTemplateClicked();
    void EditTemplatesClicked();
    void ImportClicked();
    void ExportClicked();
    void ReadSpectralLists();
    int RunEditor(TFormTemplate& editor);
    void Tell(const std::string& text, unsigned style);

    TServiceContext ctx_;
    TIdentityProgrammer rules_;
    TConstantsEditor constants_;
    TRawExchange raw_;
    std::optional<uint8_t> modBusAddress_;
    std::optional<uint8_t> config_;
    QString resultsFile_; // empty until chosen
    int lastPage_ = 0;
    TInfoTexts prefixes_;

    QLabel* labelHeader_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    TZAKTabSet* tabSet_ = nullptr;
    TPageEEPROM* pageEEPROM_ = nullptr;
    TPageFactors* pageFactors_ = nullptr;
    TPageCal* pageCal_ = nullptr;
    TPageDac* pageDac_ = nullptr;
    TPageBin* pageBin_ = nullptr;
    QToolButton* btnBinSaveAs_ = nullptr;
    QToolButton* btnBinSaveAdd_ = nullptr;
    QLabel* imageSplash_ = nullptr;
    QPlainTextEdit* memoInfo_ = nullptr;
    std::array<QLabel*, INFO_LABEL_COUNT> infoLabels_{};
    QPushButton* btnRefresh_ = nullptr;
    QPushButton* btnClose_ = nullptr;

    QMenu* menuTemplate_ = nullptr;
    QAction* menuLastTemplate_ = nullptr;
    QAction* menuOpen_ = nullptr;
    QAction* menuSave_ = nullptr;
    QAction* menuEdit_ = nullptr;
    QAction* menuImport_ = nullptr;
    QAction* menuExport_ = nullptr;
    bool closed_ = false;
};

} // namespace k730
