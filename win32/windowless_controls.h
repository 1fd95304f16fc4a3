// The labels and the picture, which have no window of their own: the window
// that holds them paints them in creation order, later ones in front, and
// asks which of them lies front-most under the pointer. Transparent labels
// thus show the face or the picture behind them, and the key labels sit over
// the DTMF grid without a window's opaque background hiding it.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "dpi_scale.h"
#include "form_units.h"
#include "program_fonts.h"

namespace win32 {

class WindowlessControls {
  public:
    using Painter = std::function<void(HDC, const RECT&, ProgramFonts&)>;

    // A label: its text wraps at word boundaries and is cut at its edges.
    // The background is transparent unless one is given.
    std::size_t AddLabel(const forms::Control& control, std::wstring text,
                         std::optional<forms::Colour> background = std::nullopt,
                         std::optional<forms::Colour> textColour = std::nullopt);
    std::size_t AddPicture(std::string_view name, const forms::TwipsRect& place, Painter painter);

    void SetBackground(std::size_t index, forms::Colour colour);
    [[nodiscard]] std::optional<forms::Colour> Background(std::size_t index) const;

    void Paint(HDC dc, ProgramFonts& fonts) const;

    // The front-most control whose rectangle holds the point (client pixels).
    [[nodiscard]] std::optional<std::size_t> FrontmostAt(POINT point, const DpiScale& scale) const;
    [[nodiscard]] RECT PixelRect(std::size_t index, const DpiScale& scale) const;
    [[nodiscard]] std::optional<std::size_t> Find(std::string_view name) const;
    [[nodiscard]] const std::wstring& Text(std::size_t index) const;

  private:
    struct Item {
        std::string_view name;
        forms::TwipsRect place;
        std::wstring text;
        forms::FontSpec font;
        forms::TextAlign align;
        std::optional<forms::Colour> background;
        std::optional<forms::Colour> textColour;
        Painter painter;  // a picture when set
    };

    std::vector<Item> items_;
};

}  // namespace win32
