#include "about_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <utility>

#include "about_form.h"
#include "accessible_windows.h"
#include "control_tools.h"
#include "dtmf_grid.h"
#include "gdi_object.h"
#include "program_texts.h"
#include "tonegen/dtmf_keys.h"
#include "wide_text.h"

namespace win32 {
namespace {

namespace form = forms::about_form;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A dialog frame shows no icon; owned by the program's hidden window, the
// window has no task-bar button and no owner among the program's windows.
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

POINT PointFrom(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

}  // namespace

AboutWindow::AboutWindow(Links links)
    : FormWindow({kStyle, kExStyle, form::kClientWidth, form::kClientHeight}),
      links_(std::move(links)) {}

void AboutWindow::Show(HWND owner) {
    if (Handle() != nullptr) {
        ShowWindow(Handle(), SW_SHOWNORMAL);
        SetForegroundWindow(Handle());
        BringWindowToTop(Handle());
        return;
    }
    const std::wstring title = Wide(form::kTitle);
    HWND window = Create({L"QuenbrixFrmAbout", CreateSolidBrush(ToColorref(form::kFace))}, kExStyle,
                         kStyle, owner, title.c_str());
    if (window == nullptr) {
        throw std::runtime_error("la fenêtre À propos n'a pas pu être créée");
    }
    // The client area's top-left corner at its place on the screen.
    const RECT frame = FrameAt(DpiScale(Dpi()).Point(form::kOpenPosition), Dpi());
    SetWindowPos(window, nullptr, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWithFocusOn(ok_);
}

RECT AboutWindow::ControlRect(std::string_view name) const {
    const auto index = controls_.Find(name);
    if (!index) {
        return {};
    }
    return controls_.PixelRect(*index, fonts_.Scale());
}

LRESULT AboutWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND:
            // "OK" is both the default and the cancel button: Enter and
            // Escape arrive as IDOK and IDCANCEL wherever the focus is.
            if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
                DestroyWindow(Handle());
            }
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
        case WM_GETOBJECT:
            return AnswerGetObject(Handle(), wParam, lParam,
                                   [this] { return DescribeAboutWindow(*this); });
        case WM_MOUSEMOVE:
            OnMouseMove(PointFrom(lParam));
            return 0;
        case WM_LBUTTONDOWN:
            OnLeftButtonDown(PointFrom(lParam));
            return 0;
        case WM_LBUTTONUP:
            OnLeftButtonUp(PointFrom(lParam));
            return 0;
        case WM_CAPTURECHANGED:
            pressedOnLink_ = false;
            return 0;
        case WM_SETCURSOR:
            return OnSetCursor(wParam, lParam);
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(GetStockObject(WHITE_BRUSH));
        case WM_DESTROY:
            ok_ = nullptr;
            icon_.reset();
            if (links_.closed) {
                links_.closed();
            }
            return 0;
        default:
            return FormWindow::HandleMessage(message, wParam, lParam);
    }
}

void AboutWindow::OnCreate() {
    // Every opening starts afresh: the link pink, nothing pressed.
    controls_ = WindowlessControls();
    linkCovered_ = false;
    pressedOnLink_ = false;
    fonts_ = ProgramFonts(DpiScale(static_cast<int>(GetDpiForWindow(Handle()))));

    icon_ = std::make_unique<IconBox>();
    HWND icon = icon_->Open(Handle());
    const std::wstring okText = Wide(form::kCmdOK.text);
    ok_ = CreateWindowExW(0, WC_BUTTONW, okText.c_str(),
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0,
                          Handle(), reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)),
                          GetModuleHandleW(nullptr), nullptr);
    if (icon == nullptr || ok_ == nullptr) {
        throw std::runtime_error("un contrôle de la fenêtre À propos n'a pas pu être créé");
    }
    // Tab visits "OK", then the icon box.
    SetWindowPos(ok_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(icon, ok_, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    // Creation order is stacking order: later controls lie in front.
    controls_.AddLabel(form::kLabel1, Wide(form::kLabel1.text));
    controls_.AddLabel(form::kLabel21, Wide(form::kLabel21.text));
    controls_.AddLabel(form::kLabel26, Wide(form::kLabel26.text));
    controls_.AddLabel(form::kLabel19, Wide(form::kLabel19.text));
    controls_.AddLabel(form::kLabel20, Wide(form::ReplacedFilesText()));
    controls_.AddLabel(form::kLabel25, Wide(form::kLabel25.text));
    controls_.AddLabel(form::kLabel2, Wide(form::kLabel2.text));
    controls_.AddPicture(form::kImage1.name, form::kImage1.place, PaintDtmfGrid);
    for (std::size_t index = 0; index < tonegen::kDtmfKeys.size(); ++index) {
        const form::KeyLabel key = form::KeyLabelAt(index);
        controls_.AddLabel(forms::Control{key.name,
                                          forms::ControlKind::Label,
                                          key.place,
                                          {},
                                          key.font,
                                          forms::TextAlign::Centre},
                           std::wstring(1, static_cast<wchar_t>(key.key)));
    }
    controls_.AddLabel(form::kLabel27, Wide(form::kLabel27.text));
    controls_.AddLabel(form::kLabel28, Wide(form::kLabel28.text));
    controls_.AddLabel(form::kLabel23, Wide(form::CreditText()));
    controls_.AddLabel(form::kLabel24, Wide(form::kLabel24.text));
    link_ = controls_.AddLabel(form::kLblqimbo, Wide(form::LinkText()), form::kLinkIdle,
                               form::kLinkText);
    LayOut();
    AttachAccessibleControls(*this);
}

void AboutWindow::LayOut() {
    const DpiScale& scale = fonts_.Scale();
    Place(ok_, scale.Rect(form::kCmdOK.place));
    SendMessageW(ok_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_.Get(form::kCmdOK.font)), TRUE);
    Place(icon_->Handle(), scale.Rect(form::kPicIcon.place));
    icon_->SetDpi(scale.Dpi());
}

bool AboutWindow::OverLink(POINT point) const {
    const auto front = controls_.FrontmostAt(point, fonts_.Scale());
    return front && *front == link_;
}

void AboutWindow::OnMouseMove(POINT point) {
    // Moves over "OK" and the icon box reach those controls, not this
    // window. While a button is held the window also gets moves from outside
    // its client area, which are over no background of its own.
    RECT client{};
    GetClientRect(Handle(), &client);
    if (PtInRect(&client, point) == FALSE) {
        return;
    }
    const auto front = controls_.FrontmostAt(point, fonts_.Scale());
    if (!front) {
        SetLinkCovered(false);  // the bare face
    } else if (*front == link_) {
        SetLinkCovered(true);
    }
}

void AboutWindow::OnLeftButtonDown(POINT point) {
    if (OverLink(point)) {
        pressedOnLink_ = true;
        SetCapture(Handle());
    }
}

void AboutWindow::OnLeftButtonUp(POINT point) {
    if (!pressedOnLink_) {
        return;
    }
    ReleaseCapture();  // clears pressedOnLink_
    if (OverLink(point)) {
        OpenSite();
    }
}

LRESULT AboutWindow::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT) {
        POINT point{};
        GetCursorPos(&point);
        ScreenToClient(Handle(), &point);
        if (OverLink(point)) {
            SetCursor(LoadCursorW(nullptr, IDC_HAND));
            return TRUE;
        }
    }
    return Default(WM_SETCURSOR, wParam, lParam);
}

void AboutWindow::SetLinkCovered(bool covered) {
    if (covered == linkCovered_) {
        return;
    }
    linkCovered_ = covered;
    controls_.SetBackground(link_, covered ? form::kLinkCovered : form::kLinkIdle);
    const RECT place = controls_.PixelRect(link_, fonts_.Scale());
    InvalidateRect(Handle(), &place, FALSE);
}

void AboutWindow::OpenSite() {
    const std::wstring address = Wide(form::SiteUrl());
    if (links_.openSite && links_.openSite(address)) {
        return;
    }
    const std::wstring text = Wide(form::SiteOpenFailureText());
    MessageBoxW(Handle(), text.c_str(), Wide(forms::program_texts::kErrorTitle).c_str(),
                MB_OK | MB_ICONERROR);
}

void AboutWindow::OnPaint() {
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(Handle(), &paint);
    // Drawn off screen first: the link's colour changes under the pointer
    // without the text behind it flickering.
    RECT client{};
    GetClientRect(Handle(), &client);
    HDC buffer = CreateCompatibleDC(dc);
    const GdiObject<HBITMAP> bitmap(CreateCompatibleBitmap(dc, client.right, client.bottom));
    HGDIOBJ previous = SelectObject(buffer, bitmap.Get());
    PaintClient(buffer);
    const RECT& update = paint.rcPaint;
    BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top,
           buffer, update.left, update.top, SRCCOPY);
    SelectObject(buffer, previous);
    DeleteDC(buffer);
    EndPaint(Handle(), &paint);
}

void AboutWindow::PaintClient(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    const GdiObject<HBRUSH> face(CreateSolidBrush(ToColorref(form::kFace)));
    FillRect(dc, &client, face.Get());
    controls_.Paint(dc, fonts_);
    // The separator above the credit line: ends exclusive, a wide line
    // growing downwards, so the white one never covers the grey one.
    const DpiScale& scale = fonts_.Scale();
    for (const form::Line& line : {form::kGreyLine, form::kWhiteLine}) {
        const POINT from = scale.Point(line.from);
        const POINT to = scale.Point(line.to);
        const RECT area{from.x, from.y, to.x, from.y + scale.FromStandardPixels(line.pixelWidth)};
        const GdiObject<HBRUSH> brush(CreateSolidBrush(ToColorref(line.colour)));
        FillRect(dc, &area, brush.Get());
    }
}

void AboutWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    ProgramFonts old = std::exchange(fonts_, ProgramFonts(DpiScale(dpi)));
    LayOut();  // the controls take the new fonts before the old ones go
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, FALSE);
}

}  // namespace win32
