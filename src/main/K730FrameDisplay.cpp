#include "main/K730FrameDisplay.h"

#include "main/ValueFormat.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QtMath>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace k730 {

namespace {

constexpr int ValueUnitGap = 4; // between the digits and the unit picture
constexpr int PieceGap = 2;     // every drawn piece of a unit advances this much beyond its width
constexpr int BarThickness = 4;
constexpr int BarClearance = 3; // between the bar and the tight outline of the texts

QFont MakeFont(int pixels, bool bold) {
    QFont font("Arial");
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

QFont UnitFont() {
    return MakeFont(27, true);
}
QFont SuperscriptFont() {
    return MakeFont(18, true);
}
// Micro is drawn as the Greek µ, a little larger and upright, as it stands
// in print beside the bold prefixes.
QFont MicroFont() {
    return MakeFont(33, false);
}

// One drawn piece of a unit: text, font and how far it is raised.
struct TPiece {
    QString text;
    QFont font;
    bool superscript = false;
};

int Advance(const TPiece& piece) {
    return QFontMetrics(piece.font).horizontalAdvance(piece.text) + PieceGap;
}

int Width(const std::vector<TPiece>& pieces) {
    int width = 0;
    for (const auto& piece : pieces)
        width += Advance(piece);
    return width;
}

int Kind(std::uint8_t kindByte) {
    return kindByte & 0x7F;
}
bool Luminance(std::uint8_t kindByte) {
    return (kindByte & 0x80) != 0;
}
bool OneLine(std::uint8_t kindByte) {
    return !Luminance(kindByte) && (Kind(kindByte) == 1 || Kind(kindByte) == 4);
}

std::vector<TPiece> Numerator(std::uint8_t kindByte, int q) {
    std::vector<TPiece> pieces;
    const QString prefix = TFrameDisplay::Prefix(q);
    if (!prefix.isEmpty()) pieces.push_back({prefix, q == -6 ? MicroFont() : UnitFont()});
    pieces.push_back({TFrameDisplay::BaseUnit(kindByte), UnitFont()});
    return pieces;
}

std::vector<TPiece> Denominator(std::uint8_t kindByte) {
    std::vector<TPiece> pieces{{"m", UnitFont()}, {"2", SuperscriptFont(), true}};
    const QString dot = QString::fromUtf8("·");
    if (Kind(kindByte) == 3) {
        pieces.push_back({dot, UnitFont()});
        pieces.push_back({"s", UnitFont()});
    }
    if (Luminance(kindByte) && (Kind(kindByte) == 2 || Kind(kindByte) == 3)) {
        pieces.push_back({dot, UnitFont()});
        pieces.push_back({"sr", UnitFont()});
    }
    return pieces;
}

// The superscript's top sits level with the top of the capitals beside it.
int Raise(const TPiece& piece) {
    if (!piece.superscript) return 0;
    return QFontMetrics(UnitFont()).capHeight() - QFontMetrics(piece.font).capHeight();
}

// Tight vertical extent of a row of pieces around its baseline (top < 0).
std::pair<int, int> Extent(const std::vector<TPiece>& pieces) {
    int top = 0, bottom = 0;
    for (const auto& piece : pieces) {
        const QRect tight = QFontMetrics(piece.font).tightBoundingRect(piece.text);
        top = std::min(top, tight.top() - Raise(piece));
        bottom = std::max(bottom, tight.bottom() - Raise(piece));
    }
    return {top, bottom};
}

void DrawRow(QPainter& painter, const std::vector<TPiece>& pieces, int x, int baseline) {
    for (const auto& piece : pieces) {
        painter.setFont(piece.font);
        painter.drawText(QPoint(x, baseline - Raise(piece)), piece.text);
        x += Advance(piece);
    }
}

int FloorToThree(int exponent) {
    return exponent >= 0 ? exponent / 3 * 3 : -((-exponent + 2) / 3 * 3);
}

// Exponents of the prefixes a value of this range can be shown with: from the
// weight of one converter step (18 bits) up to the range itself.
std::pair<int, int> PrefixSpan(float span) {
    const double x = std::fabs(static_cast<double>(span));
    if (!(x > 0) || !std::isfinite(x)) return {-24, 24};
    const double step = std::log10(x * 1.0000001 / std::ldexp(1.0, 18));
    const int low = static_cast<int>(std::trunc(step)) + (step >= 0 ? 1 : 0);
    const int high = static_cast<int>(std::trunc(std::log10(x)));
    return {std::clamp(FloorToThree(low), -24, 24), std::clamp(FloorToThree(high), -24, 24)};
}

} // namespace

QFont TFrameDisplay::ValueFont() {
    return MakeFont(40, true);
}
QFont TFrameDisplay::OverFont() {
    return MakeFont(13, false);
}

QString TFrameDisplay::BaseUnit(std::uint8_t kindByte) {
    switch (Kind(kindByte)) {
    case 1:
        return Luminance(kindByte) ? "cd" : "lx";
    case 2:
        return "W";
    case 3:
        return "mol";
    case 4:
        return Luminance(kindByte) ? "" : "A";
    default:
        return "";
    }
}

QString TFrameDisplay::Prefix(int q) {
    const std::string_view prefix = SiPrefix(q);
    return QString::fromUtf8(prefix.data(), static_cast<qsizetype>(prefix.size()));
}

int TFrameDisplay::UnitWidth(std::uint8_t kindByte, int qLow, int qHigh) {
    int width = 0;
    for (int q = FloorToThree(qLow); q <= qHigh; q += 3)
        width = std::max(width, Width(Numerator(kindByte, q)));
    if (!OneLine(kindByte)) width = std::max(width, Width(Denominator(kindByte)));
    return width;
}

QImage TFrameDisplay::RenderUnit(std::uint8_t kindByte, int q, int width, const TUnitMetrics& metrics,
                                 const QColor& color, qreal scale) {
    QImage image(qCeil(std::max(width, 1) * scale), qCeil(std::max(metrics.height, 1) * scale),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale); // drawn for the screen's pixels: crisp at 2× too
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(color);
    const auto numerator = Numerator(kindByte, q);
    if (OneLine(kindByte)) {
        DrawRow(painter, numerator, 0, metrics.baseline);
        return image;
    }
    const auto denominator = Denominator(kindByte);
    const auto [numTop, numBottom] = Extent(numerator);
    const auto [denTop, denBottom] = Extent(denominator);
    // The bar goes through the middle of the digits, moved only as far as
    // needed to keep both rows inside the picture.
    const int lowest = (numBottom - numTop) + BarClearance;
    const int highest = metrics.height - BarThickness - BarClearance - (denBottom - denTop) - 1;
    const int barTop = std::clamp(metrics.digitsMiddle - BarThickness / 2, lowest, std::max(lowest, highest));
    painter.fillRect(QRect(0, barTop, width, BarThickness), color);
    const int numBaseline = barTop - BarClearance - numBottom - 1;
    const int denBaseline = barTop + BarThickness + BarClearance - denTop;
    DrawRow(painter, numerator, (width - Width(numerator) + PieceGap) / 2, numBaseline);
    DrawRow(painter, denominator, (width - Width(denominator) + PieceGap) / 2, denBaseline);
    return image;
}

TFrameDisplay::TFrameDisplay(QWidget* parent) : QWidget(parent) {
    setObjectName("FrameDisplay");
    labelOver_ = new QLabel("OVER", this);
    labelOver_->setObjectName("LabelOver");
    labelOver_->setFont(OverFont());
    labelOver_->hide();
    labelValue_ = new QLabel(this);
    labelValue_->setObjectName("LabelValue");
    labelValue_->setFont(ValueFont());
    labelValue_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    imageUnit_ = new QLabel(this);
    imageUnit_->setObjectName("ImageUnit");
    imageUnit_->setAlignment(Qt::AlignRight | Qt::AlignTop);
}

void TFrameDisplay::Setup(const QColor& background, int minimumWidth, QChar decimalSeparator) {
    separator_ = decimalSeparator;
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, background);
    setPalette(palette);
    QPalette overPalette = labelOver_->palette();
    overPalette.setColor(QPalette::WindowText, QColor(0xC0, 0x00, 0x00));
    labelOver_->setPalette(overPalette);

    const QFontMetrics value(ValueFont()), over(OverFont()), unit(UnitFont());
    const int withOver = over.height() + value.height();
    const int twoLineUnit = 2 * unit.height() + BarThickness;
    fullHeight_ = (std::max(withOver, twoLineUnit) + 1) / 2 * 2;

    const int valueTop = (fullHeight_ - value.height()) / 2;
    const QRect digit = value.tightBoundingRect("0");
    metrics_.height = fullHeight_;
    metrics_.baseline = valueTop + value.ascent();
    metrics_.digitsMiddle = metrics_.baseline + (digit.top() + digit.bottom()) / 2;
    labelValue_->setGeometry(0, valueTop, 0, value.height());
    labelOver_->resize(over.horizontalAdvance("OVER") + 2, over.height());
    labelOver_->move(0, std::max(0, metrics_.baseline + digit.top() - over.height()));

    unitWidth_ = UnitWidth(0x83, -24, 24); // the widest kind, every prefix
    for (std::uint8_t kind : {0x01, 0x02, 0x03, 0x04, 0x81, 0x82})
        unitWidth_ = std::max(unitWidth_, UnitWidth(kind, -24, 24));
    const QString widest = QString("-0") + separator_ + "00000";
    fullWidth_ = std::max(value.horizontalAdvance(widest) + unitWidth_ + ValueUnitGap, minimumWidth);
    unitTop_ = 0;
    resize(fullWidth_, fullHeight_);

    Resize(5000, 6, 1);
    lastRangeFullScale_ = 5000;
    lastKindByte_ = 1;
    lastDigits_ = 6;
    Clear();
}

void TFrameDisplay::Resize(float span, int digits, std::uint8_t kindByte) {
    const QFontMetrics value(ValueFont());
    QString widest = "-0";
    if (digits > 1) widest += separator_ + QString(digits - 1, '0');
    valueWidth_ = value.horizontalAdvance(widest);
    const auto [low, high] = PrefixSpan(span);
    unitWidth_ = UnitWidth(kindByte, std::min(low, 0), std::max(high, 0));
    resize(valueWidth_ + ValueUnitGap + unitWidth_, fullHeight_);
    imageUnit_->setGeometry(width() - unitWidth_, unitTop_, unitWidth_, fullHeight_);
    shownUnit_.reset();
    PlaceValue();
}

void TFrameDisplay::ShowReading(const TDisplayReading& reading) {
    SetStale(false);
    const float magnitude = std::fabs(reading.value);
    if (reading.digits != lastDigits_ || reading.fullScale != lastRangeFullScale_ ||
        reading.kindByte != lastKindByte_ || magnitude > reading.fullScale)
        Resize(std::max(reading.fullScale, magnitude), reading.digits, reading.kindByte);
    if (reading.kindByte != lastKindByte_) imageUnit_->clear(), shownUnit_.reset();
    lastDigits_ = reading.digits;
    lastRangeFullScale_ = reading.fullScale;
    lastKindByte_ = reading.kindByte;

    if (reading.statusFlags & sfResultFactorInvalid) { // the result factor is bad: no value to show
        labelOver_->hide();
        labelValue_->hide();
        imageUnit_->hide();
        return;
    }
    labelOver_->setVisible(reading.statusFlags & sfOverRange);

    QString text = QString::fromStdString(reading.text);
    const qsizetype e = text.indexOf('E', 0, Qt::CaseInsensitive);
    const bool inPrefixes = reading.exponent >= -24 && reading.exponent <= 24;
    const bool unitShown = reading.kindValid && (e < 0 || inPrefixes);
    const int q = e < 0 ? 0 : reading.exponent;
    if (unitShown && e >= 0) text.truncate(e);
    if (unitShown) ShowUnit(reading.kindByte, q);
    imageUnit_->setVisible(unitShown);
    labelValue_->setText(text);
    labelValue_->show();

    copyText_ = text.toStdString();
    if (q != 0 && text.indexOf('E', 0, Qt::CaseInsensitive) < 0) copyText_ += "E" + std::to_string(q);
    PlaceValue();
}

void TFrameDisplay::ShowUnit(std::uint8_t kindByte, int q) {
    const std::tuple<std::uint8_t, int, bool> key{kindByte, q, stale_};
    if (shownUnit_ == key) return; // the same picture is up already: no redraw at each answer
    imageUnit_->setPixmap(
        QPixmap::fromImage(RenderUnit(kindByte, q, unitWidth_, metrics_, Ink(), devicePixelRatioF())));
    shownUnit_ = key;
}

QColor TFrameDisplay::Ink() const {
    return palette().color(stale_ ? QPalette::Disabled : QPalette::Active, QPalette::WindowText);
}

void TFrameDisplay::SetStale(bool stale) {
    if (stale == stale_) return;
    stale_ = stale;
    QPalette palette = labelValue_->palette();
    palette.setColor(QPalette::WindowText, Ink());
    labelValue_->setPalette(palette);
    if (shownUnit_) ShowUnit(std::get<0>(*shownUnit_), std::get<1>(*shownUnit_));
}

// The digits stand right against the unit, or take the whole width when no
// unit is drawn (an exponent the prefixes cannot carry, an unknown kind).
void TFrameDisplay::PlaceValue() {
    const QFontMetrics value(ValueFont());
    const int top = labelValue_->y();
    // isHidden, not isVisible: while a settings panel covers the display the
    // frame is hidden with its parent, and the unit must still count.
    if (!imageUnit_->isHidden() || labelValue_->text().isEmpty()) {
        labelValue_->setGeometry(imageUnit_->x() - ValueUnitGap - valueWidth_, top, valueWidth_,
                                 value.height());
    } else {
        const int needed = value.horizontalAdvance(labelValue_->text());
        if (needed > width()) resize(needed, fullHeight_);
        labelValue_->setGeometry(0, top, width(), value.height());
    }
    labelOver_->move(labelValue_->x() + value.horizontalAdvance('-'), labelOver_->y());
    Recentre();
}

void TFrameDisplay::Clear() {
    labelOver_->hide();
    labelValue_->clear();
    labelValue_->show();
    imageUnit_->clear();
    imageUnit_->show();
    shownUnit_.reset();
    PlaceValue();
}

void TFrameDisplay::SetCentred(bool centred) {
    centred_ = centred;
    Recentre();
}

void TFrameDisplay::Recentre() {
    if (!centred_ || parentWidget() == nullptr) return;
    // Horizontally only: the rows above and below the value belong to the panel.
    move((parentWidget()->width() - width()) / 2, y());
}

void TFrameDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Recentre();
}

} // namespace k730
