#include "program.h"

#include <stdexcept>
#include <utility>

namespace win32 {

Program::Program(std::filesystem::path programDirectory, SoundPlayer& player,
                 MainWindow::ToneFileMaker makeToneFile, AboutWindow::SiteOpener openSite)
    : main_(std::move(programDirectory), player, std::move(makeToneFile),
            {[this] { OpenAbout(); }, [this] { WindowClosed(main_); }}),
      about_({std::move(openSite), [this] { WindowClosed(about_); }}) {
    owner_ = CreateWindowExW(0, L"STATIC", L"Quenbrix", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    if (owner_ == nullptr) {
        throw std::runtime_error("la fenêtre cachée du programme n'a pas pu être créée");
    }
}

Program::~Program() {
    // Destroying the owner destroys both windows; the program is already
    // over, so their closing must not end another message loop.
    ended_ = true;
    DestroyWindow(owner_);
}

void Program::Start() {
    main_.Open(owner_);
}

int Program::Run() {
    while (!ended_) {
        MSG message{};
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) {
            exitCode_ = got == 0 ? static_cast<int>(message.wParam) : 1;
            break;
        }
        Dispatch(message);
    }
    return exitCode_;
}

bool Program::HandlePending() {
    MSG message{};
    while (!ended_ && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE) != FALSE) {
        if (message.message == WM_QUIT) {
            ended_ = true;
            exitCode_ = static_cast<int>(message.wParam);
            break;
        }
        Dispatch(message);
    }
    return !ended_;
}

void Program::Dispatch(MSG& message) {
    // Tab, Enter and Escape work in both windows as in dialog boxes.
    HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (root != nullptr && (root == main_.Handle() || root == about_.Handle()) &&
        IsDialogMessageW(root, &message) != FALSE) {
        return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Program::OpenAbout() {
    about_.Show(owner_);
}

void Program::WindowClosed(const Window& closing) {
    // Each window tells when it closes; neither closes the other.
    const Window& other = &closing == &main_ ? static_cast<const Window&>(about_) : main_;
    if (!ended_ && other.Handle() == nullptr) {
        PostQuitMessage(0);
    }
}

}  // namespace win32
