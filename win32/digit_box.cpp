#include "digit_box.h"

#include <commctrl.h>

#include "main_form.h"

namespace win32 {
namespace {

constexpr UINT_PTR kFilterId = 1;

}  // namespace

void DigitBox::Attach(HWND edit) {
    SetWindowSubclass(edit, Filter, kFilterId, 0);
}

LRESULT CALLBACK DigitBox::Filter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                  UINT_PTR /*id*/, DWORD_PTR /*data*/) {
    switch (message) {
        case WM_CHAR:
        case WM_IME_CHAR:
            // One UTF-16 unit at a time: half of a surrogate pair is no digit.
            if (!forms::main_form::IsAcceptedCharacter(static_cast<char32_t>(wParam))) {
                return 0;
            }
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(edit, Filter, kFilterId);
            break;
        default:
            break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace win32
