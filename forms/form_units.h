// The units both windows are laid out in, whatever the toolkit: positions and
// sizes in twips (1/1440 inch) from the client area's top-left corner, font
// sizes in hundredths of a point, colours as RGB triples.
#pragma once

#include <cstdint>
#include <string_view>

namespace forms {

// The resolution of a screen at 100 %, where 15 twips make one pixel.
inline constexpr int kStandardDpi = 96;

// Twips in the pixels of a resolution, rounded to the nearest pixel: every
// length of the forms is converted by this one rule, at any scale.
constexpr int TwipsToPixelsAtDpi(int twips, int dotsPerInch) {
    return (twips * dotsPerInch + 720) / 1440;
}

// Twips in pixels at 100 %, where toolkits that scale by themselves (Qt)
// take them from.
constexpr int TwipsToPixelsAt96Dpi(int twips) {
    return TwipsToPixelsAtDpi(twips, kStandardDpi);
}

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

struct TwipsPoint {
    int x;
    int y;
};

struct Colour {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    friend constexpr bool operator==(Colour, Colour) = default;
};

// "MS Sans Serif" at a size and weight; where that face is missing each front
// end takes the nearest sans-serif one.
struct FontSpec {
    int centiPoints;  // 825 is 8.25 pt
    bool bold = false;
    bool underline = false;
};

// The pixel size of a font at a resolution, rounded to the nearest pixel
// (8.25 pt is 11 px and 12 pt 16 px at 96 dots per inch).
constexpr int FontPixelsAtDpi(const FontSpec& font, int dotsPerInch) {
    return (font.centiPoints * dotsPerInch + 3600) / 7200;
}

constexpr int FontPixelsAt96Dpi(const FontSpec& font) {
    return FontPixelsAtDpi(font, kStandardDpi);
}

enum class ControlKind { Label, TextBox, Button, ScrollBar, IconBox, Picture };
enum class TextAlign { Left, Centre, Right };

// One control of a window: its name (the object name both front ends give
// it), kind, rectangle, initial text, font and horizontal text alignment.
// Labels wrap their text at word boundaries and cut what does not fit.
struct Control {
    std::string_view name;
    ControlKind kind;
    TwipsRect place;
    std::string_view text;
    FontSpec font;
    TextAlign align = TextAlign::Left;
};

}  // namespace forms
