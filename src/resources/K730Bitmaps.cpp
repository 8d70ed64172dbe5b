#include "resources/K730Bitmaps.h"

#include "resources/desktop/SvgIcon.h"

#include <QSvgRenderer>

// Outside the namespace, as the resource macro wants.
static void InitDesktopResources() {
    Q_INIT_RESOURCE(K730Desktop);
}

#include <QFontMetrics>
#include <QPixmap>
#include <QtMath>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <array>
#include <cstring>
#include <functional>
#include <map>

namespace k730 {

namespace {

// Ten 5×9 digit glyphs, 0..9; '#' is ink.
constexpr std::array<std::array<const char*, 9>, 10> DigitGlyphs{{
    {".###.", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."},
    {"..#..", ".##..", "#.#..", "..#..", "..#..", "..#..", "..#..", "..#..", "#####"},
    {".###.", "#...#", "....#", "....#", "...#.", "..#..", ".#...", "#....", "#####"},
    {".###.", "#...#", "....#", "....#", "..##.", "....#", "....#", "#...#", ".###."},
    {"...#.", "..##.", ".#.#.", "#..#.", "#..#.", "#####", "...#.", "...#.", "...#."},
    {"#####", "#....", "#....", "####.", "....#", "....#", "....#", "#...#", ".###."},
    {".###.", "#...#", "#....", "#....", "####.", "#...#", "#...#", "#...#", ".###."},
    {"#####", "....#", "....#", "...#.", "...#.", "..#..", "..#..", ".#...", ".#..."},
    {".###.", "#...#", "#...#", "#...#", ".###.", "#...#", "#...#", "#...#", ".###."},
    {".###.", "#...#", "#...#", "#...#", ".####", "....#", "....#", "#...#", ".###."},
}};

// Small glyphs for the icon captions, 5 rows high.
struct TSmallGlyph {
    char ch;
    std::array<const char*, 5> rows;
};
constexpr std::array<TSmallGlyph, 5> SmallGlyphs{{
    {'4', {"#.#", "#.#", "###", "..#", "..#"}},
    {'-', {"...", "...", "###", "...", "..."}},
    {'2', {"###", "..#", "###", "#..", "###"}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'m', {".....", "####.", "#.#.#", "#.#.#", "#.#.#"}},
}};
constexpr std::array<const char*, 5> SmallA{".#.", "#.#", "###", "#.#", "#.#"};

// 5×7 capitals for the range-mode icon.
constexpr std::array<const char*, 7> BigA{"..#..", ".#.#.", "#...#", "#...#", "#####", "#...#", "#...#"};
constexpr std::array<const char*, 7> BigM{"#...#", "##.##", "#.#.#", "#.#.#", "#...#", "#...#", "#...#"};

const QColor Navy(0x10, 0x28, 0x78);
const QColor Ink(0x20, 0x20, 0x20);
const QColor LoopGreen(0x1E, 0x8C, 0x32);
const QColor OffGrey(0x9A, 0x9A, 0x9A);
const QColor OffFill(0xEC, 0xEC, 0xEC);
const QColor LoopLight(0xCF, 0xF2, 0xD4); // lit loop: light green behind dark letters
const QColor LoopInk(0x05, 0x28, 0x0C);

// A transparent picture `width` × `height` in logical pixels, with as many
// device pixels per logical one as the screen has: everything below paints
// in logical coordinates and comes out crisp at 1× and 2×.
QImage Canvas(int width, int height, qreal scale) {
    QImage image(qCeil(width * scale), qCeil(height * scale), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::transparent);
    return image;
}

// One logical pixel of pixel art: a square block of device pixels.
void Dot(QPainter& p, int x, int y, QColor c) {
    p.fillRect(QRect(x, y, 1, 1), c);
}

template <std::size_t N>
void PutGlyph(QPainter& p, int x, int y, const std::array<const char*, N>& rows, QColor c) {
    for (std::size_t row = 0; row < N; ++row)
        for (int col = 0; rows[row][col] != '\0'; ++col)
            if (rows[row][col] == '#') Dot(p, x + col, y + static_cast<int>(row), c);
}

const std::array<const char*, 5>* SmallGlyph(char ch) {
    if (ch == 'A') return &SmallA;
    for (const auto& glyph : SmallGlyphs)
        if (glyph.ch == ch) return &glyph.rows;
    return nullptr;
}

// Draws a caption in the small glyphs; returns the width used.
int PutSmallText(QPainter* p, int x, int y, std::string_view text, QColor c) {
    const int start = x;
    for (char ch : text) {
        const auto* rows = SmallGlyph(ch);
        if (rows == nullptr) continue;
        if (p) PutGlyph(*p, x, y, *rows, c);
        x += static_cast<int>(std::strlen((*rows)[0])) + 1;
    }
    return x - start - 1;
}

int SmallTextWidth(std::string_view text) {
    return PutSmallText(nullptr, 0, 0, text, Qt::black);
}

// A box with the corner pixels cut off, crisp at any size.
void PutBox(QPainter& p, QRect r, QColor border, QColor fill) {
    p.fillRect(r.adjusted(1, 1, -1, -1), fill);
    p.fillRect(QRect(r.left() + 1, r.top(), r.width() - 2, 1), border);
    p.fillRect(QRect(r.left() + 1, r.bottom(), r.width() - 2, 1), border);
    p.fillRect(QRect(r.left(), r.top() + 1, 1, r.height() - 2), border);
    p.fillRect(QRect(r.right(), r.top() + 1, 1, r.height() - 2), border);
}

QImage Digits(qreal scale) {
    QImage image = Canvas(10 * DigitGlyphWidth, DigitGlyphHeight, scale);
    QPainter p(&image);
    for (int d = 0; d < 10; ++d)
        PutGlyph(p, d * DigitGlyphWidth, 0, DigitGlyphs[d], Ink);
    return image;
}

// Current loop: "4-20mA" in a box, dark letters on green when the loop is
// switched on (white strokes one pixel wide drown in the green at 1×).
QImage Loop(bool on, qreal scale) {
    QImage image = Canvas(29, 15, scale);
    QPainter p(&image);
    PutBox(p, QRect(0, 1, 29, 13), on ? LoopGreen.darker(160) : OffGrey, on ? LoopLight : OffFill);
    const std::string_view text = "4-20mA";
    PutSmallText(&p, (29 - SmallTextWidth(text) + 1) / 2, 5, text, on ? LoopInk : OffGrey);
    return image;
}

// Range mode: a solid "A" for automatic range change, an outlined "M" for manual.
QImage RangeMode(bool automatic, qreal scale) {
    QImage image = Canvas(11, 15, scale);
    QPainter p(&image);
    PutBox(p, QRect(0, 1, 11, 13), Navy, automatic ? Navy : QColor(Qt::white));
    PutGlyph(p, 3, 4, automatic ? BigA : BigM, automatic ? QColor(Qt::white) : Navy);
    return image;
}

// Conversions per result: a little histogram of samples. The short one leaves
// room for a two- or three-digit count at the icon's right edge.
QImage Samples(bool shortForm, qreal scale) {
    const std::array<int, 4> heights{5, 9, 7, 4};
    const int bars = shortForm ? 3 : 4;
    const int barWidth = shortForm ? 1 : 2;
    const int width = bars * (barWidth + 1) - 1;
    QImage image = Canvas(width, 15, scale);
    QPainter p(&image);
    for (int b = 0; b < bars; ++b)
        p.fillRect(QRect(b * (barWidth + 1), 13 - heights[b], barWidth, heights[b]), Navy);
    p.fillRect(QRect(0, 13, width, 1), Ink);
    return image;
}

// Moving average: a jagged signal with its mean drawn straight through it.
QImage MovingAverage(qreal scale) {
    QImage image = Canvas(19, 15, scale);
    QPainter p(&image);
    const std::array<int, 19> signal{9, 6, 4, 7, 10, 8, 5, 3, 6, 9, 11, 8, 6, 4, 5, 8, 10, 7, 5};
    for (int x = 0; x < 19; ++x) {
        const int from = x == 0 ? signal[0] : signal[x - 1];
        const int lo = std::min(from, signal[x]), hi = std::max(from, signal[x]);
        p.fillRect(QRect(x, lo, 1, hi - lo + 1), OffGrey);
    }
    p.fillRect(QRect(0, 7, 19, 1), QColor(0xC8, 0x1E, 0x1E));
    return image;
}

// Refresh period: a clock face.
QImage Refresh(qreal scale) {
    QImage image = Canvas(15, 15, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Navy, 1.6));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.3, 1.3, 12.4, 12.4));
    p.setPen(QPen(Navy, 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(7.5, 7.5), QPointF(7.5, 3.8));
    p.drawLine(QPointF(7.5, 7.5), QPointF(10.6, 9.0));
    return image;
}

// The lamp: one 15×15 column per colour of TLEDColor (blue, green, yellow,
// red, white); row 0 unlit, row 1 lit.
QImage LedSprites(qreal scale) {
    const std::array<QColor, 5> colours{QColor(0x2A, 0x6C, 0xF0), QColor(0x22, 0xD0, 0x3A),
                                        QColor(0xF8, 0xD8, 0x1C), QColor(0xF0, 0x2A, 0x22),
                                        QColor(0xF4, 0xF4, 0xF4)};
    QImage image = Canvas(5 * LedSpriteSize, 2 * LedSpriteSize, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    for (int c = 0; c < 5; ++c)
        for (int lit = 0; lit < 2; ++lit) {
            const QRectF cell(c * LedSpriteSize, lit * LedSpriteSize, LedSpriteSize, LedSpriteSize);
            const QRectF body = cell.adjusted(1.5, 1.5, -1.5, -1.5);
            const QColor base = lit ? colours[c] : colours[c].darker(c == 4 ? 125 : 210);
            QRadialGradient glow(body.center() - QPointF(2.0, 2.0), body.width() * 0.75);
            glow.setColorAt(0.0, lit ? base.lighter(170) : base.lighter(125));
            glow.setColorAt(1.0, base.darker(lit ? 115 : 130));
            p.setPen(QPen(QColor(0x50, 0x50, 0x50), 1.0));
            p.setBrush(glow);
            p.drawEllipse(body);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255, lit ? 200 : 90));
            p.drawEllipse(QRectF(body.left() + 2.6, body.top() + 2.2, 3.6, 2.6));
        }
    return image;
}

// The maker's logo for the right end of the menu bar: a light-source mark
// and the maker's name.
QImage Logo(qreal scale) {
    QFont font("Arial");
    font.setPixelSize(14);
    font.setBold(true);
    font.setLetterSpacing(QFont::AbsoluteSpacing, 0.6);
    const QString name = "MERIDOX";
    const int textWidth = QFontMetrics(font).horizontalAdvance(name);
    QImage image = Canvas(20 + textWidth + 2, 18, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF sun(8.5, 9.0);
    p.setPen(QPen(QColor(0xE8, 0x9A, 0x10), 1.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        QLineF ray(sun, sun + QPointF(7.6, 0));
        ray.setAngle(i * 45.0);
        p.drawLine(QLineF(ray.pointAt(0.62), ray.p2()));
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF2, 0xB4, 0x1E));
    p.drawEllipse(sun, 3.6, 3.6);
    p.setFont(font);
    p.setPen(Navy);
    p.drawText(QRectF(20, 0, textWidth + 2, 18), Qt::AlignLeft | Qt::AlignVCenter, name);
    return image;
}

// Speed-button glyphs, 16×16.
QImage ButtonClear(qreal scale) { // minimum and maximum marks struck out
    QImage image = Canvas(16, 16, scale);
    QPainter p(&image);
    p.fillRect(QRect(2, 3, 12, 1), Navy);
    p.fillRect(QRect(2, 12, 12, 1), Navy);
    p.fillRect(QRect(7, 4, 2, 8), OffGrey);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0xC8, 0x1E, 0x1E), 2.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 5.5), QPointF(11.5, 10.5));
    p.drawLine(QPointF(11.5, 5.5), QPointF(4.5, 10.5));
    return image;
}

QImage ButtonService(qreal scale) { // a spanner
    QImage image = Canvas(16, 16, scale);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x50, 0x58, 0x68), 3.0, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.0, 12.0), QPointF(9.5, 6.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x50, 0x58, 0x68));
    p.drawEllipse(QPointF(10.8, 5.2), 3.6, 3.6);
    p.setBrush(Qt::transparent);
    p.setCompositionMode(QPainter::CompositionMode_Clear);
    p.drawRect(QRectF(10.6, 1.0, 3.2, 3.6));
    return image;
}

QImage ButtonTraffic(qreal scale) { // a screen of bytes
    QImage image = Canvas(16, 16, scale);
    QPainter p(&image);
    PutBox(p, QRect(0, 1, 16, 12), Ink, QColor(0xF8, 0xF8, 0xF8));
    for (int row = 0; row < 3; ++row)
        for (int x = 2; x < 14; ++x)
            if ((x + row) % 4 != 1) Dot(p, x, 3 + row * 3, row == 1 ? LoopGreen : Navy);
    p.fillRect(QRect(5, 14, 6, 1), Ink);
    return image;
}

using TPainter = std::function<QImage(qreal)>;

const std::map<std::string_view, TPainter>& Painters() {
    static const std::map<std::string_view, TPainter> painters{
        {"BMPDIGITS5X9", Digits},
        {"BMPLOOPON", [](qreal s) { return Loop(true, s); }},
        {"BMPLOOPOFF", [](qreal s) { return Loop(false, s); }},
        {"BMPRANGEAUTO", [](qreal s) { return RangeMode(true, s); }},
        {"BMPRANGEMANUAL", [](qreal s) { return RangeMode(false, s); }},
        {"BMPAVERSAMPLE", [](qreal s) { return Samples(false, s); }},
        {"BMPAVERSAMPLESHORT", [](qreal s) { return Samples(true, s); }},
        {"BMPAVERMEAS", MovingAverage},
        {"BMPREPETITION", Refresh},
        {"LEDSPRITES", LedSprites},
        {"LOGOMERIDOX", Logo},
        {"BTNCLEARMINMAX", ButtonClear},
        {"BTNSERVICE", ButtonService},
        {"BTNVUDIDO", ButtonTraffic},
    };
    return painters;
}

} // namespace

QImage K730Bitmap(std::string_view name, qreal scale) {
    const auto& painters = Painters();
    const auto it = painters.find(name);
    return it == painters.end() ? QImage() : it->second(scale > 0 ? scale : 1.0);
}

QIcon K730Icon(std::string_view name) {
    QIcon icon;
    for (qreal scale : {1.0, 2.0})
        icon.addPixmap(QPixmap::fromImage(K730Bitmap(name, scale)));
    return icon;
}

QIcon K730ApplicationIcon() {
    InitDesktopResources();
    QSvgRenderer drawing(QStringLiteral(":/desktop/k730.svg"));
    QIcon icon;
    if (!drawing.isValid()) return icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(RenderSvgIcon(drawing, size)));
    return icon;
}

QImage TransparentFromTopLeft(const QImage& image) {
    if (image.isNull() || image.hasAlphaChannel()) return image;
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = result.pixel(0, 0);
    for (int y = 0; y < result.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x)
            if (line[x] == key) line[x] = qRgba(0, 0, 0, 0);
    }
    return result;
}

} // namespace k730
