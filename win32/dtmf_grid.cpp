#include "dtmf_grid.h"

#include <string>

#include "about_form.h"
#include "gdi_object.h"
#include "tonegen/dtmf_keys.h"
#include "wide_text.h"

namespace win32 {
namespace {

namespace grid = forms::about_form::grid;

// Picture pixels to window pixels, edge by edge.
class GridCanvas {
  public:
    GridCanvas(HDC dc, const RECT& place, const DpiScale& scale)
        : dc_(dc), left_(place.left), top_(place.top), scale_(scale) {}

    // Fills the picture pixels [x0, x1) x [y0, y1).
    void Fill(int x0, int y0, int x1, int y1, forms::Colour colour) const {
        const RECT area = Area(x0, y0, x1, y1);
        const GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(colour.red, colour.green, colour.blue)));
        FillRect(dc_, &area, brush.Get());
    }

    // A sunken cell over the inclusive spans: dark top and left, light bottom and right.
    void Cell(grid::Span x, grid::Span y) const {
        Fill(x.first, y.first, x.last + 1, y.first + 1, grid::kCellDark);
        Fill(x.first, y.first, x.first + 1, y.last + 1, grid::kCellDark);
        Fill(x.first + 1, y.last, x.last + 1, y.last + 1, grid::kCellLight);
        Fill(x.last, y.first + 1, x.last + 1, y.last + 1, grid::kCellLight);
    }

    void Header(grid::Span x, grid::Span y, int hertz) const {
        Cell(x, y);
        RECT inside = Area(x.first + 1, y.first + 1, x.last, y.last);
        const std::wstring text = Wide(forms::about_form::FrequencyHeader(hertz));
        DrawTextW(dc_, text.c_str(), static_cast<int>(text.size()), &inside,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

  private:
    [[nodiscard]] RECT Area(int x0, int y0, int x1, int y1) const {
        return {left_ + scale_.FromStandardPixels(x0), top_ + scale_.FromStandardPixels(y0),
                left_ + scale_.FromStandardPixels(x1), top_ + scale_.FromStandardPixels(y1)};
    }

    HDC dc_;
    int left_;
    int top_;
    DpiScale scale_;
};

}  // namespace

void PaintDtmfGrid(HDC dc, const RECT& place, ProgramFonts& fonts) {
    const GridCanvas canvas(dc, place, fonts.Scale());
    constexpr int kWidth = grid::kWidth;
    constexpr int kHeight = grid::kHeight;
    constexpr int kBand = grid::kBandWidth;
    canvas.Fill(0, 0, kWidth, kHeight, grid::kBackground);
    // Light from the top left: a beige band there, a shadow along the right
    // and bottom edges.
    canvas.Fill(0, 0, kWidth, kBand, grid::kBand);
    canvas.Fill(0, 0, kBand, kHeight, grid::kBand);
    canvas.Fill(kWidth - kBand, kBand, kWidth, kHeight, grid::kShadow);
    canvas.Fill(kBand, kHeight - kBand, kWidth, kHeight, grid::kShadow);

    const int savedState = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(0, 0, 0));
    SelectObject(dc, fonts.Serif(grid::kHeaderPixelSize));
    for (std::size_t i = 0; i < grid::kColumns.size(); ++i) {
        canvas.Header(grid::kColumns[i], grid::kHeaderRow, tonegen::kDtmfColumnFrequencies[i]);
    }
    for (std::size_t i = 0; i < grid::kRows.size(); ++i) {
        canvas.Header(grid::kHeaderColumn, grid::kRows[i], tonegen::kDtmfRowFrequencies[i]);
    }
    RestoreDC(dc, savedState);
    for (const grid::Span& row : grid::kRows) {
        for (const grid::Span& column : grid::kColumns) {
            canvas.Cell(column, row);
        }
    }
}

}  // namespace win32
