#include "accessible_control.h"

#include <commctrl.h>

#include <memory>
#include <utility>

#include "main_form.h"
#include "wide_text.h"

namespace win32 {
namespace {

constexpr UINT_PTR kAnswerId = 1;

bool IsSelf(const VARIANT& child) {
    return ChildIdOf(child) == CHILDID_SELF;
}

long RoleOf(AccessibleKind kind) {
    switch (kind) {
        case AccessibleKind::TextBox:
            return ROLE_SYSTEM_TEXT;
        case AccessibleKind::ScrollBar:
            return ROLE_SYSTEM_SCROLLBAR;
        case AccessibleKind::PushButton:
            return ROLE_SYSTEM_PUSHBUTTON;
        case AccessibleKind::Graphic:
            break;
    }
    return ROLE_SYSTEM_GRAPHIC;
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT ClientOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

}  // namespace

AccessibleControl::AccessibleControl(HWND control, const Description& description,
                                     const ComReference<IAccessible>& standard)
    : AccessibleObject(standard), control_(control), description_(description) {}

void AccessibleControl::Attach(HWND control, AccessibleKind kind, std::wstring name) {
    auto description = std::make_unique<Description>(Description{kind, std::move(name)});
    if (SetWindowSubclass(control, Answer, kAnswerId,
                          reinterpret_cast<DWORD_PTR>(description.get())) != FALSE) {
        // The subclass owns it until WM_NCDESTROY.
        static_cast<void>(description.release());
    }
}

LRESULT CALLBACK AccessibleControl::Answer(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR /*id*/, DWORD_PTR data) {
    auto* description = reinterpret_cast<Description*>(data);
    if (message == WM_GETOBJECT && static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
        try {
            ComReference<IAccessible> standard;
            if (SUCCEEDED(
                    CreateStdAccessibleObject(control, OBJID_CLIENT, IID_IAccessible,
                                              reinterpret_cast<void**>(standard.Receive())))) {
                const ComReference<IAccessible> object(
                    new AccessibleControl(control, *description, standard));
                const LRESULT reference = LresultFromObject(IID_IAccessible, wParam, object.Get());
                // A failure (COM not started on this thread, say) leaves the request to
                // the standard object rather than failing the screen reader.
                if (SUCCEEDED(static_cast<HRESULT>(reference))) {
                    return reference;
                }
            }
        } catch (...) {
            // The standard object answers instead.
        }
    } else if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(control, Answer, kAnswerId);
        delete description;
    }
    return DefSubclassProc(control, message, wParam, lParam);
}

HRESULT AccessibleControl::get_accName(VARIANT child, BSTR* name) {
    if (IsSelf(child) && !description_.name.empty()) {
        return Guarded([&] { return ReturnText(description_.name, name); });
    }
    return standard_->get_accName(child, name);
}

HRESULT AccessibleControl::get_accValue(VARIANT child, BSTR* value) {
    if (!IsSelf(child)) {
        return standard_->get_accValue(child, value);
    }
    return Guarded([&] {
        switch (description_.kind) {
            case AccessibleKind::TextBox:
                return ReturnText(WindowText(control_), value);
            case AccessibleKind::ScrollBar:
                return ReturnText(std::to_wstring(GetScrollPos(control_, SB_CTL)), value);
            case AccessibleKind::PushButton:
            case AccessibleKind::Graphic:
                break;
        }
        return standard_->get_accValue(child, value);
    });
}

HRESULT AccessibleControl::get_accRole(VARIANT child, VARIANT* role) {
    if (!IsSelf(child)) {
        return standard_->get_accRole(child, role);
    }
    if (role == nullptr) {
        return E_POINTER;
    }
    VariantInit(role);
    role->vt = VT_I4;
    role->lVal = RoleOf(description_.kind);
    return S_OK;
}

HRESULT AccessibleControl::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return standard_->get_accKeyboardShortcut(child, shortcut);
}

HRESULT AccessibleControl::get_accDefaultAction(VARIANT child, BSTR* action) {
    if (IsSelf(child) && description_.kind == AccessibleKind::PushButton) {
        return Guarded(
            [&] { return ReturnText(Wide(forms::main_form::kPressActionName), action); });
    }
    return standard_->get_accDefaultAction(child, action);
}

HRESULT AccessibleControl::accDoDefaultAction(VARIANT child) {
    if (IsSelf(child) && description_.kind == AccessibleKind::PushButton) {
        // Posted: what the button does (a window to open, a tone to make, an
        // error box) happens after the screen reader's call returns.
        return PostMessageW(control_, BM_CLICK, 0, 0) != FALSE ? S_OK
                                                               : HRESULT_FROM_WIN32(GetLastError());
    }
    return standard_->accDoDefaultAction(child);
}

HRESULT AccessibleControl::accLocation(long* left, long* top, long* width, long* height,
                                       VARIANT child) {
    if (!IsSelf(child)) {
        return standard_->accLocation(left, top, width, height, child);
    }
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    const RECT place = ClientOnScreen(control_);
    *left = place.left;
    *top = place.top;
    *width = place.right - place.left;
    *height = place.bottom - place.top;
    return S_OK;
}

HRESULT AccessibleControl::accHitTest(long x, long y, VARIANT* child) {
    const HRESULT answered = standard_->accHitTest(x, y, child);
    if (SUCCEEDED(answered) || child == nullptr) {
        return answered;
    }
    VariantInit(child);
    const RECT place = ClientOnScreen(control_);
    if (PtInRect(&place, POINT{x, y}) == FALSE) {
        return S_FALSE;
    }
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    return S_OK;
}

}  // namespace win32
