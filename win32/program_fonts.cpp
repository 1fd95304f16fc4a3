#include "program_fonts.h"

#include <array>
#include <cwchar>
#include <string_view>

namespace win32 {
namespace {

struct FoundFace {
    bool found = false;
    bool outline = false;
};

int CALLBACK NoteFace(const LOGFONTW* /*font*/, const TEXTMETRICW* /*metrics*/, DWORD type,
                      LPARAM data) {
    auto* face = reinterpret_cast<FoundFace*>(data);
    face->found = true;
    face->outline = face->outline || (type & RASTER_FONTTYPE) == 0;
    return 1;
}

FoundFace FindFace(std::wstring_view name) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    name.copy(wanted.lfFaceName, LF_FACESIZE - 1);
    FoundFace face;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, NoteFace, reinterpret_cast<LPARAM>(&face), 0);
    ReleaseDC(nullptr, screen);
    return face;
}

std::wstring FirstPresent(std::initializer_list<std::wstring_view> faces) {
    for (const std::wstring_view face : faces) {
        if (FindFace(face).found) {
            return std::wstring(face);
        }
    }
    return {};  // GDI then picks a face of the family asked for
}

HFONT MakeFont(int pixelHeight, bool bold, bool underline, BYTE family, const std::wstring& face) {
    LOGFONTW font{};
    font.lfHeight = -pixelHeight;  // the character height, as a point size gives it
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfUnderline = underline ? TRUE : FALSE;
    font.lfCharSet = ANSI_CHARSET;  // Western
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = static_cast<BYTE>(VARIABLE_PITCH | family);
    face.copy(font.lfFaceName, LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

}  // namespace

std::wstring ProgramFonts::SansFace(int dpi) {
    static const FoundFace kMsSansSerif = FindFace(L"MS Sans Serif");
    if (kMsSansSerif.found && (kMsSansSerif.outline || dpi == DpiScale::kStandardDpi)) {
        return L"MS Sans Serif";
    }
    static const std::wstring kFallback =
        FirstPresent({L"Microsoft Sans Serif", L"Arial", L"Liberation Sans", L"DejaVu Sans"});
    if (kFallback.empty() && kMsSansSerif.found) {
        return L"MS Sans Serif";
    }
    return kFallback;
}

HFONT ProgramFonts::Get(const forms::FontSpec& font) {
    const Key key{font.centiPoints, font.bold, font.underline};
    auto found = fonts_.find(key);
    if (found == fonts_.end()) {
        found = fonts_
                    .emplace(key, GdiObject<HFONT>(MakeFont(scale_.FontPixels(font), font.bold,
                                                            font.underline, FF_SWISS,
                                                            SansFace(scale_.Dpi()))))
                    .first;
    }
    return found->second.Get();
}

HFONT ProgramFonts::Serif(int standardPixels) {
    auto found = serifFonts_.find(standardPixels);
    if (found == serifFonts_.end()) {
        static const std::wstring kFace =
            FirstPresent({L"Times New Roman", L"Liberation Serif", L"DejaVu Serif"});
        found = serifFonts_
                    .emplace(standardPixels,
                             GdiObject<HFONT>(MakeFont(scale_.FromStandardPixels(standardPixels),
                                                       false, false, FF_ROMAN, kFace)))
                    .first;
    }
    return found->second.Get();
}

}  // namespace win32
