#include "windowless_controls.h"

#include <utility>

#include "control_tools.h"
#include "gdi_object.h"

namespace win32 {
namespace {

UINT AlignmentFormat(forms::TextAlign align) {
    switch (align) {
        case forms::TextAlign::Centre:
            return DT_CENTER;
        case forms::TextAlign::Right:
            return DT_RIGHT;
        case forms::TextAlign::Left:
            break;
    }
    return DT_LEFT;
}

}  // namespace

std::size_t WindowlessControls::AddLabel(const forms::Control& control, std::wstring text,
                                         std::optional<forms::Colour> background,
                                         std::optional<forms::Colour> textColour) {
    items_.push_back({control.name,
                      control.place,
                      std::move(text),
                      control.font,
                      control.align,
                      background,
                      textColour,
                      {}});
    return items_.size() - 1;
}

std::size_t WindowlessControls::AddPicture(std::string_view name, const forms::TwipsRect& place,
                                           Painter painter) {
    items_.push_back({name, place, {}, {}, forms::TextAlign::Left, {}, {}, std::move(painter)});
    return items_.size() - 1;
}

void WindowlessControls::SetBackground(std::size_t index, forms::Colour colour) {
    items_.at(index).background = colour;
}

std::optional<forms::Colour> WindowlessControls::Background(std::size_t index) const {
    return items_.at(index).background;
}

void WindowlessControls::Paint(HDC dc, ProgramFonts& fonts) const {
    const DpiScale& scale = fonts.Scale();
    const int savedState = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    for (const Item& item : items_) {
        RECT place = scale.Rect(item.place);
        if (item.painter) {
            item.painter(dc, place, fonts);
            continue;
        }
        if (item.background) {
            const GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorref(*item.background)));
            FillRect(dc, &place, brush.Get());
        }
        SetTextColor(
            dc, item.textColour ? ToColorref(*item.textColour) : GetSysColor(COLOR_WINDOWTEXT));
        SelectObject(dc, fonts.Get(item.font));
        // Runs of blanks stay as typed; "&" is a character, not an access key.
        DrawTextW(dc, item.text.c_str(), static_cast<int>(item.text.size()), &place,
                  DT_WORDBREAK | DT_NOPREFIX | DT_TOP | AlignmentFormat(item.align));
    }
    RestoreDC(dc, savedState);
}

std::optional<std::size_t> WindowlessControls::FrontmostAt(POINT point,
                                                           const DpiScale& scale) const {
    for (std::size_t index = items_.size(); index-- > 0;) {
        const RECT place = scale.Rect(items_[index].place);
        if (PtInRect(&place, point) != FALSE) {
            return index;
        }
    }
    return std::nullopt;
}

RECT WindowlessControls::PixelRect(std::size_t index, const DpiScale& scale) const {
    return scale.Rect(items_.at(index).place);
}

std::optional<std::size_t> WindowlessControls::Find(std::string_view name) const {
    for (std::size_t index = 0; index < items_.size(); ++index) {
        if (items_[index].name == name) {
            return index;
        }
    }
    return std::nullopt;
}

const std::wstring& WindowlessControls::Text(std::size_t index) const {
    return items_.at(index).text;
}

}  // namespace win32
