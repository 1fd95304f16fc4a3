// The one translation unit that defines the accessibility GUIDs: MinGW's
// oleacc import library exports IID_IAccessible as a thunk, not as the GUID,
// so without this QueryInterface and CreateStdAccessibleObject never match.
#include <windows.h>
// In this order: the GUIDs of oleacc.h are defined here, declared elsewhere.
#include <initguid.h>
#include <oleacc.h>

#include "accessible_object.h"

namespace win32 {

HRESULT AccessibleObject::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, IID_IAccessible)) {
        *object = static_cast<IAccessible*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG AccessibleObject::AddRef() {
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG AccessibleObject::Release() {
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        delete this;
    }
    return static_cast<ULONG>(left);
}

HRESULT AccessibleObject::GetTypeInfoCount(UINT* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = 0;
    return S_OK;
}

HRESULT AccessibleObject::GetTypeInfo(UINT /*index*/, LCID /*locale*/, ITypeInfo** info) {
    if (info != nullptr) {
        *info = nullptr;
    }
    return E_NOTIMPL;
}

HRESULT AccessibleObject::GetIDsOfNames(REFIID /*iid*/, LPOLESTR* /*names*/, UINT /*count*/,
                                        LCID /*locale*/, DISPID* /*ids*/) {
    return E_NOTIMPL;
}

HRESULT AccessibleObject::Invoke(DISPID /*id*/, REFIID /*iid*/, LCID /*locale*/, WORD /*flags*/,
                                 DISPPARAMS* /*parameters*/, VARIANT* /*result*/,
                                 EXCEPINFO* /*exception*/, UINT* /*wrongArgument*/) {
    return E_NOTIMPL;
}

HRESULT AccessibleObject::get_accParent(IDispatch** parent) {
    return standard_ ? standard_->get_accParent(parent) : E_NOTIMPL;
}

HRESULT AccessibleObject::get_accChildCount(long* count) {
    return standard_ ? standard_->get_accChildCount(count) : E_NOTIMPL;
}

HRESULT AccessibleObject::get_accChild(VARIANT child, IDispatch** object) {
    return standard_ ? standard_->get_accChild(child, object) : E_NOTIMPL;
}

HRESULT AccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
    return standard_ ? standard_->get_accDescription(child, description) : E_NOTIMPL;
}

HRESULT AccessibleObject::get_accState(VARIANT child, VARIANT* state) {
    return standard_ ? standard_->get_accState(child, state) : E_NOTIMPL;
}

HRESULT AccessibleObject::get_accFocus(VARIANT* child) {
    return standard_ ? standard_->get_accFocus(child) : E_NOTIMPL;
}

HRESULT AccessibleObject::get_accHelp(VARIANT /*child*/, BSTR* help) {
    if (help == nullptr) {
        return E_POINTER;
    }
    *help = nullptr;
    return S_FALSE;
}

HRESULT AccessibleObject::get_accHelpTopic(BSTR* file, VARIANT /*child*/, long* topic) {
    if (file != nullptr) {
        *file = nullptr;
    }
    if (topic != nullptr) {
        *topic = -1;
    }
    return S_FALSE;
}

HRESULT AccessibleObject::get_accKeyboardShortcut(VARIANT /*child*/, BSTR* shortcut) {
    if (shortcut == nullptr) {
        return E_POINTER;
    }
    *shortcut = nullptr;
    return S_FALSE;
}

HRESULT AccessibleObject::get_accSelection(VARIANT* children) {
    if (children == nullptr) {
        return E_POINTER;
    }
    VariantInit(children);
    return S_FALSE;
}

HRESULT AccessibleObject::accSelect(long /*flags*/, VARIANT /*child*/) {
    return DISP_E_MEMBERNOTFOUND;
}

HRESULT AccessibleObject::accNavigate(long /*direction*/, VARIANT /*start*/, VARIANT* end) {
    if (end != nullptr) {
        VariantInit(end);
    }
    return E_NOTIMPL;
}

HRESULT AccessibleObject::put_accName(VARIANT /*child*/, BSTR /*name*/) {
    return E_NOTIMPL;
}

HRESULT AccessibleObject::put_accValue(VARIANT /*child*/, BSTR /*value*/) {
    return E_NOTIMPL;
}

long ChildIdOf(const VARIANT& child) {
    switch (child.vt) {
        case VT_EMPTY:
            return CHILDID_SELF;
        case VT_I4:
            return child.lVal;
        case VT_I2:
            return child.iVal;
        default:
            return -1;
    }
}

HRESULT ReturnText(std::wstring_view text, BSTR* result) {
    if (result == nullptr) {
        return E_POINTER;
    }
    *result = nullptr;
    if (text.empty()) {
        return S_FALSE;
    }
    *result = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *result != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace win32
