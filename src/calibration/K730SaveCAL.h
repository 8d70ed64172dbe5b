// TFormSaveCAL: the confirmation dialog that asks before the calibration
// factors are stored in the meter, with "Add to calibration history log",
// "Add comment:" and the comment's memo under its buttons. Used by the
// wizard's Save and by the history window's Program.
#pragma once

#include "calibration/CalWizard.h"
#include "ui/ConfBox.h"

#include <optional>

class QCheckBox;
class QFrame;
class QPlainTextEdit;

namespace k730 {

class TFormSaveCAL : public TConfirmForm {
    Q_OBJECT

public:
    // `style` picks the icon; a question defaults to Yes, a warning to No.
    TFormSaveCAL(QWidget* owner, const QString& text, unsigned style, bool addToHistory,
                 const QString& comment, int lang);

    // Lays out the dialog with the boxes and the memo under the buttons.
    void ArrangeSaveCAL();
    TCalSaveChoice Choice() const;

    // Shows the dialog modally; the operator's choice when it closed with Yes.
    static std::optional<TCalSaveChoice> Execute(QWidget* owner, const QString& text, unsigned style,
                                                 bool addToHistory, const QString& comment, int lang);

private:
    void FollowBoxes();

    QFrame* BevelSave = nullptr;
    QCheckBox* ChBAddToHistory = nullptr;
    QCheckBox* ChBAddComment = nullptr;
    QPlainTextEdit* MemoComment = nullptr;
};

} // namespace k730
