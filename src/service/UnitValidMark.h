// TValidMark: the 10 × 10 mark beside a service window field — a green plus
// for a valid entry, a red minus for one that may not be programmed, and a
// blue question mark for a valid entry that is not one of the known values.
#pragma once

#include <QWidget>

namespace k730 {

class TValidMark : public QWidget {
    Q_OBJECT
public:
    explicit TValidMark(QWidget* parent = nullptr);

    bool Valid() const { return valid_; }
    bool Unknown() const { return unknown_; }
    // Each repaints only when the flag changes.
    void SetValid(bool valid);
    void SetUnknown(bool unknown);

    QSize sizeHint() const override { return {10, 10}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Describe();

    bool valid_ = false;
    bool unknown_ = false;
};

} // namespace k730
