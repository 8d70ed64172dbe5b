// TFormTemplate: the modal template editor the service window opens from its
// template menu, in one of three modes — open ("K730 Otwórz szablon": pick a
// template), save ("K730 Zapisz szablon": name the present settings and add
// them to the library) and edit ("K730 Szablony": user names, deleting
// templates and the four spectral-response lists). It shows TTemplateEditor
// and forwards every click to it. Texts are Polish.
#pragma once

#include "files/FileMessage.h"
#include "service/TemplateEditor.h"

#include <QDialog>

#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QStackedWidget;
class QTableView;
class QToolButton;
class QWidget;

namespace k730 {

class TTemplateModel;
class TZAKTabSet;
struct TProgramSettings;

class TFormTemplate : public QDialog {
    Q_OBJECT
public:
    // `settings` keeps the window's size and column widths between runs (may be null).
    TFormTemplate(TTemplateMode mode, std::string libraryPath, TTemplateRec record, int language,
                  char decimalSeparator, TProgramSettings* settings, QWidget* owner);
    ~TFormTemplate() override;

    TTemplateEditor& Editor() { return editor_; }

    // Seams for the questions and messages (the confirmation dialog by default).
    TAskYesNo AskOverwrite;                            // a template of that name exists
    std::function<void(const TFileMessage&)> Tell;     // outcome of adding a template
    std::function<bool(const QString& title)> AskSave; // "Zapisać zmiany?" on closing

    static QString Caption(TTemplateMode mode);

    void done(int result) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildSavePanel();
    void BuildEditPanel();
    void BuildSpectralPage(QWidget* page);
    void BuildButtons();
    QPushButton* AddButton(const char* name, const QString& caption);
    void SizeEditWindow();
    void SizeColumns();
    void StoreGeometry();

    void RebuildGrid();
    void RebuildLists();
    void Render();
    void SelectGridRow(int row);
    bool TabChanging(int index);
    void TabChanged(int index);

    void BtnSaveClick();
    void BtnOpenClick();
    void BtnApplyClick();
    void BtnDelClick();
    void BtnAddClick();
    void BtnRefreshClick();
    bool CloseAllowed();

    TTemplateEditor editor_;
    const int lang_;
    const char separator_;
    TProgramSettings* settings_;
    bool closing_ = false;

    QWidget* panelSave_ = nullptr;
    QLabel* labelMeterName_ = nullptr;
    QLineEdit* editUserName_ = nullptr;

    QWidget* panelEdit_ = nullptr;
    QStackedWidget* pageControl_ = nullptr;
    QTableView* sgTemplate_ = nullptr;
    TTemplateModel* model_ = nullptr;
    TZAKTabSet* tabSet_ = nullptr;
    std::array<QLabel*, 4> listLabels_{};
    std::array<QListWidget*, 4> lists_{};

    QWidget* panelBtn_ = nullptr;
    QToolButton* btnUp_ = nullptr;
    QToolButton* btnDown_ = nullptr;
    QLabel* labelChangeName_ = nullptr;
    QLineEdit* editNewName_ = nullptr;
    QPushButton* btnApply_ = nullptr;
    QPushButton* btnAdd_ = nullptr;
    QPushButton* btnDel_ = nullptr;
    QPushButton* btnRefresh_ = nullptr;
    QPushButton* btnOpen_ = nullptr;
    QPushButton* btnSave_ = nullptr;
    QPushButton* btnCancel_ = nullptr;
};

} // namespace k730
