#include "window_test_support.h"

#include <memory>

namespace quenbrix_test {
namespace {

std::vector<ShownBox>& Boxes() {
    static std::vector<ShownBox> boxes;
    return boxes;
}

BOOL CALLBACK NoteBoxChild(HWND child, LPARAM data) {
    auto* box = reinterpret_cast<ShownBox*>(data);
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (std::wstring_view(className) != L"Static") {
        return TRUE;
    }
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box->errorIcon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0)) ==
                         LoadIconW(nullptr, IDI_ERROR);
    } else if (const std::wstring text = WindowText(child); !text.empty()) {
        box->text = text;
    }
    return TRUE;
}

LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    const auto* sent = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && sent->message == WM_INITDIALOG) {
        wchar_t className[16] = {};
        GetClassNameW(sent->hwnd, className, 16);
        if (std::wstring_view(className) == L"#32770") {
            ShownBox box;
            box.title = WindowText(sent->hwnd);
            EnumChildWindows(sent->hwnd, NoteBoxChild, reinterpret_cast<LPARAM>(&box));
            Boxes().push_back(box);
            PostMessageW(sent->hwnd, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

bool RecordingPlayer::Play(const std::filesystem::path& file) {
    calls.push_back(L"play " + file.native());
    return !refusing;
}

void RecordingPlayer::Stop() {
    calls.emplace_back(L"stop");
}

MessageBoxWatcher::MessageBoxWatcher()
    : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, WatchBoxes, nullptr, GetCurrentThreadId())) {
    Boxes().clear();
}

MessageBoxWatcher::~MessageBoxWatcher() {
    UnhookWindowsHookEx(hook_);
}

const std::vector<ShownBox>& MessageBoxWatcher::Shown() {
    return Boxes();
}

void PressKey(win32::Program& program, UINT virtualKey) {
    HWND focus = GetFocus();
    const UINT scanCode = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageW(focus, WM_KEYDOWN, virtualKey, static_cast<LPARAM>(1U | (scanCode << 16U)));
    program.HandlePending();
    PostMessageW(GetFocus(), WM_KEYUP, virtualKey,
                 static_cast<LPARAM>(1U | (scanCode << 16U) | 0xC0000000U));
    program.HandlePending();
}

void Type(win32::Program& program, std::wstring_view characters) {
    for (const wchar_t character : characters) {
        PostMessageW(GetFocus(), WM_CHAR, character, 1);
        program.HandlePending();
    }
}

void Mouse(win32::Program& program, HWND window, UINT message, POINT point) {
    PostMessageW(window, message, message == WM_LBUTTONDOWN ? MK_LBUTTON : 0,
                 MAKELPARAM(point.x, point.y));
    program.HandlePending();
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

RECT ClientRectOnScreen(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

PaintedClient::PaintedClient(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    previous_ = SelectObject(dc_, bitmap_);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
}

PaintedClient::~PaintedClient() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

COLORREF PaintedClient::At(POINT point) const {
    return GetPixel(dc_, point.x, point.y);
}

}  // namespace quenbrix_test
