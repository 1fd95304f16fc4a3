#include "dtmf_grid.h"

#include <string>

#include "about_form.h"
#include "gdi_object.h"
#include "wide_text.h"

namespace win32 {
namespace {

namespace grid = forms::about_form::grid;

// Picture pixels to window pixels, edge by edge.
class GridCanvas {
  public:
    GridCanvas(HDC dc, const RECT& place, const DpiScale& scale)
        : dc_(dc), left_(place.left), top_(place.top), scale_(scale) {}

    void Fill(const grid::PixelRect& area, forms::Colour colour) const {
        const RECT pixels = Area(area);
        const GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
        FillRect(dc_, &pixels, brush.Get());
    }

    // One line of text, centred in the area.
    void Text(const grid::PixelRect& area, const std::wstring& text) const {
        RECT pixels = Area(area);
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &pixels,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

  private:
    [[nodiscard]] RECT Area(const grid::PixelRect& area) const {
        return {left_ + scale_.FromStandardPixels(area.left),
                top_ + scale_.FromStandardPixels(area.top),
                left_ + scale_.FromStandardPixels(area.left + area.width),
                top_ + scale_.FromStandardPixels(area.top + area.height)};
    }

    HDC dc_;
    int left_;
    int top_;
    DpiScale scale_;
};

}  // namespace

void PaintDtmfGrid(HDC dc, const RECT& place, ProgramFonts& fonts) {
    const GridCanvas canvas(dc, place, fonts.Scale());
    for (const grid::Fill& fill : grid::Fills()) {
        canvas.Fill(fill.area, fill.colour);
    }
    const int savedState = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SelectObject(dc, fonts.Serif(grid::kHeaderPixelSize));
    for (const grid::HeaderText& header : grid::Headers()) {
        canvas.Text(header.inside, Wide(header.text));
    }
    RestoreDC(dc, savedState);
}

}  // namespace win32
