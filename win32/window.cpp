#include "window.h"

#include <exception>
#include <string>

#include "dpi_scale.h"
#include "program_texts.h"
#include "wide_text.h"

namespace win32 {

Window::~Window() {
    if (handle_ != nullptr) {
        // The object goes first: the window must not reach it any more.
        SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
        DestroyWindow(handle_);
    }
}

HWND Window::Create(const ClassSpec& windowClass, DWORD exStyle, DWORD style, HWND owner,
                    const wchar_t* title) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, windowClass.name, &existing) == FALSE) {
        WNDCLASSEXW registered{};
        registered.cbSize = sizeof registered;
        registered.style = CS_HREDRAW | CS_VREDRAW;
        registered.lpfnWndProc = Procedure;
        registered.hInstance = instance;
        registered.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        registered.hbrBackground = windowClass.background;
        registered.lpszClassName = windowClass.name;
        RegisterClassExW(&registered);
    } else if (windowClass.background != nullptr) {
        DeleteObject(windowClass.background);
    }
    // Placed and sized once the window knows its resolution.
    return CreateWindowExW(exStyle, windowClass.name, title, style, 0, 0, 0, 0, owner, nullptr,
                           instance, this);
}

LRESULT Window::Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(handle_, message, wParam, lParam);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            OnPaint();
            return 0;
        case WM_PRINTCLIENT:
            PaintClient(reinterpret_cast<HDC>(wParam));
            return 0;
        default:
            return Default(message, wParam, lParam);
    }
}

void Window::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(handle_, &paint);
    PaintClient(dc);
    EndPaint(handle_, &paint);
}

LRESULT CALLBACK Window::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (message == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->handle_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (self == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    try {
        result = self->HandleMessage(message, wParam, lParam);
    } catch (const std::exception& failure) {
        EndAfterFailure(failure.what());
    } catch (...) {
        EndAfterFailure("cause inconnue");
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->handle_ = nullptr;
    }
    return result;
}

LRESULT FormWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_ERASEBKGND:
            return 1;  // WM_PAINT covers everything
        case WM_ACTIVATE:
            focus_.OnActivate(Handle(), wParam);
            return 0;
        case WM_SETFOCUS:
            focus_.Restore();
            return 0;
        case WM_GETDPISCALEDSIZE:
            *reinterpret_cast<SIZE*>(lParam) = WindowSize(static_cast<int>(wParam));
            return TRUE;
        case WM_DPICHANGED:
            OnDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        default:
            return Window::HandleMessage(message, wParam, lParam);
    }
}

SIZE FormWindow::WindowSize(int dpi) const {
    const RECT frame = FrameAt({0, 0}, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

RECT FormWindow::FrameAt(POINT corner, int dpi) const {
    const DpiScale scale(dpi);
    RECT frame{corner.x, corner.y, corner.x + scale.Pixels(frame_.clientWidth),
               corner.y + scale.Pixels(frame_.clientHeight)};
    AdjustWindowRectExForDpi(&frame, frame_.style, FALSE, frame_.exStyle, static_cast<UINT>(dpi));
    return frame;
}

void FormWindow::ShowWithFocusOn(HWND control) {
    focus_.Start(control);
    ShowWindow(Handle(), SW_SHOW);
    SetForegroundWindow(Handle());
    focus_.Restore();
}

void EndAfterFailure(const char* what) {
    static bool shown = false;
    if (!shown) {
        shown = true;
        const std::wstring text = Wide(forms::program_texts::kFatalFailureStart) + Wide(what);
        MessageBoxW(nullptr, text.c_str(), Wide(forms::program_texts::kErrorTitle).c_str(),
                    MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    PostQuitMessage(1);
}

}  // namespace win32
