// The program's own bitmaps, looked up by their resource names: the status
// icons, the 5×9 digit strip, the lamp sprite sheet and the maker's logo.
// They are painted when asked for (pixel art where the size is
// small enough for every pixel to count, antialiased shapes elsewhere), so
// the build needs no image files.
#pragma once

#include <QIcon>
#include <QImage>

#include <string_view>

namespace k730 {

// The bitmap of that resource name ("BMPLOOPON", "BMPDIGITS5X9", "LEDSPRITES",
// "LOGOMERIDOX", ...); a null image for a name we do not have. Its size is
// given in logical pixels times `scale` device pixels each (the screen's
// device pixel ratio), with that ratio set, so it is crisp on any screen.
QImage K730Bitmap(std::string_view name, qreal scale = 1.0);

// The bitmap as an icon with 1× and 2× pictures, for buttons.
QIcon K730Icon(std::string_view name);

// The application icon (the drawing the desktop installs too) at the sizes
// window frames and task bars ask for.
QIcon K730ApplicationIcon();

// Bitmaps without an alpha channel are drawn transparently by taking the
// colour of their top-left pixel as the transparent colour; images that carry
// alpha already are returned unchanged.
QImage TransparentFromTopLeft(const QImage& image);

// Geometry of the fixed-size sheets.
inline constexpr int DigitGlyphWidth = 5; // one tenth of "BMPDIGITS5X9"
inline constexpr int DigitGlyphHeight = 9;
inline constexpr int LedSpriteSize = 15; // one colour column, one on/off row

} // namespace k730
