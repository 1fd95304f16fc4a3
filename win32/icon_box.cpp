#include "icon_box.h"

#include <algorithm>

#include "dpi_scale.h"
#include "gdi_object.h"

namespace win32 {
namespace {

constexpr int kIconPixels = 32;

}  // namespace

IconBox::~IconBox() {
    if (icon_ != nullptr) {
        DestroyIcon(icon_);
    }
}

HWND IconBox::Open(HWND parent) {
    return Create({L"QuenbrixIconBox", nullptr}, 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP, parent,
                  L"");
}

void IconBox::SetDpi(int dpi) {
    if (icon_ == nullptr) {
        // The icon file's larger images are the same art on a margin, or
        // drawn again: the 32-pixel one is the picture, enlarged as it is.
        icon_ = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON,
                                              kIconPixels, kIconPixels, 0));
    }
    frame_ = std::max(1, DpiScale(dpi).FromStandardPixels(1));
    InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT IconBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_LBUTTONDOWN:
            SetFocus(Handle());
            return 0;
        default:
            return Window::HandleMessage(message, wParam, lParam);
    }
}

void IconBox::PaintClient(HDC dc) {
    RECT box{};
    GetClientRect(Handle(), &box);
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&box, -frame_, -frame_);
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    if (icon_ == nullptr || box.right <= box.left || box.bottom <= box.top) {
        return;
    }
    // The art on the box's colour at its own size, then stretched pixel by
    // pixel, never smoothed: whole squares where the box is a multiple of
    // 32, the nearest art pixel elsewhere.
    HDC art = CreateCompatibleDC(dc);
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, kIconPixels, kIconPixels));
    HGDIOBJ previous = SelectObject(art, bitmap.Get());
    const RECT whole{0, 0, kIconPixels, kIconPixels};
    FillRect(art, &whole, GetSysColorBrush(COLOR_WINDOW));
    DrawIconEx(art, 0, 0, icon_, kIconPixels, kIconPixels, 0, nullptr, DI_NORMAL);
    const int savedState = SaveDC(dc);
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, box.left, box.top, box.right - box.left, box.bottom - box.top, art, 0, 0,
               kIconPixels, kIconPixels, SRCCOPY);
    RestoreDC(dc, savedState);
    SelectObject(art, previous);
    DeleteDC(art);
}

}  // namespace win32
