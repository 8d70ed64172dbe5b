// TFrameCheckBox: a check box in a small square frame of its own, as the
// service window's configuration and default-range boxes are. It can be read
// only (a click is undone and reported to nobody), its state can be set
// without firing the change callback, the arrow keys move the focus to the
// neighbouring control, and a click anywhere inside the frame toggles it.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>

class QCheckBox;

namespace k730 {

class TFrameCheckBox : public QWidget {
    Q_OBJECT
public:
    explicit TFrameCheckBox(QWidget* parent = nullptr);

    bool Checked() const { return checked_; }
    // Sets the state without firing the change callback.
    void SetChecked(bool checked);
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on) { readOnly_ = on; }
    bool ChBEnabled() const;
    // Enables the inner box; the frame takes the tab stop only while the box cannot.
    void SetChBEnabled(bool on);
    // The caption the box is known by (its label's), for assistive technology.
    void SetCaption(const QString& caption);

    // Runs after the user changed the state.
    std::function<void(TFrameCheckBox*)> OnChange;

    QCheckBox* Box() const { return box_; }
    const QImage& Pattern(bool focused) const { return focused ? focusPattern_ : plainPattern_; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BoxClicked();
    void RebuildPatterns();

    QCheckBox* box_ = nullptr;
    bool checked_ = false;
    bool readOnly_ = false;
    QImage plainPattern_;
    QImage focusPattern_;
};

} // namespace k730
