#pragma once

// A colour the editor draws in, one for a light palette and one for a dark
// one, so that it reads well in either.

#include <QColor>
#include <QPalette>
#include <QRgb>

namespace tessel {

struct Hue {
    QRgb light;
    QRgb dark;

    // A palette is dark when its base (the editor's background) is.
    static bool IsDark(const QPalette& palette) {
        return palette.color(QPalette::Base).lightness() < 128;
    }
    QColor For(const QPalette& palette) const { return QColor(IsDark(palette) ? dark : light); }
};

} // namespace tessel
