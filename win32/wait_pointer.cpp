#include "wait_pointer.h"

namespace win32 {

void WaitPointer::Show(HWND window) {
    if (showing_) {
        return;
    }
    showing_ = true;
    window_ = window;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
}

void WaitPointer::Restore() {
    if (!showing_) {
        return;
    }
    showing_ = false;
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    // The control under the pointer sets its own (an I-beam over a box) as it
    // would on the next move.
    POINT point{};
    if (GetCursorPos(&point) == FALSE) {
        return;
    }
    HWND under = WindowFromPoint(point);
    if (under == nullptr || (under != window_ && IsChild(window_, under) == FALSE)) {
        return;
    }
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
    SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                 MAKELPARAM(static_cast<WORD>(hit), WM_MOUSEMOVE));
}

}  // namespace win32
