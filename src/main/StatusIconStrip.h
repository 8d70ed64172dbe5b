// TStatusIconStrip: the five status icons under the value (current loop, range
// mode, conversions, moving average, refresh), drawn into one picture. Only
// icons whose state changed are drawn again.
#pragma once

#include "main/DisplayReading.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <optional>
#include <string_view>

namespace k730 {

struct TIconStatus {
    std::uint8_t number = 0;
    std::string_view bitmapWhen;    // resource name used when the icon's condition holds
    std::string_view bitmapWhenNot; // used when it does not; empty for icons 3 and 4
    int left = 0;                   // x in the strip
    int width = 0;
    int height = 15;
    bool changed = true;
};

class TStatusIconStrip : public QWidget {
    Q_OBJECT
public:
    static constexpr int IconGap = 8;
    static constexpr int DigitAdvance = 6; // a 5 px glyph and one blank column

    // `editMaxLength` is the longest number the settings edit accepts; the
    // averaging and refresh icons keep room for that many digits.
    explicit TStatusIconStrip(int editMaxLength, QWidget* parent = nullptr);

    // The five icon records laid out left to right.
    static std::array<TIconStatus, 5> LayoutIcons(int editMaxLength);

    // Marks the icons whose state differs from what they show and redraws them.
    void SetInputs(const TIconInputs& inputs);
    // Draws every icon marked changed (RedrawIcons).
    void RedrawIcons();
    const std::array<TIconStatus, 5>& Icons() const { return icons_; }
    // The picture the strip shows (device pixels, with its pixel ratio set).
    const QImage& Strip() const { return strip_; }

    QSize sizeHint() const override { return size(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void MakeStrip(qreal scale);
    void DrawIcon(TIconStatus& icon);
    int DrawNumber(int x, int y, std::string_view text); // returns x after the last digit

    std::array<TIconStatus, 5> icons_;
    QImage strip_;  // in device pixels, scale_ per logical pixel
    QImage digits_; // likewise
    qreal scale_ = 1.0;
    TIconInputs inputs_;
    std::optional<TIconInputs> drawn_; // what the strip showed last
};

} // namespace k730
