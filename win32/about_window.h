// frmAbout, the About window: what the program is for, the DTMF key pairs as
// a picture with the keys laid over it, a credit line and a link to the
// maker's site, on a white face. A dialog frame without a task-bar button,
// opened at its fixed place on the screen; closing it discards its controls
// and the next opening builds them afresh.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "icon_box.h"
#include "program_fonts.h"
#include "window.h"
#include "windowless_controls.h"

namespace win32 {

class AboutWindow final : public FormWindow {
  public:
    // Starts the browser on the address without waiting for it; false when
    // no program could be started.
    using SiteOpener = std::function<bool(const std::wstring& address)>;

    struct Links {
        SiteOpener openSite;
        std::function<void()> closed;
    };

    explicit AboutWindow(Links links);

    // Builds and shows the window, or brings the open one to the front.
    void Show(HWND owner);

    [[nodiscard]] bool LinkCovered() const { return linkCovered_; }
    [[nodiscard]] RECT ControlRect(std::string_view name) const;
    [[nodiscard]] HWND OkButton() const { return ok_; }
    [[nodiscard]] HWND IconBoxHandle() const { return icon_ ? icon_->Handle() : nullptr; }
    [[nodiscard]] int Dpi() const { return fonts_.Scale().Dpi(); }

  private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnCreate();
    void OnMouseMove(POINT point);
    void OnLeftButtonDown(POINT point);
    void OnLeftButtonUp(POINT point);
    LRESULT OnSetCursor(WPARAM wParam, LPARAM lParam);
    // Off screen first, then copied.
    void OnPaint() override;
    void OnDpiChanged(int dpi, const RECT& suggested) override;

    void PaintClient(HDC dc) override;
    void LayOut();
    void SetLinkCovered(bool covered);
    [[nodiscard]] bool OverLink(POINT point) const;
    void OpenSite();

    Links links_;
    WindowlessControls controls_;
    std::size_t link_ = 0;
    bool linkCovered_ = false;
    bool pressedOnLink_ = false;
    HWND ok_ = nullptr;
    std::unique_ptr<IconBox> icon_;
    ProgramFonts fonts_;
};

}  // namespace win32
