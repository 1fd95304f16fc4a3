// What a screen reader finds on a window's client area where the program
// paints instead of making windows: the labels, the DTMF table and the link,
// beside the real child windows, which keep objects of their own. One
// object per window's client area and one per element that holds elements
// of its own (the table); the others are simple elements, which their
// holder answers for, named by their place in its list from 1.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <oleacc.h>

#include <functional>
#include <string>
#include <vector>

#include "accessible_object.h"
#include "dpi_scale.h"

namespace win32 {

struct AccessibleElement {
    long role = ROLE_SYSTEM_STATICTEXT;
    long state = STATE_SYSTEM_READONLY;
    std::wstring name;
    std::wstring value;
    std::wstring description;
    // Set for an element that can be pressed: a click at its middle, as the
    // pointer would give.
    std::wstring defaultAction;
    // In client pixels at a resolution; the whole client area when empty.
    std::function<RECT(const DpiScale&)> place;
    // A child window: its own object answers for it.
    HWND window = nullptr;
    // When not empty, the element is an object of its own holding these.
    std::vector<AccessibleElement> elements;
};

class AccessibleGroup final : public AccessibleObject {
  public:
    // The client area of a window: what the element leaves empty (the name, the
    // state, the parent) comes from the window's standard object.
    static HRESULT CreateForClient(HWND window, AccessibleElement client, IAccessible** object);

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override;
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override;
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override;
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override;
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override;
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override;
    HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height,
                                          VARIANT child) override;
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override;
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override;

  private:
    // standard: the window's own object, for the client area only.
    AccessibleGroup(HWND window, AccessibleElement self, const ComReference<IAccessible>& standard,
                    const ComReference<IDispatch>& parent);

    // The element a child id names (self for CHILDID_SELF), or null.
    [[nodiscard]] const AccessibleElement* ElementOf(const VARIANT& child) const;
    // The object of an element that has one: a child window's or a new group.
    HRESULT ObjectOf(const AccessibleElement& element, IDispatch** object);
    // Asks a child window's own object about itself.
    template <typename Question>
    HRESULT AskWindow(const AccessibleElement& element, Question&& question);
    // A child window's element, which the window's own object answers for.
    [[nodiscard]] bool AnsweredByWindow(const AccessibleElement& element) const;
    // Answers about the element a child id names: the window's object for a
    // child window, answer(element) for the others.
    template <typename Question, typename Answer>
    HRESULT AnswerFor(const VARIANT& child, Question&& question, Answer&& answer);
    // The same for a question with one result, which starts empty; question
    // is the IAccessible method a child window's object answers it with.
    template <typename Result, typename Question, typename Answer>
    HRESULT AnswerInto(const VARIANT& child, Result* result, Question question, Answer&& answer);
    // The object of an element, as a VARIANT.
    HRESULT ReturnObjectOf(const AccessibleElement& element, VARIANT* result);
    [[nodiscard]] RECT ClientPlace(const AccessibleElement& element) const;

    HWND window_;
    AccessibleElement self_;
    ComReference<IDispatch> parent_;  // the group holding this one, for the others
};

// The answer to WM_GETOBJECT: for OBJID_CLIENT the client area described by
// describe(), anything else as the system answers it. Never throws.
LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam,
                        const std::function<AccessibleElement()>& describe);

}  // namespace win32
