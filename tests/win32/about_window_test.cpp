// The Win32 About window in-process on Wine's null graphics driver: one at
// most, its place, Enter and Escape, the link's colours under the pointer,
// its click, and what the window paints, the icon at every resolution.
#include <gtest/gtest.h>

#include <algorithm>

#include "about_form.h"
#include "dpi_scale.h"
#include "main_form.h"
#include "window_test_support.h"

namespace {

namespace form = forms::about_form;
using quenbrix_test::Mouse;
using quenbrix_test::PaintedClient;
using quenbrix_test::PressKey;
using quenbrix_test::RecordingPlayer;

BOOL CALLBACK CountAboutWindows(HWND window, LPARAM count) {
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (std::wstring_view(className) == L"QuenbrixFrmAbout" && IsWindowVisible(window)) {
        ++*reinterpret_cast<int*>(count);
    }
    return TRUE;
}

POINT Centre(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

class AboutWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_.Start();
        program_.HandlePending();
        Open();
    }

    void Open() {
        SendMessageW(program_.Main().ControlHandle(forms::main_form::kCmdAide), BM_CLICK, 0, 0);
        program_.HandlePending();
    }
    HWND About() { return program_.About().Handle(); }
    RECT Place(std::string_view name) { return program_.About().ControlRect(name); }
    void MoveTo(POINT point) { Mouse(program_, About(), WM_MOUSEMOVE, point); }
    COLORREF LinkColour() {
        const RECT link = Place("lblqimbo");
        return PaintedClient(About()).At({link.right - 2, link.bottom - 2});
    }

    RecordingPlayer player_;
    std::vector<std::wstring> opened_;
    bool openerWorks_ = true;
    win32::Program program_{L"C:\\Quenbrix", player_,
                            [](auto&&...) -> tonegen::RunResult { return std::nullopt; },
                            [this](const std::wstring& address) {
                                opened_.push_back(address);
                                return openerWorks_;
                            }};
};

TEST_F(AboutWindowTest, OneWindowAtItsPlaceOwnedByNoneOfTheProgramsWindows) {
    Open();
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), CountAboutWindows, reinterpret_cast<LPARAM>(&count));
    EXPECT_EQ(count, 1);

    const RECT client = quenbrix_test::ClientRectOnScreen(About());
    EXPECT_EQ(client.left, 156);
    EXPECT_EQ(client.top, 129);
    EXPECT_EQ(client.right - client.left, 376);
    EXPECT_EQ(client.bottom - client.top, 530);
    // Owned by the hidden window, as the main window is: no task-bar button,
    // and the main window can come in front of it.
    EXPECT_EQ(GetWindow(About(), GW_OWNER), GetWindow(program_.Main().Handle(), GW_OWNER));
    EXPECT_EQ(GetFocus(), program_.About().OkButton());
}

TEST_F(AboutWindowTest, TabVisitsOkAndTheIconEnterAndEscapeCloseFromEither) {
    PressKey(program_, VK_TAB);
    EXPECT_EQ(GetFocus(), program_.About().IconBoxHandle());
    PressKey(program_, VK_RETURN);
    EXPECT_EQ(About(), nullptr);

    Open();
    PressKey(program_, VK_TAB);
    PressKey(program_, VK_TAB);
    EXPECT_EQ(GetFocus(), program_.About().OkButton());
    PressKey(program_, VK_ESCAPE);
    EXPECT_EQ(About(), nullptr);
    EXPECT_TRUE(IsWindow(program_.Main().Handle()));
}

TEST_F(AboutWindowTest, LinkTurnsGreenOverItselfAndPinkOverTheBareFaceOnly) {
    constexpr COLORREF kPink = RGB(255, 192, 192);
    constexpr COLORREF kGreen = RGB(192, 255, 192);
    EXPECT_EQ(LinkColour(), kPink);
    MoveTo(Centre(Place("lblqimbo")));
    EXPECT_TRUE(program_.About().LinkCovered());
    EXPECT_EQ(LinkColour(), kGreen);

    // Over Label24 where the link does not cover it, over a key label, over
    // the picture: still green.
    const RECT label24 = Place("Label24");
    MoveTo({label24.left + 2, label24.top + 2});
    MoveTo(Centre(Place("Label8")));
    MoveTo({Place("Image1").left + 2, Place("Image1").top + 2});
    EXPECT_TRUE(program_.About().LinkCovered());

    // The separator lines cover nothing: that is bare face.
    MoveTo({200, 467});
    EXPECT_FALSE(program_.About().LinkCovered());
    EXPECT_EQ(LinkColour(), kPink);

    // The pointer is a hand over the link only.
    const auto pointerAt = [this](POINT point) {
        ClientToScreen(About(), &point);
        SetCursorPos(point.x, point.y);
        SendMessageW(About(), WM_SETCURSOR, reinterpret_cast<WPARAM>(About()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(pointerAt(Centre(Place("lblqimbo"))), LoadCursorW(nullptr, IDC_HAND));
    EXPECT_NE(pointerAt({label24.left + 2, label24.top + 2}), LoadCursorW(nullptr, IDC_HAND));

    // Closed while green, the next window starts pink.
    MoveTo(Centre(Place("lblqimbo")));
    SendMessageW(About(), WM_CLOSE, 0, 0);
    Open();
    EXPECT_FALSE(program_.About().LinkCovered());
    EXPECT_EQ(LinkColour(), kPink);
}

TEST_F(AboutWindowTest, EachClickOnTheLinkOpensTheSiteAndTheWindowStays) {
    const POINT link = Centre(Place("lblqimbo"));
    for (int click = 0; click < 2; ++click) {
        Mouse(program_, About(), WM_LBUTTONDOWN, link);
        Mouse(program_, About(), WM_LBUTTONUP, link);
    }
    // Pressed on the link, released elsewhere: no click.
    Mouse(program_, About(), WM_LBUTTONDOWN, link);
    Mouse(program_, About(), WM_LBUTTONUP, {10, 10});
    const std::wstring site = L"https://dtmf.example/";
    EXPECT_EQ(opened_, (std::vector<std::wstring>{site, site}));
    EXPECT_NE(About(), nullptr);

    const quenbrix_test::MessageBoxWatcher boxes;
    openerWorks_ = false;
    Mouse(program_, About(), WM_LBUTTONDOWN, link);
    Mouse(program_, About(), WM_LBUTTONUP, link);
    ASSERT_EQ(quenbrix_test::MessageBoxWatcher::Shown().size(), 1U);
    EXPECT_NE(quenbrix_test::MessageBoxWatcher::Shown()[0].text.find(site), std::wstring::npos);
    EXPECT_NE(About(), nullptr);
}

TEST_F(AboutWindowTest, PaintsTheGreySeparatorTheGridAndTheKeysOverIt) {
    const PaintedClient painted(About());
    EXPECT_EQ(painted.At({200, 467}), RGB(128, 128, 128));
    EXPECT_EQ(painted.At({200, 468}), RGB(255, 255, 255));  // the white line
    const RECT picture = Place("Image1");
    // The band, the shadow, and the background between two columns.
    EXPECT_EQ(painted.At({picture.left + 1, picture.top + 50}), RGB(210, 208, 201));
    EXPECT_EQ(painted.At({picture.right - 1, picture.top + 50}), RGB(128, 128, 128));
    EXPECT_EQ(painted.At({picture.left + 97, picture.top + 50}), RGB(248, 248, 248));
    // The key labels are drawn over the picture, not hidden behind it.
    const RECT key = Place("Label8");
    int ink = 0;
    for (int y = key.top; y < key.bottom; ++y) {
        for (int x = key.left; x < key.right; ++x) {
            ink += painted.At({x, y}) == RGB(0, 0, 0) ? 1 : 0;
        }
    }
    EXPECT_GT(ink, 5);
}

TEST_F(AboutWindowTest, TheIconFillsItsFrameAtEveryResolutionPixelByPixel) {
    // The program's 32-pixel art on the window's colour, read pixel by pixel.
    auto* icon = static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), L"IDI_ICON1", IMAGE_ICON, 32, 32, 0));
    ASSERT_NE(icon, nullptr);
    HDC screen = GetDC(nullptr);
    HDC artDc = CreateCompatibleDC(screen);
    HBITMAP artBitmap = CreateCompatibleBitmap(screen, 32, 32);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(artDc, artBitmap);
    const RECT whole{0, 0, 32, 32};
    FillRect(artDc, &whole, GetSysColorBrush(COLOR_WINDOW));
    DrawIconEx(artDc, 0, 0, icon, 32, 32, 0, nullptr, DI_NORMAL);
    const auto art = [artDc](int column, int row) {
        return GetPixel(artDc, std::clamp(column, 0, 31), std::clamp(row, 0, 31));
    };

    HWND box = FindWindowExW(About(), nullptr, L"QuenbrixIconBox", nullptr);
    ASSERT_NE(box, nullptr);
    for (const int dpi : {96, 144, 192}) {
        const SIZE size = program_.About().WindowSize(dpi);
        RECT suggested{100, 100, 100 + size.cx, 100 + size.cy};
        SendMessageW(About(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        const PaintedClient painted(box);
        RECT client{};
        GetClientRect(box, &client);
        const int frame = win32::DpiScale(dpi).FromStandardPixels(1);
        EXPECT_EQ(painted.At({0, 0}), GetSysColor(COLOR_WINDOWFRAME));
        const int width = client.right - 2 * frame;
        const int height = client.bottom - 2 * frame;
        ASSERT_GE(width, 32);
        // Every pixel inside the frame is the art pixel it enlarges: exactly
        // that one for a whole factor, at most one art pixel away otherwise.
        const int slack = width % 32 == 0 && height % 32 == 0 ? 0 : 1;
        int wrong = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                const int column = x * 32 / width;
                const int row = y * 32 / height;
                const COLORREF seen = painted.At({frame + x, frame + y});
                bool found = false;
                for (int dy = -slack; dy <= slack && !found; ++dy) {
                    for (int dx = -slack; dx <= slack && !found; ++dx) {
                        found = art(column + dx, row + dy) == seen;
                    }
                }
                wrong += found ? 0 : 1;
            }
        }
        EXPECT_EQ(wrong, 0) << "at " << dpi << " dots per inch, a box of " << width << " x "
                            << height;
    }
    SelectObject(artDc, previous);
    DeleteObject(artBitmap);
    DeleteDC(artDc);
    DestroyIcon(icon);
}

}  // namespace
