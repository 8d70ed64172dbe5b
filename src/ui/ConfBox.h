// TConfirmForm: the program's own bilingual message dialog, and the entry
// functions through which every message, warning and question is shown.
// Texts use CR LF between lines; callers pass "K730" as the title.
#pragma once

#include "files/FileMessage.h"
#include "ui/ConfLayout.h"

#include <QDialog>
#include <QPointer>
#include <QStringList>

#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace k730 {

// Settings of the dialog module, set by the main window: the language of the
// captions and whether dialogs centre over the window that asked (off during
// start-up and while a dialog stands over a system file dialog).
void ConfSetLanguage(int lang);
int ConfLanguage();
void ConfSetCentreOverOwner(bool on);
bool ConfCentreOverOwner();

class TConfirmForm : public QDialog {
    Q_OBJECT

public:
    TConfirmForm(QWidget* owner, const QString& text, const QString& title, unsigned style, TConfMode mode,
                 int lang);

    // One radio button per option; clicking one stores its index in
    // *selectedIndex at once. The index is clamped first.
    void SetOptions(const QStringList& options, int* selectedIndex);
    // One check box per caption (at most 32); clicking box i sets or clears
    // bit i of *mask at once.
    void SetChecks(const QStringList& captions, uint32_t* mask);
    // The single extra check box under the buttons.
    void SetCheckBox(const QString& text, bool checked);
    // Keyboard focus on Yes (0) or No (1).
    void SetDefaultButton(int button);
    // Lays the dialog out, places it and beeps; run once before showing.
    void Arrange();

    uint8_t Result() const { return result_; }
    bool CheckBoxChecked() const;
    TConfIcon Icon() const { return icon_; }
    const TConfLayout& Layout() const { return layout_; }
    const TConfMode& Mode() const { return mode_; }

private:
    void CreateControls(const QString& text);
    void ApplyCaptions();
    void Finish(uint8_t result);
    TConfLayoutInput Measure() const;
    void ApplyLayout();
    void PlaceOnScreen();

    QLabel* ImageIcon = nullptr;
    QLabel* LabelTxt = nullptr;
    QPushButton* BtnYes = nullptr;
    QPushButton* BtnNo = nullptr;
    QPushButton* BtnSkip = nullptr;
    QPushButton* BtnYesAll = nullptr;
    QPushButton* BtnNoAll = nullptr;
    QPushButton* BtnCancel = nullptr;
    QCheckBox* CheckBox = nullptr;
    QList<QRadioButton*> radios_;
    QList<QCheckBox*> checks_;
    QPointer<QWidget> owner_;
    TConfMode mode_;
    int lang_;
    unsigned style_;
    TConfIcon icon_ = ciQuestion;
    uint8_t result_ = crCancel; // stays 6 for Escape and the close box
    int defaultButton_ = 0;
    bool checkBoxUsed_ = false;
    TConfLayout layout_;
};

// Result code of the button that closed the dialog.
int ConfAsk(QWidget* owner, const QString& text, const QString& title, unsigned style, bool allButtons,
            bool singleButton);
// As ConfAsk; the dialog stands in *slot while it is shown so that another
// event can close it, and the slot is cleared afterwards.
int ConfAskTracked(QWidget* owner, QPointer<TConfirmForm>& slot, const QString& text, unsigned style,
                   bool allButtons, bool singleButton, const QString& title);
// The plain message box: one "OK"; true when OK was pressed.
// The dialog icon of a message from the file and window rules.
unsigned ConfStyle(TMessageStyle style);
bool ConfMessage(QWidget* owner, const QString& text, const QString& title, unsigned style);
bool ConfYesNo(QWidget* owner, const QString& text, const QString& title, unsigned style);
bool ConfYesNoDefault(QWidget* owner, const QString& text, const QString& title, unsigned style,
                      int defaultButton);
// The box's state is written back when the dialog closed with Yes or No.
bool ConfYesNoCheck(QWidget* owner, const QString& text, const QString& title, unsigned style, bool& checked,
                    int defaultButton, const QString& checkText);
bool ConfYesNoCode(QWidget* owner, const QString& text, const QString& title, int& resultOut, unsigned style);
bool ConfOkCancel(QWidget* owner, const QString& text, const QString& title, unsigned style,
                  int defaultButton);
// The box's state is written back when the dialog closed with OK.
bool ConfOkCancelCheck(QWidget* owner, const QString& text, const QString& title, unsigned style,
                       bool& checked, int defaultButton, const QString& checkText);
// True for Yes or Yes to all; the box is written back unless cancelled.
bool ConfAskAllCheck(QWidget* owner, const QString& text, const QString& title, unsigned style, bool& checked,
                     bool allButtons, bool singleButton, const QString& checkText);
// OK/Cancel with one radio button per option; without OK the caller's index
// gets back its value on entry.
bool ConfChoice(QWidget* owner, const QString& text, const QString& title, unsigned style, int defaultButton,
                int& selectedIndex, const QStringList& options);
// Shows the dialog without waiting; it frees itself when closed.
TConfirmForm* ConfShowModeless(QWidget* owner, const QString& text, const QString& title, unsigned style,
                               bool allButtons, bool singleButton);

} // namespace k730
