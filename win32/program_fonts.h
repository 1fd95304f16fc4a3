// The fonts of one window at its resolution: "MS Sans Serif" in the forms'
// sizes and weights, or the nearest sans-serif face where it is missing.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "dpi_scale.h"
#include "form_units.h"
#include "gdi_object.h"

namespace win32 {

class ProgramFonts {
  public:
    explicit ProgramFonts(DpiScale scale = DpiScale()) : scale_(scale) {}

    // Made on first use and kept until the resolution changes.
    HFONT Get(const forms::FontSpec& font);
    // A serif face at a height in pixels at 96 dots per inch (the grid headers).
    HFONT Serif(int standardPixels);

    // A window that moves to another resolution makes a new set, gives its
    // controls the new fonts, and only then drops the old set.
    [[nodiscard]] const DpiScale& Scale() const { return scale_; }

    // The sans-serif face used at a resolution. "MS Sans Serif" is drawn from
    // bitmaps made for 96 dots per inch; elsewhere its outline twin
    // "Microsoft Sans Serif" stays sharp, where the system has it.
    [[nodiscard]] static std::wstring SansFace(int dpi);

  private:
    using Key = std::tuple<int, bool, bool>;

    DpiScale scale_;
    std::map<Key, GdiObject<HFONT>> fonts_;
    std::map<int, GdiObject<HFONT>> serifFonts_;
};

}  // namespace win32
