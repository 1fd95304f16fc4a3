// What every object the program hands to screen readers (Microsoft Active
// Accessibility) shares: reference counting, the IUnknown and IDispatch
// plumbing, the questions left to the system's standard object, and a
// barrier that turns a C++ exception into an error code, since none may
// cross a COM method.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <exception>
#include <new>
#include <string_view>
#include <utility>

namespace win32 {

// Holds one reference to a COM object and gives it back.
template <typename Interface>
class ComReference {
  public:
    ComReference() = default;
    // Takes over a reference the caller already holds.
    explicit ComReference(Interface* object) : object_(object) {}
    ComReference(const ComReference& other) : object_(other.object_) {
        if (object_ != nullptr) {
            object_->AddRef();
        }
    }
    ComReference& operator=(ComReference other) {
        std::swap(object_, other.object_);
        return *this;
    }
    ~ComReference() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }

    [[nodiscard]] Interface* Get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // Where a function that hands out a reference writes it.
    Interface** Receive() {
        *this = ComReference();
        return &object_;
    }

  private:
    Interface* object_ = nullptr;
};

// A COM object is never deleted through an interface pointer, only by its
// own Release; the interfaces thus have no virtual destructor.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class AccessibleObject : public IAccessible {
  public:
    AccessibleObject(const AccessibleObject&) = delete;
    AccessibleObject& operator=(const AccessibleObject&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IDispatch: screen readers call IAccessible directly; late binding is
    // not offered.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                            DISPID* ids) override;
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags,
                                     DISPPARAMS* parameters, VARIANT* result, EXCEPINFO* exception,
                                     UINT* wrongArgument) override;

    // What the system's standard object answers, unless the object answers
    // it itself: E_NOTIMPL without a standard object.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;

    // What none of the program's objects offers.
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override;
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override;
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override;
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override;
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override;

  protected:
    // standard: the system's object for the same window; may be empty.
    explicit AccessibleObject(const ComReference<IAccessible>& standard) : standard_(standard) {}
    virtual ~AccessibleObject() = default;

    ComReference<IAccessible> standard_;

  private:
    LONG references_ = 1;
};
#pragma GCC diagnostic pop

// The child a VARIANT names (CHILDID_SELF for an empty one), or -1 when it
// names none.
long ChildIdOf(const VARIANT& child);

// A new BSTR holding the text; S_FALSE and no string when the text is empty.
HRESULT ReturnText(std::wstring_view text, BSTR* result);

// Runs a COM method's body; an exception becomes E_OUTOFMEMORY or E_FAIL.
template <typename Body>
HRESULT Guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

}  // namespace win32
