// A child window as screen readers see it, where the system's standard
// object would name it wrongly or give it the wrong role: the boxes, whose
// captions are painted labels, the volume bar, the buttons (which Wine calls
// "client") and the icon box. Everything else is the standard object's.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <string>

#include "accessible_object.h"

namespace win32 {

enum class AccessibleKind {
    TextBox,     // its text is its value
    ScrollBar,   // its position is its value
    PushButton,  // named by its caption; pressed as a click would
    Graphic,
};

class AccessibleControl final : public AccessibleObject {
  public:
    // From now on WM_GETOBJECT for the control's client area gets this
    // object. An empty name keeps the standard object's.
    static void Attach(HWND control, AccessibleKind kind, std::wstring name);

    // The rest is the standard object's.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;

  private:
    struct Description {
        AccessibleKind kind;
        std::wstring name;
    };

    AccessibleControl(HWND control, const Description& description,
                      const ComReference<IAccessible>& standard);

    static LRESULT CALLBACK Answer(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR data);

    HWND control_;
    Description description_;
};

}  // namespace win32
