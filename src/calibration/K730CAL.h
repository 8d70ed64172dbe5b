// TFormCAL: the calibration wizard's window. Two pages without tabs (step I,
// step II) over the toolkit-free TCalWizard: the window forwards what the
// operator types and presses and shows the wizard's state; messages the
// wizard raises are shown modelessly with the window disabled meanwhile.
#pragma once

#include "calibration/CalWizard.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;

namespace k730 {

class TConfirmForm;

class TFormCAL : public QWidget, public TCalWizardEvents {
    Q_OBJECT

public:
    TFormCAL(uint8_t meterKind, uint8_t lumMode, TLanguage lang, char decimal, ICalLink& link,
             TCalMemory& memory, QWidget* mainWindow);
    ~TFormCAL() override;

    // Shows the window beside the main window and resets the wizard.
    void Start();
    TCalWizard& Wizard() { return *wizard_; }

    // Called once the window is gone (the main window returns the meter to mode 0).
    std::function<void()> OnDestroyed;

    // --- TCalWizardEvents ------------------------------------------------------------
    void Changed() override;
    void ShowMessage(const TCalMessage& message) override;
    void CloseMessages() override;
    void Focus(TCalField field) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QGridLayout* NewPage(const char* name);
    QHBoxLayout* EntryRow(QLineEdit* edit, const char* unitName, const QString& unit);
    void BuildStep1();
    void BuildStep2();
    QWidget* BuildButtons();
    QLineEdit* NewEdit(const char* name, TCalField field, const QString& label);
    QPushButton* NewButton(const char* name, TText caption);
    QLabel* NewLabel(const char* name, const QString& text);
    void EditEnter(TCalField field);
    void SaveClicked();
    void MessageClosed();
    void PlaceBesideMain();
    QLineEdit* Edit(TCalField field) const;

    const TLanguage lang_;
    const char decimal_;
    TCalMemory& memory_;
    QWidget* mainWindow_;
    std::unique_ptr<TCalWizard> wizard_;
    QWidget* client_ = nullptr; // everything the operator uses; disabled while a message is open
    QLabel* LabelHeader = nullptr;
    QStackedWidget* PageCAL = nullptr;
    QLineEdit* EditDAC0 = nullptr;
    QLineEdit* EditE0 = nullptr;
    QLineEdit* EditIL = nullptr;
    QPushButton* BtnApplyDAC0 = nullptr;
    QPushButton* BtnApplyCAL = nullptr;
    QLabel* LabelExpect = nullptr;
    QPushButton* BtnBack = nullptr;
    QPushButton* BtnNext = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnCancel = nullptr;
    QList<QPointer<TConfirmForm>> boxes_;
    QPointer<QWidget> activeControl_; // refocused when the messages are gone
    std::optional<TCalField> pendingFocus_;
    QMetaObject::Connection focusWatch_; // EditE0 left for EditIL
};

} // namespace k730
