#include "icon_box.h"

#include <algorithm>

#include "dpi_scale.h"

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
    const int size = DpiScale(dpi).FromStandardPixels(kIconPixels);
    if (size == iconSize_) {
        return;
    }
    if (icon_ != nullptr) {
        DestroyIcon(icon_);
    }
    // The icon file holds the picture at several sizes; the nearest one is
    // scaled pixel by pixel, never smoothed.
    icon_ = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, size, size, 0));
    iconSize_ = size;
    InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT IconBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_LBUTTONDOWN:
            SetFocus(Handle());
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void IconBox::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    RECT box{};
    GetClientRect(Handle(), &box);
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOWFRAME));
    // One pixel at 96 dots per inch: what the box holds beyond the icon.
    const int line = std::max(1, static_cast<int>(box.right - box.left - iconSize_) / 2);
    InflateRect(&box, -line, -line);
    FillRect(dc, &box, GetSysColorBrush(COLOR_WINDOW));
    if (icon_ != nullptr) {
        DrawIconEx(dc, box.left, box.top, icon_, iconSize_, iconSize_, 0, nullptr, DI_NORMAL);
    }
    EndPaint(Handle(), &paint);
}

}  // namespace win32
