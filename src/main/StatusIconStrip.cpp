#include "main/StatusIconStrip.h"

#include "resources/K730Bitmaps.h"

#include <QPainter>
#include <QtMath>

#include <string>

namespace k730 {

TStatusIconStrip::TStatusIconStrip(int editMaxLength, QWidget* parent)
    : QWidget(parent), icons_(LayoutIcons(editMaxLength)) {
    setObjectName("ImageIconStatus");
    const TIconStatus& last = icons_.back();
    setFixedSize(last.left + last.width, last.height);
    setAttribute(Qt::WA_TranslucentBackground);
    MakeStrip(devicePixelRatioF());
}

// The strip in device pixels of the screen it is on; every icon is due again.
void TStatusIconStrip::MakeStrip(qreal scale) {
    scale_ = scale;
    strip_ = QImage(qCeil(width() * scale), qCeil(height() * scale), QImage::Format_ARGB32_Premultiplied);
    strip_.setDevicePixelRatio(scale);
    strip_.fill(Qt::transparent);
    digits_ = TransparentFromTopLeft(K730Bitmap("BMPDIGITS5X9", scale));
    for (auto& icon : icons_)
        icon.changed = true;
}

std::array<TIconStatus, 5> TStatusIconStrip::LayoutIcons(int editMaxLength) {
    std::array<TIconStatus, 5> icons{{
        {0, "BMPLOOPON", "BMPLOOPOFF", 0, 29},
        {1, "BMPRANGEAUTO", "BMPRANGEMANUAL", 0, 11},
        {2, "BMPAVERSAMPLESHORT", "BMPAVERSAMPLE", 0, 22},
        {3, "BMPAVERMEAS", "", 0, DigitAdvance * editMaxLength + 22},
        {4, "BMPREPETITION", "", 0, DigitAdvance * editMaxLength + 28},
    }};
    int left = 0;
    for (auto& icon : icons) {
        icon.left = left;
        left += icon.width + IconGap;
    }
    return icons;
}

void TStatusIconStrip::SetInputs(const TIconInputs& inputs) {
    inputs_ = inputs;
    if (!drawn_ || drawn_->statusKnown != inputs.statusKnown) {
        for (auto& icon : icons_)
            icon.changed = true;
    } else {
        icons_[0].changed |= drawn_->loopOn != inputs.loopOn;
        icons_[1].changed |= drawn_->autoRange != inputs.autoRange;
        icons_[2].changed |= drawn_->convCount != inputs.convCount;
        icons_[3].changed |= drawn_->averCount != inputs.averCount;
        icons_[4].changed |= drawn_->repeatAuto != inputs.repeatAuto || drawn_->refreshMs != inputs.refreshMs;
    }
    RedrawIcons();
}

void TStatusIconStrip::RedrawIcons() {
    bool any = false;
    for (auto& icon : icons_) {
        if (!icon.changed) continue;
        DrawIcon(icon);
        // Until a status is stored the icons stay due, so the first answer draws them all.
        icon.changed = !inputs_.statusKnown;
        any = true;
    }
    drawn_ = inputs_;
    if (any) update();
}

void TStatusIconStrip::DrawIcon(TIconStatus& icon) {
    QPainter painter(&strip_);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(QRect(icon.left, 0, icon.width, icon.height), Qt::transparent);
    if (!inputs_.statusKnown) return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    bool condition = true;
    if (icon.number == 0) condition = inputs_.loopOn;
    if (icon.number == 1) condition = inputs_.autoRange;
    if (icon.number == 2) condition = inputs_.convCount > 9;
    const QImage bitmap = TransparentFromTopLeft(
        K730Bitmap(condition || icon.bitmapWhenNot.empty() ? icon.bitmapWhen : icon.bitmapWhenNot, scale_));
    const QSize logical = bitmap.deviceIndependentSize().toSize();
    painter.drawImage(QPoint(icon.left, (icon.height - logical.height()) / 2), bitmap);
    painter.end();

    const int digitTop = (icon.height - DigitGlyphHeight) / 2;
    const int right = icon.left + icon.width;
    if (icon.number == 2) {
        const std::string count = std::to_string(inputs_.convCount);
        DrawNumber(right - static_cast<int>(count.size()) * DigitAdvance + 1, digitTop, count);
    } else if (icon.number == 3) {
        DrawNumber(right - (icon.width - 22), digitTop, std::to_string(inputs_.averCount));
    } else if (icon.number == 4) {
        const int after = icon.left + logical.width() + 3;
        if (!inputs_.repeatAuto) {
            DrawNumber(after, digitTop, std::to_string(inputs_.refreshMs));
        } else {
            QPainter text(&strip_);
            QFont font = this->font();
            font.setPixelSize(13);
            text.setFont(font);
            text.setPen(palette().color(QPalette::WindowText));
            text.drawText(QRect(after, 0, right - after, icon.height), Qt::AlignLeft | Qt::AlignVCenter,
                          "Auto");
        }
    }
}

// Digits from the glyph strip, left to right, up to the first character that
// is not a digit.
int TStatusIconStrip::DrawNumber(int x, int y, std::string_view text) {
    QPainter painter(&strip_);
    for (char ch : text) {
        if (ch < '0' || ch > '9') break;
        const QRectF glyph((ch - '0') * DigitGlyphWidth * scale_, 0, DigitGlyphWidth * scale_,
                           DigitGlyphHeight * scale_); // in the strip's device pixels
        painter.drawImage(QRectF(x, y, DigitGlyphWidth, DigitGlyphHeight), digits_, glyph);
        x += DigitAdvance;
    }
    return x;
}

void TStatusIconStrip::paintEvent(QPaintEvent*) {
    if (devicePixelRatioF() != scale_) { // moved to a screen of another pixel density
        MakeStrip(devicePixelRatioF());
        RedrawIcons();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, strip_);
}

} // namespace k730
