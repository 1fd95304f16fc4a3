// The forms' twips and points in the pixels of one screen resolution: 96 dots
// per inch at 100 %, 192 at 200 %. Each window keeps the resolution of the
// monitor it is on and lays itself out again when that changes.
#pragma once

#include <windows.h>

#include "form_units.h"

namespace win32 {

class DpiScale {
  public:
    static constexpr int kStandardDpi = forms::kStandardDpi;

    explicit constexpr DpiScale(int dotsPerInch = kStandardDpi) : dpi_(dotsPerInch) {}

    [[nodiscard]] constexpr int Dpi() const { return dpi_; }

    [[nodiscard]] constexpr int Pixels(int twips) const {
        return forms::TwipsToPixelsAtDpi(twips, dpi_);
    }
    // Edges are converted one by one, so that controls that touch in twips
    // touch on the screen too.
    [[nodiscard]] RECT Rect(const forms::TwipsRect& place) const;
    [[nodiscard]] POINT Point(const forms::TwipsPoint& point) const;

    // A length given in pixels at 96 dots per inch (the grid picture, the icon).
    [[nodiscard]] constexpr int FromStandardPixels(int pixels) const {
        return (pixels * dpi_ + kStandardDpi / 2) / kStandardDpi;
    }

    // The character height of a font, in pixels (8.25 pt is 11 at 96 dots per inch).
    [[nodiscard]] constexpr int FontPixels(const forms::FontSpec& font) const {
        return forms::FontPixelsAtDpi(font, dpi_);
    }

  private:
    int dpi_;
};

}  // namespace win32
