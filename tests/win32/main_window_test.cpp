// The Win32 main window in-process on Wine's null graphics driver: the
// digit filter, the tab order, Enter and Escape, "Créer" under the hourglass
// and its error box, the resolution change, and the program's end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "main_form.h"
#include "window_test_support.h"

namespace {

namespace form = forms::main_form;
using quenbrix_test::MessageBoxWatcher;
using quenbrix_test::PressKey;
using quenbrix_test::RecordingPlayer;
using quenbrix_test::Type;
using quenbrix_test::WindowText;

struct MadeRun {
    std::string frequency1;
    std::string frequency2;
    std::string duration;
    std::int16_t amplitude;
    bool waitBefore;  // the hourglass before the first sample
    bool waitAfter;   // and once the first sample is there
};

bool Waiting() {
    return GetCursor() == LoadCursorW(nullptr, IDC_WAIT);
}

class MainWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        program_.Start();
        program_.HandlePending();
    }

    HWND Main() { return program_.Main().Handle(); }
    HWND Control(const forms::Control& control) { return program_.Main().ControlHandle(control); }
    void Click(const forms::Control& button) {
        SendMessageW(Control(button), BM_CLICK, 0, 0);
        program_.HandlePending();
    }

    RecordingPlayer player_;
    std::vector<MadeRun> runs_;
    tonegen::RunResult result_;
    bool throwInRun_ = false;
    win32::Program program_{
        L"C:\\Dossier é 日本", player_,
        [this](const std::filesystem::path&, const tonegen::ToneInputs& inputs,
               const tonegen::ToneProgress& progress) -> tonegen::RunResult {
            const bool before = Waiting();
            progress.onFirstSample();
            runs_.push_back({inputs.frequency1Text, inputs.frequency2Text, inputs.durationText,
                             inputs.amplitude, before, Waiting()});
            if (throwInRun_) {
                throw std::runtime_error("panne simulée");
            }
            return result_;
        },
        [](const std::wstring&) { return true; }};
};

TEST_F(MainWindowTest, OpensCentredWithItsInitialValuesAndTheFocusOnCreer) {
    EXPECT_EQ(WindowText(Control(form::kTxtFreq1)), L"1209");
    EXPECT_EQ(WindowText(Control(form::kTxtFreq2)), L"697");
    EXPECT_EQ(WindowText(Control(form::kText5)), L"1");
    EXPECT_EQ(GetScrollPos(Control(form::kVolumescroll), SB_CTL), 20000);
    EXPECT_EQ(GetFocus(), Control(form::kCommand1));

    RECT client{};
    GetClientRect(Main(), &client);
    EXPECT_EQ(client.right, 335);
    EXPECT_EQ(client.bottom, 212);
    // A tool window owned by a hidden window: no task-bar button.
    EXPECT_NE(GetWindowLongW(Main(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, 0);
    HWND owner = GetWindow(Main(), GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));

    RECT frame{};
    GetWindowRect(Main(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(Main(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
}

TEST_F(MainWindowTest, BoxesTakeTypedDigitsOnlyButNotWhatIsPasted) {
    HWND box = Control(form::kTxtFreq1);
    SetFocus(box);
    SendMessageW(box, EM_SETSEL, 0, -1);
    // Letters, signs, separators, blanks, Backspace, Enter, Escape and the
    // characters of Ctrl+C, Ctrl+V, Ctrl+X, Ctrl+Z, Ctrl+A go nowhere.
    Type(program_, L"1a2.-5, \b\r\x1b\x03\x16\x18\x1a\x01é٣");
    EXPECT_EQ(WindowText(box), L"125");
    Type(program_, L"007");
    EXPECT_EQ(WindowText(box), L"125007");

    // A selection is replaced by a typed digit; Delete, a key without a
    // character, erases.
    SendMessageW(box, EM_SETSEL, 0, 3);
    Type(program_, L"9");
    EXPECT_EQ(WindowText(box), L"9007");
    SendMessageW(box, EM_SETSEL, 0, 1);
    PressKey(program_, VK_DELETE);
    EXPECT_EQ(WindowText(box), L"007");

    // The context menu's paste is no typed character.
    ASSERT_TRUE(OpenClipboard(Main()));
    EmptyClipboard();
    const std::wstring pasted = L"-1,5e3";
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (pasted.size() + 1) * sizeof(wchar_t));
    std::wcscpy(static_cast<wchar_t*>(GlobalLock(memory)), pasted.c_str());
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
    SendMessageW(box, EM_SETSEL, 0, -1);
    SendMessageW(box, WM_PASTE, 0, 0);
    EXPECT_EQ(WindowText(box), pasted);
}

TEST_F(MainWindowTest, TabFollowsTheFormsOrderAndComesBack) {
    for (std::size_t step = 1; step <= form::kTabOrder.size(); ++step) {
        PressKey(program_, VK_TAB);
        EXPECT_EQ(GetFocus(), Control(*form::kTabOrder[step % form::kTabOrder.size()]))
            << "after " << step << " Tab";
    }
}

TEST_F(MainWindowTest, EnterPressesOnlyTheFocusedButtonAndEscapeNothing) {
    SetFocus(Control(form::kText5));
    PressKey(program_, VK_RETURN);
    PressKey(program_, VK_ESCAPE);
    SetFocus(Control(form::kVolumescroll));
    PressKey(program_, VK_RETURN);
    EXPECT_TRUE(runs_.empty());
    EXPECT_TRUE(player_.calls.empty());
    EXPECT_TRUE(IsWindow(Main()));

    SetFocus(Control(form::kCmdrejoue));
    PressKey(program_, VK_RETURN);
    ASSERT_EQ(player_.calls.size(), 1U);
    EXPECT_EQ(player_.calls[0], L"play C:\\Dossier é 日本\\test.wav");

    SetFocus(Control(form::kCommand1));
    PressKey(program_, VK_SPACE);
    PressKey(program_, VK_RETURN);
    EXPECT_EQ(runs_.size(), 2U);
}

TEST_F(MainWindowTest, CreerRunsTheInputsUnderTheHourglassThenPlaysTheFile) {
    SetWindowTextW(Control(form::kTxtFreq2), L"");
    SetWindowTextW(Control(form::kText5), L"3");
    // The bar moves by one for an arrow and for its track, to any value by its thumb.
    HWND bar = Control(form::kVolumescroll);
    SendMessageW(Main(), WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
    SendMessageW(Main(), WM_HSCROLL, SB_PAGERIGHT, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 20002);
    SendMessageW(Main(), WM_HSCROLL, SB_RIGHT, reinterpret_cast<LPARAM>(bar));
    SendMessageW(Main(), WM_HSCROLL, SB_LINERIGHT, reinterpret_cast<LPARAM>(bar));
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 32767);

    Click(form::kCommand1);
    ASSERT_EQ(runs_.size(), 1U);
    EXPECT_EQ(runs_[0].frequency1, "1209");
    EXPECT_EQ(runs_[0].frequency2, "");
    EXPECT_EQ(runs_[0].duration, "3");
    EXPECT_EQ(runs_[0].amplitude, 32767);
    EXPECT_FALSE(runs_[0].waitBefore);
    EXPECT_TRUE(runs_[0].waitAfter);
    EXPECT_FALSE(Waiting());
    // The old sound stops before the old file is deleted.
    EXPECT_EQ(player_.calls,
              (std::vector<std::wstring>{L"stop", L"play C:\\Dossier é 日本\\test.wav"}));
}

TEST_F(MainWindowTest, AFailedRunIsShownInTheErrorBoxAndNothingPlays) {
    const MessageBoxWatcher boxes;
    result_ = tonegen::Failure{tonegen::FailureKind::TypeMismatch,
                               "La durée \"\" n'est pas un nombre entier."};
    Click(form::kCommand1);
    throwInRun_ = true;
    Click(form::kCommand1);

    ASSERT_EQ(MessageBoxWatcher::Shown().size(), 2U);
    const quenbrix_test::ShownBox& failure = MessageBoxWatcher::Shown()[0];
    EXPECT_EQ(failure.title, L"Erreur");
    EXPECT_EQ(failure.text, L"La durée \"\" n'est pas un nombre entier.");
    EXPECT_TRUE(failure.errorIcon);
    EXPECT_EQ(MessageBoxWatcher::Shown()[1].text, L"Erreur inattendue : panne simulée");
    EXPECT_EQ(player_.calls, (std::vector<std::wstring>{L"stop", L"stop"}));
    EXPECT_FALSE(Waiting());
    EXPECT_TRUE(IsWindow(Main()));
}

TEST_F(MainWindowTest, AFileWhoseNameThePlayerCannotTakeIsShownInTheErrorBox) {
    const MessageBoxWatcher boxes;
    player_.refusing = true;
    Click(form::kCmdrejoue);
    Click(form::kCommand1);

    ASSERT_EQ(MessageBoxWatcher::Shown().size(), 2U);
    for (const quenbrix_test::ShownBox& box : MessageBoxWatcher::Shown()) {
        EXPECT_EQ(box.title, L"Erreur");
        EXPECT_TRUE(box.errorIcon);
        EXPECT_NE(box.text.find(L"C:\\Dossier é 日本\\test.wav"), std::wstring::npos) << box.text;
    }
}

TEST_F(MainWindowTest, ADoubledResolutionDoublesTheLayoutAndTheFonts) {
    const SIZE size = program_.Main().WindowSize(192);
    RECT suggested{100, 100, 100 + size.cx, 100 + size.cy};
    SendMessageW(Main(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));
    // The window takes the size the system suggests, which it asked for
    // with WM_GETDPISCALEDSIZE.
    RECT frame{};
    GetWindowRect(Main(), &frame);
    EXPECT_EQ(frame.right - frame.left, size.cx);
    EXPECT_EQ(frame.bottom - frame.top, size.cy);
    EXPECT_GT(size.cx, 670);

    RECT button{};
    GetWindowRect(Control(form::kCommand1), &button);
    MapWindowPoints(nullptr, Main(), reinterpret_cast<POINT*>(&button), 2);
    EXPECT_EQ(button.left, 112);
    EXPECT_EQ(button.top, 320);
    EXPECT_EQ(button.right, 274);
    EXPECT_EQ(button.bottom, 370);
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(form::kTxtFreq1), WM_GETFONT, 0, 0)),
               sizeof font, &font);
    EXPECT_EQ(font.lfHeight, -32);  // 12 pt at 192 dots per inch
    EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST_F(MainWindowTest, TheProgramEndsWithItsLastWindowWhicheverCloses) {
    Click(form::kCmdAide);
    HWND about = program_.About().Handle();
    ASSERT_NE(about, nullptr);
    SendMessageW(Main(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(program_.HandlePending());
    EXPECT_TRUE(IsWindowVisible(about));
    SendMessageW(about, WM_CLOSE, 0, 0);
    EXPECT_FALSE(program_.HandlePending());
}

}  // namespace
