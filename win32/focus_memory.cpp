#include "focus_memory.h"

namespace win32 {

void FocusMemory::OnActivate(HWND window, WPARAM state) {
    if (LOWORD(state) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus) != FALSE) {
            control_ = focus;
        }
        return;
    }
    Restore();
}

void FocusMemory::Restore() const {
    if (control_ != nullptr && IsWindow(control_) != FALSE) {
        SetFocus(control_);
    }
}

}  // namespace win32
