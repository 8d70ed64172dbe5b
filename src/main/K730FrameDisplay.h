// TFrameDisplay: the measured value in large digits with its SI prefix and unit
// drawn beside it (one line for lx and A, a fraction for the others), and the
// "OVER" mark above. The main window places it on PanelDisplayClient and feeds
// it one TDisplayReading per status answer.
#pragma once

#include "main/DisplayReading.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QWidget>

#include <optional>
#include <string>
#include <tuple>

class QLabel;

namespace k730 {

// Where the pieces of a unit go; shared by the width calculation and the
// drawing so that what is measured is what gets drawn.
struct TUnitMetrics {
    int height = 0;       // of the unit picture (the frame's height)
    int baseline = 0;     // baseline of the value digits, in picture coordinates
    int digitsMiddle = 0; // vertical middle of the value digits
};

class TFrameDisplay : public QWidget {
    Q_OBJECT
public:
    explicit TFrameDisplay(QWidget* parent = nullptr);

    // Sizes the frame once: background, the least width the frame takes (lamp,
    // icon strip and temperature need that much), the decimal separator of
    // the texts it will show.
    void Setup(const QColor& background, int minimumWidth, QChar decimalSeparator);
    // Shows one status answer. Re-lays out only when digits, range or kind
    // change or the value exceeds the range.
    void ShowReading(const TDisplayReading& reading);
    // Empties the value and the unit and hides "OVER".
    void Clear();
    // Greys the value and unit while the meter no longer confirms them (no
    // answer, line fault); the next reading is drawn in full ink again.
    void SetStale(bool stale);
    bool Stale() const { return stale_; }
    void SetCentred(bool centred);

    // The last value text with its exponent, "0" at start (Ctrl+C copies it).
    const std::string& CopyText() const { return copyText_; }
    int FullWidth() const { return fullWidth_; }
    int FullHeight() const { return fullHeight_; }
    int UnitTop() const { return unitTop_; }

    // The unit text for a kind byte: "lx", "cd", "W", "mol" or "A"; empty for an
    // invalid kind.
    static QString BaseUnit(std::uint8_t kindByte);
    // SI prefix of 10^q for q a multiple of 3 within −24..24 ("µ" for micro).
    static QString Prefix(int q);
    // The width of the widest rendering of the kind's unit with any prefix of
    // 10^qLow..10^qHigh.
    static int UnitWidth(std::uint8_t kindByte, int qLow, int qHigh);
    // Draws prefix and unit for a valid kind into a picture `width` wide.
    static QImage RenderUnit(std::uint8_t kindByte, int q, int width, const TUnitMetrics& metrics,
                             const QColor& color, qreal scale = 1.0);

    static QFont ValueFont();
    static QFont OverFont();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Resize(float span, int digits, std::uint8_t kindByte);
    void ShowUnit(std::uint8_t kindByte, int q);
    void PlaceValue();
    void Recentre();
    QColor Ink() const;

    QLabel* labelOver_ = nullptr;
    QLabel* labelValue_ = nullptr;
    QLabel* imageUnit_ = nullptr;

    QChar separator_ = ',';
    std::string copyText_ = "0";
    float lastRangeFullScale_ = 5000;
    std::uint8_t lastKindByte_ = 1;
    int lastDigits_ = 0;
    bool centred_ = true;
    bool stale_ = false;
    int fullWidth_ = 0;
    int fullHeight_ = 0;
    int unitTop_ = 0;
    int unitWidth_ = 0;
    int valueWidth_ = 0;
    TUnitMetrics metrics_;
    // The unit picture on show (kind, exponent, stale), so an unchanged unit
    // is not drawn again.
    std::optional<std::tuple<std::uint8_t, int, bool>> shownUnit_;
};

} // namespace k730
