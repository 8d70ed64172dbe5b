// TPageEEPROM: the service window's settings page — the boxes of the
// meter's identity memory, each with its status against the meter and its
// validity mark, and the "Programuj" and "Szablony" buttons. It shows what
// TIdentityProgrammer holds and forwards every edit to it.
#pragma once

#include "service/IdentityProgrammer.h"

#include <QHash>
#include <QWidget>

#include <array>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace k730 {

class TFrameCheckBox;
class TValidMark;

class TPageEEPROM : public QWidget {
    Q_OBJECT
public:
    TPageEEPROM(TIdentityProgrammer& rules, int language, QWidget* parent = nullptr);

    // Shows the rules' state: texts, ticks, statuses, marks, what is enabled.
    void Render();

    QPushButton* ProgramButton() const { return btnProgram_; }
    QPushButton* TemplateButton() const { return btnTemplate_; }

signals:
    void ProgramClicked();
    void TemplateClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void AddRow(int row, const char* caption, QWidget* control, TSvcField field);
    QLineEdit* AddEdit(const char* name, const QString& caption, int length);
    void BuildRanges(int firstRow);
    void BuildConfig(int row);
    void Edited(QLineEdit* edit, const QString& text);
    void RenderField(TSvcField field);
    void RenderEnabled();

    TIdentityProgrammer& rules_;
    const int lang_;
    bool rendering_ = false;
    QHash<QLineEdit*, QString> enterText_; // a box's text when it got the focus, back with Escape

    QLabel* labelMeterName_ = nullptr;
    QLineEdit* editSN_ = nullptr;
    QLineEdit* editYear_ = nullptr;
    QComboBox* cbMeterKind_ = nullptr;
    QComboBox* cbSpectral_ = nullptr;
    TFrameCheckBox* chbLumMode_ = nullptr;
    QLineEdit* editAngle_ = nullptr;
    std::array<QToolButton*, 3> btnAngle_{};
    std::array<QLineEdit*, 3> editRange_{};
    std::array<TFrameCheckBox*, 3> chbDefault_{};
    std::array<TFrameCheckBox*, 8> chbConfig_{};
    std::array<QLabel*, 8> labelConfigBit_{};
    QLineEdit* editMeterVer_ = nullptr;
    QPushButton* btnProgram_ = nullptr;
    QPushButton* btnTemplate_ = nullptr;
    std::array<QLabel*, SVC_FIELD_COUNT> status_{};
    std::array<TValidMark*, SVC_FIELD_COUNT> marks_{};
};

} // namespace k730
