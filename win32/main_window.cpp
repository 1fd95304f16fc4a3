#include "main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <stdexcept>
#include <utility>

#include "accessible_windows.h"
#include "control_tools.h"
#include "digit_box.h"
#include "main_form.h"
#include "program_texts.h"
#include "sound_player.h"
#include "tonegen/message_text.h"
#include "wide_text.h"

namespace win32 {
namespace {

namespace form = forms::main_form;

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
// A narrow title bar with the close box alone, and no task-bar button.
constexpr DWORD kExStyle = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;

// Control ids: the place in the forms' list, clear of IDOK and IDCANCEL,
// which the dialog keys send.
constexpr int kFirstId = 100;

int ControlId(const forms::Control& control) {
    const auto found = std::find(form::kControls.begin(), form::kControls.end(), &control);
    return kFirstId + static_cast<int>(found - form::kControls.begin());
}

// Where a request from the volume bar moves it (before the bounds), or
// nothing for a request that does not move it.
std::optional<int> VolumeAfter(int request, const SCROLLINFO& bar) {
    switch (request) {
        case SB_LINELEFT:
            return bar.nPos - form::kVolumeSmallStep;
        case SB_LINERIGHT:
            return bar.nPos + form::kVolumeSmallStep;
        case SB_PAGELEFT:
            return bar.nPos - form::kVolumeLargeStep;
        case SB_PAGERIGHT:
            return bar.nPos + form::kVolumeLargeStep;
        case SB_LEFT:
            return form::kVolumeLowest;
        case SB_RIGHT:
            return form::kVolumeHighest;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
            return bar.nTrackPos;
        default:
            return std::nullopt;
    }
}

bool IsPlainButton(const forms::Control& control) {
    return control.kind == forms::ControlKind::Button && &control != &form::kCmdAide;
}

HWND CreateChild(HWND parent, const forms::Control& control) {
    const wchar_t* className = nullptr;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
    DWORD exStyle = 0;
    switch (control.kind) {
        case forms::ControlKind::Button:
            className = WC_BUTTONW;
            // "A propos" has its face painted in the window's grey. BS_NOTIFY:
            // the focused button is drawn as the one Enter presses.
            style |= &control == &form::kCmdAide ? BS_OWNERDRAW : (BS_PUSHBUTTON | BS_NOTIFY);
            break;
        case forms::ControlKind::TextBox:
            className = WC_EDITW;
            style |= ES_CENTER | ES_AUTOHSCROLL;
            exStyle = WS_EX_CLIENTEDGE;
            break;
        case forms::ControlKind::ScrollBar:
            className = WC_SCROLLBARW;
            style |= SBS_HORZ;
            break;
        default:
            return nullptr;
    }
    const std::wstring text = Wide(control.text);
    return CreateWindowExW(exStyle, className, text.c_str(), style, 0, 0, 0, 0, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(control))),
                           GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

MainWindow::MainWindow(std::filesystem::path programDirectory, SoundPlayer& player,
                       ToneFileMaker makeToneFile, Links links)
    : FormWindow({kStyle, kExStyle, form::kClientWidth, form::kClientHeight}),
      programDirectory_(std::move(programDirectory)),
      player_(player),
      makeToneFile_(std::move(makeToneFile)),
      links_(std::move(links)),
      faceBrush_(CreateSolidBrush(ToColorref(form::kFace))),
      boxBrush_(CreateSolidBrush(ToColorref(form::kBoxBackground))) {}

void MainWindow::Open(HWND owner) {
    if (Handle() != nullptr) {
        return;
    }
    const std::wstring title = Wide(form::kTitle);
    HWND window = Create({L"QuenbrixForm1", CreateSolidBrush(ToColorref(form::kFace))}, kExStyle,
                         kStyle, owner, title.c_str());
    if (window == nullptr) {
        throw std::runtime_error("la fenêtre principale n'a pas pu être créée");
    }
    // The window carries the program icon, though its tool-window frame shows none.
    HICON icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON,
                                               0, 0, LR_DEFAULTSIZE | LR_SHARED));
    if (icon != nullptr) {
        SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }

    // Centred on the screen the window opens on.
    const SIZE size = WindowSize(Dpi());
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    SetWindowPos(window, nullptr, work.left + (work.right - work.left - size.cx) / 2,
                 work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWithFocusOn(ControlHandle(form::kCommand1));
}

HWND MainWindow::ControlHandle(const forms::Control& control) const {
    for (const Child& child : children_) {
        if (child.control == &control) {
            return child.handle;
        }
    }
    return nullptr;
}

std::filesystem::path MainWindow::ToneFilePath() const {
    return tonegen::ToneFilePath(programDirectory_);
}

LRESULT MainWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            return 0;
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_HSCROLL:
            OnScroll(LOWORD(wParam));
            return 0;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORBTN:
            return OnControlColour(reinterpret_cast<HDC>(wParam), message);
        case WM_DRAWITEM:
            OnDrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_SETCURSOR:
            return OnSetCursor(wParam, lParam);
        case DM_GETDEFID:
            return OnGetDefaultButton();
        case WM_GETOBJECT:
            return AnswerGetObject(Handle(), wParam, lParam,
                                   [this] { return DescribeMainWindow(*this); });
        case WM_DESTROY:
            children_.clear();
            if (links_.closed) {
                links_.closed();
            }
            return 0;
        default:
            return FormWindow::HandleMessage(message, wParam, lParam);
    }
}

void MainWindow::OnCreate() {
    for (const forms::Control* control : form::kControls) {
        if (control->kind == forms::ControlKind::Label) {
            labels_.AddLabel(*control, Wide(control->text));
            continue;
        }
        HWND child = CreateChild(Handle(), *control);
        if (child == nullptr) {
            throw std::runtime_error("un contrôle de la fenêtre principale n'a pas pu être créé");
        }
        children_.push_back({control, child});
        if (control->kind == forms::ControlKind::TextBox) {
            SendMessageW(child, EM_SETLIMITTEXT, 0, 0);  // no limit of its own
            DigitBox::Attach(child);
        }
    }
    HWND volume = ControlHandle(form::kVolumescroll);
    SCROLLINFO range{};
    range.cbSize = sizeof range;
    range.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
    range.nMin = form::kVolumeLowest;
    range.nMax = form::kVolumeHighest;
    range.nPos = form::kVolumeStart;
    SetScrollInfo(volume, SB_CTL, &range, TRUE);

    // Tab follows the window order of the children, from the top.
    HWND previous = HWND_TOP;
    for (const forms::Control* control : form::kTabOrder) {
        HWND child = ControlHandle(*control);
        SetWindowPos(child, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = child;
    }
    fonts_ = ProgramFonts(DpiScale(static_cast<int>(GetDpiForWindow(Handle()))));
    LayOut(fonts_);
    AttachAccessibleControls(*this);
}

void MainWindow::LayOut(ProgramFonts& fonts) {
    for (const Child& child : children_) {
        Place(child.handle, fonts.Scale().Rect(child.control->place));
        SendMessageW(child.handle, WM_SETFONT,
                     reinterpret_cast<WPARAM>(fonts.Get(child.control->font)), TRUE);
    }
}

void MainWindow::OnCommand(int id, int code, HWND control) {
    const Child* child = FindChild(control);
    if (child == nullptr) {
        return;  // IDOK, IDCANCEL from Enter and Escape: no button of this window
    }
    if (code == BN_SETFOCUS || code == BN_KILLFOCUS) {
        if (IsPlainButton(*child->control)) {
            SendMessageW(control, BM_SETSTYLE,
                         code == BN_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
        }
        return;
    }
    if (code != BN_CLICKED || id != ControlId(*child->control)) {
        return;
    }
    if (child->control == &form::kCommand1) {
        CreateAndPlay();
    } else if (child->control == &form::kCmdrejoue) {
        Replay();
    } else if (child->control == &form::kCmdAide && links_.openAbout) {
        links_.openAbout();
    }
}

void MainWindow::CreateAndPlay() {
    // The one handler that reports its failures in the error box, whatever they are.
    try {
        const auto text = [this](const forms::Control& box) {
            return Utf8(Text(ControlHandle(box)));
        };
        const std::string frequency1 = text(form::kTxtFreq1);
        const std::string frequency2 = text(form::kTxtFreq2);
        const std::string duration = text(form::kText5);
        // The bar's range is that of a non-negative 16-bit value.
        const auto amplitude =
            static_cast<std::int16_t>(GetScrollPos(ControlHandle(form::kVolumescroll), SB_CTL));

        // A sound still playing holds test.wav open, which would keep the run
        // from deleting it.
        player_.Stop();
        const tonegen::RunResult failure =
            makeToneFile_(programDirectory_, {frequency1, frequency2, duration, amplitude},
                          {[this] { wait_.Show(Handle()); }, nullptr});
        wait_.Restore();
        if (failure.has_value()) {
            ShowError(Wide(failure->description));
            return;
        }
        PlayToneFile();
    } catch (const std::exception& unexpected) {
        wait_.Restore();
        ShowError(Wide(forms::program_texts::kUnexpectedFailureStart) + Wide(unexpected.what()));
    }
}

void MainWindow::Replay() {
    PlayToneFile();
}

void MainWindow::PlayToneFile() {
    const std::filesystem::path file = ToneFilePath();
    if (!player_.Play(file)) {
        ShowError(L"Impossible de faire entendre " + Wide(tonegen::QuotePath(file)) +
                  L" : le lecteur de sons de Windows ne prend pas ce chemin (trop long, ou des "
                  L"caractères hors de la page de code du système) et le disque n'en donne pas "
                  L"de nom court.");
    }
}

void MainWindow::OnScroll(int request) {
    HWND volume = ControlHandle(form::kVolumescroll);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(volume, SB_CTL, &info);
    const std::optional<int> value = VolumeAfter(request, info);
    if (!value) {
        return;
    }
    SetScrollPos(volume, SB_CTL, std::clamp(*value, form::kVolumeLowest, form::kVolumeHighest),
                 TRUE);
}

LRESULT MainWindow::OnControlColour(HDC dc, UINT message) {
    if (message == WM_CTLCOLOREDIT) {
        SetBkColor(dc, ToColorref(form::kBoxBackground));
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        return reinterpret_cast<LRESULT>(boxBrush_.Get());
    }
    // The corners around a button show the window's face.
    return reinterpret_cast<LRESULT>(faceBrush_.Get());
}

void MainWindow::OnDrawButton(const DRAWITEMSTRUCT& item) {
    // A raised face in the window's grey, sunken while pressed.
    RECT face = item.rcItem;
    FillRect(item.hDC, &face, faceBrush_.Get());
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(item.hDC, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);

    const std::wstring caption = Text(item.hwndItem);
    RECT text = face;
    if (pressed) {
        OffsetRect(&text, 1, 1);
    }
    const int saved = SaveDC(item.hDC);
    SetBkMode(item.hDC, TRANSPARENT);
    SetTextColor(item.hDC, GetSysColor(COLOR_BTNTEXT));
    SelectObject(item.hDC, fonts_.Get(form::kCmdAide.font));
    DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &text,
              DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    RestoreDC(item.hDC, saved);
    if ((item.itemState & ODS_FOCUS) != 0 && (item.itemState & ODS_NOFOCUSRECT) == 0) {
        const int inset = fonts_.Scale().FromStandardPixels(3);
        InflateRect(&face, -inset, -inset);
        DrawFocusRect(item.hDC, &face);
    }
}

void MainWindow::PaintClient(HDC dc) {
    RECT client{};
    GetClientRect(Handle(), &client);
    FillRect(dc, &client, faceBrush_.Get());
    labels_.Paint(dc, fonts_);
}

void MainWindow::OnDpiChanged(int dpi, const RECT& suggested) {
    ProgramFonts fonts{DpiScale(dpi)};
    LayOut(fonts);
    fonts_ = std::move(fonts);  // the old fonts go once no control uses them
    SetWindowPos(Handle(), nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT MainWindow::OnSetCursor(WPARAM wParam, LPARAM lParam) {
    if (wait_.Showing()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
    }
    return Default(WM_SETCURSOR, wParam, lParam);
}

LRESULT MainWindow::OnGetDefaultButton() const {
    // No default button: Enter presses the button that has the focus, and
    // nothing elsewhere.
    const Child* focused = FindChild(GetFocus());
    if (focused != nullptr && focused->control->kind == forms::ControlKind::Button) {
        return MAKELRESULT(ControlId(*focused->control), DC_HASDEFID);
    }
    return 0;
}

const MainWindow::Child* MainWindow::FindChild(HWND handle) const {
    for (const Child& child : children_) {
        if (child.handle == handle) {
            return &child;
        }
    }
    return nullptr;
}

void MainWindow::ShowError(const std::wstring& text) {
    MessageBoxW(Handle(), text.c_str(), Wide(forms::program_texts::kErrorTitle).c_str(),
                MB_OK | MB_ICONERROR);
}

}  // namespace win32
