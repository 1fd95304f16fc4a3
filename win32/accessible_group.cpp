#include "accessible_group.h"

#include <utility>

namespace win32 {
namespace {

VARIANT SelfId() {
    VARIANT self;
    VariantInit(&self);
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    return self;
}

bool Contains(const RECT& rect, POINT point) {
    return PtInRect(&rect, point) != FALSE;
}

POINT Middle(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// An element its holder answers for, with no object of its own.
bool IsSimple(const AccessibleElement& element) {
    return element.window == nullptr && element.elements.empty();
}

// Answers with an element's text.
auto TextOf(std::wstring AccessibleElement::*text, BSTR* result) {
    return [=](const AccessibleElement& element) { return ReturnText(element.*text, result); };
}

HRESULT ReturnNumber(long number, VARIANT* result) {
    result->vt = VT_I4;
    result->lVal = number;
    return S_OK;
}

// What an answer leaves when it fails.
void Clear(BSTR* text) {
    *text = nullptr;
}

void Clear(VARIANT* value) {
    VariantInit(value);
}

}  // namespace

AccessibleGroup::AccessibleGroup(HWND window, AccessibleElement self,
                                 const ComReference<IAccessible>& standard,
                                 const ComReference<IDispatch>& parent)
    : AccessibleObject(standard), window_(window), self_(std::move(self)), parent_(parent) {}

HRESULT AccessibleGroup::CreateForClient(HWND window, AccessibleElement client,
                                         IAccessible** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return Guarded([&] {
        // Without it the client area still answers, only with less of its own.
        ComReference<IAccessible> standard;
        if (FAILED(CreateStdAccessibleObject(window, OBJID_CLIENT, IID_IAccessible,
                                             reinterpret_cast<void**>(standard.Receive())))) {
            standard = ComReference<IAccessible>();
        }
        *object = new AccessibleGroup(window, std::move(client), standard, {});
        return S_OK;
    });
}

const AccessibleElement* AccessibleGroup::ElementOf(const VARIANT& child) const {
    const long id = ChildIdOf(child);
    if (id == CHILDID_SELF) {
        return &self_;
    }
    if (id >= 1 && static_cast<std::size_t>(id) <= self_.elements.size()) {
        return &self_.elements[static_cast<std::size_t>(id) - 1];
    }
    return nullptr;
}

HRESULT AccessibleGroup::ObjectOf(const AccessibleElement& element, IDispatch** object) {
    *object = nullptr;
    if (element.window != nullptr) {
        return AccessibleObjectFromWindow(element.window, static_cast<DWORD>(OBJID_CLIENT),
                                          IID_IDispatch, reinterpret_cast<void**>(object));
    }
    AddRef();
    ComReference<IDispatch> parent(static_cast<IDispatch*>(this));
    *object = new AccessibleGroup(window_, element, {}, parent);
    return S_OK;
}

template <typename Question>
HRESULT AccessibleGroup::AskWindow(const AccessibleElement& element, Question&& question) {
    ComReference<IAccessible> object;
    const HRESULT found =
        AccessibleObjectFromWindow(element.window, static_cast<DWORD>(OBJID_CLIENT),
                                   IID_IAccessible, reinterpret_cast<void**>(object.Receive()));
    if (FAILED(found)) {
        return found;
    }
    return question(*object.Get(), SelfId());
}

bool AccessibleGroup::AnsweredByWindow(const AccessibleElement& element) const {
    return &element != &self_ && element.window != nullptr;
}

template <typename Question, typename Answer>
HRESULT AccessibleGroup::AnswerFor(const VARIANT& child, Question&& question, Answer&& answer) {
    return Guarded([&] {
        const AccessibleElement* element = ElementOf(child);
        if (element == nullptr) {
            return E_INVALIDARG;
        }
        if (AnsweredByWindow(*element)) {
            return AskWindow(*element, question);
        }
        return answer(*element);
    });
}

template <typename Result, typename Question, typename Answer>
HRESULT AccessibleGroup::AnswerInto(const VARIANT& child, Result* result, Question question,
                                    Answer&& answer) {
    if (result == nullptr) {
        return E_POINTER;
    }
    Clear(result);
    return AnswerFor(
        child, [&](IAccessible& object, VARIANT self) { return (object.*question)(self, result); },
        answer);
}

HRESULT AccessibleGroup::ReturnObjectOf(const AccessibleElement& element, VARIANT* result) {
    IDispatch* object = nullptr;
    const HRESULT found = ObjectOf(element, &object);
    if (SUCCEEDED(found)) {
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
    }
    return found;
}

RECT AccessibleGroup::ClientPlace(const AccessibleElement& element) const {
    if (element.place) {
        return element.place(DpiScale(static_cast<int>(GetDpiForWindow(window_))));
    }
    RECT client{};
    GetClientRect(window_, &client);
    return client;
}

HRESULT AccessibleGroup::get_accParent(IDispatch** parent) {
    if (parent == nullptr) {
        return E_POINTER;
    }
    *parent = nullptr;
    return Guarded([&] {
        if (parent_) {
            parent_->AddRef();
            *parent = parent_.Get();
            return S_OK;
        }
        if (standard_ && SUCCEEDED(standard_->get_accParent(parent)) && *parent != nullptr) {
            return S_OK;
        }
        // The window's frame holds its client area.
        return AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                          reinterpret_cast<void**>(parent));
    });
}

HRESULT AccessibleGroup::get_accChildCount(long* count) {
    if (count == nullptr) {
        return E_POINTER;
    }
    *count = static_cast<long>(self_.elements.size());
    return S_OK;
}

HRESULT AccessibleGroup::get_accChild(VARIANT child, IDispatch** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return Guarded([&] {
        const AccessibleElement* element = ElementOf(child);
        if (element == nullptr || element == &self_) {
            return E_INVALIDARG;
        }
        if (IsSimple(*element)) {
            return S_FALSE;  // a simple element: this object answers for it
        }
        return ObjectOf(*element, object);
    });
}

HRESULT AccessibleGroup::get_accName(VARIANT child, BSTR* name) {
    return AnswerInto(child, name, &IAccessible::get_accName,
                      [&](const AccessibleElement& element) {
                          if (&element == &self_ && element.name.empty() && standard_) {
                              return standard_->get_accName(SelfId(), name);
                          }
                          return ReturnText(element.name, name);
                      });
}

HRESULT AccessibleGroup::get_accValue(VARIANT child, BSTR* value) {
    return AnswerInto(child, value, &IAccessible::get_accValue,
                      TextOf(&AccessibleElement::value, value));
}

HRESULT AccessibleGroup::get_accDescription(VARIANT child, BSTR* description) {
    return AnswerInto(child, description, &IAccessible::get_accDescription,
                      TextOf(&AccessibleElement::description, description));
}

HRESULT AccessibleGroup::get_accRole(VARIANT child, VARIANT* role) {
    return AnswerInto(
        child, role, &IAccessible::get_accRole,
        [&](const AccessibleElement& element) { return ReturnNumber(element.role, role); });
}

HRESULT AccessibleGroup::get_accState(VARIANT child, VARIANT* state) {
    return AnswerInto(child, state, &IAccessible::get_accState,
                      [&](const AccessibleElement& element) {
                          if (&element == &self_ && standard_) {
                              return standard_->get_accState(SelfId(), state);
                          }
                          return ReturnNumber(element.state, state);
                      });
}

HRESULT AccessibleGroup::get_accFocus(VARIANT* child) {
    if (child == nullptr) {
        return E_POINTER;
    }
    VariantInit(child);
    return Guarded([&] {
        HWND focus = GetFocus();
        if (parent_ || focus == nullptr) {
            return S_FALSE;  // none of the painted elements takes the keyboard
        }
        if (focus == window_) {
            return ReturnNumber(CHILDID_SELF, child);
        }
        for (const AccessibleElement& element : self_.elements) {
            if (element.window == focus) {
                return ReturnObjectOf(element, child);
            }
        }
        return S_FALSE;
    });
}

HRESULT AccessibleGroup::get_accDefaultAction(VARIANT child, BSTR* action) {
    return AnswerInto(child, action, &IAccessible::get_accDefaultAction,
                      TextOf(&AccessibleElement::defaultAction, action));
}

HRESULT AccessibleGroup::accDoDefaultAction(VARIANT child) {
    return AnswerFor(
        child, [](IAccessible& object, VARIANT self) { return object.accDoDefaultAction(self); },
        [&](const AccessibleElement& element) -> HRESULT {
            if (element.defaultAction.empty()) {
                return DISP_E_MEMBERNOTFOUND;
            }
            // Posted, not handled here: whatever the click does (a browser to
            // start, an error box) happens after the screen reader's call returns.
            const POINT middle = Middle(ClientPlace(element));
            const LPARAM at = MAKELPARAM(middle.x, middle.y);
            if (PostMessageW(window_, WM_LBUTTONDOWN, MK_LBUTTON, at) == FALSE ||
                PostMessageW(window_, WM_LBUTTONUP, 0, at) == FALSE) {
                return HRESULT_FROM_WIN32(GetLastError());
            }
            return S_OK;
        });
}

HRESULT AccessibleGroup::accLocation(long* left, long* top, long* width, long* height,
                                     VARIANT child) {
    if (left == nullptr || top == nullptr || width == nullptr || height == nullptr) {
        return E_POINTER;
    }
    *left = *top = *width = *height = 0;
    return Guarded([&] {
        const AccessibleElement* element = ElementOf(child);
        if (element == nullptr) {
            return E_INVALIDARG;
        }
        RECT place{};
        if (AnsweredByWindow(*element)) {
            GetWindowRect(element->window, &place);
        } else {
            place = ClientPlace(*element);
            MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&place), 2);
        }
        *left = place.left;
        *top = place.top;
        *width = place.right - place.left;
        *height = place.bottom - place.top;
        return S_OK;
    });
}

HRESULT AccessibleGroup::accHitTest(long x, long y, VARIANT* child) {
    if (child == nullptr) {
        return E_POINTER;
    }
    VariantInit(child);
    return Guarded([&] {
        POINT point{x, y};
        ScreenToClient(window_, &point);
        if (!Contains(ClientPlace(self_), point)) {
            return S_FALSE;
        }
        // Later elements lie in front.
        for (std::size_t index = self_.elements.size(); index-- > 0;) {
            const AccessibleElement& element = self_.elements[index];
            RECT place{};
            if (element.window != nullptr) {
                if (IsWindowVisible(element.window) == FALSE) {
                    continue;
                }
                GetWindowRect(element.window, &place);
                MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&place), 2);
            } else {
                place = ClientPlace(element);
            }
            if (!Contains(place, point)) {
                continue;
            }
            if (IsSimple(element)) {
                return ReturnNumber(static_cast<long>(index + 1), child);
            }
            return ReturnObjectOf(element, child);
        }
        return ReturnNumber(CHILDID_SELF, child);
    });
}

LRESULT AnswerGetObject(HWND window, WPARAM wParam, LPARAM lParam,
                        const std::function<AccessibleElement()>& describe) {
    if (static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
        try {
            ComReference<IAccessible> object;
            if (SUCCEEDED(AccessibleGroup::CreateForClient(window, describe(), object.Receive()))) {
                const LRESULT reference = LresultFromObject(IID_IAccessible, wParam, object.Get());
                // A failure (COM not started on this thread, say) leaves the request to
                // the standard object rather than failing the screen reader.
                if (SUCCEEDED(static_cast<HRESULT>(reference))) {
                    return reference;
                }
            }
        } catch (...) {
            // The system's own object answers instead.
        }
    }
    return DefWindowProcW(window, WM_GETOBJECT, wParam, lParam);
}

}  // namespace win32
