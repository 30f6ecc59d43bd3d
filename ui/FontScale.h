#pragma once

// The system's pixel widths (list columns, status panes, dialogs) were made
// for an 8-point font at 96 dots per inch. Scaled by the size of the font
// in use, what they were meant to fit still fits with a larger font.

#include <QFont>
#include <QFontInfo>
#include <algorithm>
#include <cmath>

namespace korvex {

// The pixel height of an 8-point font at 96 dots per inch.
inline constexpr double kReferenceFontPixels = 8.0 * 96.0 / 72.0;

// The factor for a font of this many pixels; never below 1, so a small font
// keeps the widths as they were given.
inline double fontScaleForPixels(double pixels) {
    return std::max(1.0, pixels / kReferenceFontPixels);
}

inline double fontScale(const QFont& font) {
    return fontScaleForPixels(QFontInfo(font).pixelSize());
}

inline int scaledWidth(int specified, const QFont& font) {
    return static_cast<int>(std::lround(specified * fontScale(font)));
}

}  // namespace korvex
