// The logic's operations on real controls, the buttons' wiring and the keys.
#include <array>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "app/program_version.h"
#include "ui/win32/utf16.h"
#include "window_fixture.h"

namespace win32_ui_test {
namespace {

std::wstring Caption(HWND control) {
    wchar_t text[64] = {};
    GetWindowTextW(control, text, 64);
    return text;
}

using Win32View = WindowTest;

TEST_F(Win32View, StartsAsTheCreationHandlerLeavesIt) {
    EXPECT_EQ(attachedBeforeCreate, window->Handle());
    EXPECT_EQ(registrationsAtAttach, 0);
    EXPECT_EQ(notifications.registrations, 1);
    wchar_t line[64] = {};
    SendMessageW(H(Control::ListBoxVer), LB_GETTEXT, 5, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(line, ui::win32::Widen("версия: v" KESTRUN_PROGRAM_VERSION " T415"));
    EXPECT_FALSE(Shown(Control::btnBACK));
    EXPECT_FALSE(Shown(Control::lbConnected));
    EXPECT_TRUE(Shown(Control::TabSheet1) && !Shown(Control::TabSheet2));
    EXPECT_FALSE(window->View().TabVisible(Control::TabSheet2));
    EXPECT_EQ(GetWindowTextLengthW(window->Handle()), 0);
    // The program's resources, which the tests carry too.
    EXPECT_NE(GetClassLongPtrW(window->Handle(), GCLP_HICON), 0u);
    BITMAP logo{};
    const HANDLE bitmap =
        LoadImageW(GetModuleHandleW(nullptr), L"LOGO", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    ASSERT_EQ(GetObjectW(bitmap, sizeof(logo), &logo), int{sizeof(logo)});
    EXPECT_EQ((std::array<LONG, 3>{logo.bmWidth, logo.bmHeight, logo.bmBitsPixel}),
              (std::array<LONG, 3>{148, 86, 8}));
    DeleteObject(bitmap);
    // Windows refuses to start a program whose manifest names another
    // processor; Wine does not check it.
    const HRSRC manifest = FindResourceA(nullptr, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const std::string_view text(
        static_cast<const char*>(LockResource(LoadResource(nullptr, manifest))),
        SizeofResource(nullptr, manifest));
    EXPECT_NE(text.find(sizeof(void*) == 4 ? R"(processorArchitecture="x86")"
                                           : R"(processorArchitecture="amd64")"),
              std::string_view::npos);
}

TEST_F(Win32View, OperationsReachTheControls) {
    ui::win32::Win32View& view = window->View();
    view.SetCaption(Control::btnNEXT, "OK");
    EXPECT_EQ(Caption(H(Control::btnNEXT)), L"OK");
    view.SetEnabled(Control::btnNEXT, false);
    EXPECT_FALSE(IsWindowEnabled(H(Control::btnNEXT)));
    view.SetVisible(Control::lbWriteErr, true);
    EXPECT_TRUE(Shown(Control::lbWriteErr));

    for (auto [set, shown] : std::vector<std::pair<int, int>>{{42, 42}, {-5, 0}, {250, 100}}) {
        view.SetPosition(Control::BarVerify, set);
        EXPECT_EQ(SendMessageW(H(Control::BarVerify), PBM_GETPOS, 0, 0), shown) << set;
    }
    EXPECT_FALSE(view.IsChecked(Control::cbKeepUser));
    Click(Control::cbKeepUser);
    EXPECT_TRUE(view.IsChecked(Control::cbKeepUser));

    view.ReplaceLine(Control::ListBox4, 0, "Ура");
    wchar_t line[16] = {};
    SendMessageW(H(Control::ListBox4), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_STREQ(line, L"Ура");
    EXPECT_EQ(SendMessageW(H(Control::ListBox4), LB_GETCOUNT, 0, 0), 11);

    view.SetActivePage(Control::TabSheet4);
    EXPECT_EQ(view.ActivePage(), Control::TabSheet4);
    for (Control page : {Control::TabSheet1, Control::TabSheet2, Control::TabSheet3,
                         Control::TabSheet4, Control::TabSheet5})
        EXPECT_EQ(Shown(page), page == Control::TabSheet4);

    // Calls that do not fit change nothing in a release build, which every
    // Windows build is; that a debug build stops on them is the Qt view's to
    // show.
    view.SetVisible(Control::TabSheet2, true);
    view.ReplaceLine(Control::ListBox4, 11, "x");
    EXPECT_FALSE(Shown(Control::TabSheet2));
    EXPECT_EQ(SendMessageW(H(Control::ListBox4), LB_GETCOUNT, 0, 0), 11);
}

TEST_F(Win32View, ButtonsRunTheirHandlersAndThePageAreaFollowsTheRightEdge) {
    Click(Control::btnNEXT);
    EXPECT_EQ(window->View().ActivePage(), Control::TabSheet2);
    EXPECT_TRUE(Shown(Control::btnBACK));
    Click(Control::btnBACK);
    EXPECT_EQ(window->View().ActivePage(), Control::TabSheet1);

    RECT frame;
    GetWindowRect(window->Handle(), &frame);
    SetWindowPos(window->Handle(), nullptr, 0, 0, frame.right - frame.left + 100,
                 frame.bottom - frame.top + 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(Place(H(Control::PageControl1)),
              (std::array<LONG, 4>{183 + 100, 0, 600 + 100, 345 + 50}));
    EXPECT_EQ(Place(H(Control::TabSheet1))[3], 345 + 50);  // below the 25-pixel tab row
    EXPECT_EQ(Place(H(Control::btnNEXT))[0], 488);         // the buttons stay where they were
}

TEST_F(Win32View, TabWalksTheLayoutsOrderEnterPressesEscDoesNothing) {
    Show();
    // Bit 30 set: the key was already down, a repeat of a held key.
    const auto press = [&](WPARAM key, LPARAM repeat = 0) {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1 | repeat);
        window->View().ProcessPendingMessages();
    };
    // The welcome page's two buttons lie out of sight but take the focus,
    // as they always have; Назад is hidden on the first page.
    const std::vector<Control> ring = {Control::RichEdit1,  Control::Button1, Control::Button2,
                                       Control::ListBoxVer, Control::btnESC,  Control::btnNEXT};
    EXPECT_EQ(GetFocus(), H(ring.front()));
    for (std::size_t i = 1; i <= ring.size(); ++i) {
        press(VK_TAB);
        EXPECT_EQ(GetFocus(), H(ring[i % ring.size()])) << i;
    }
    SetFocus(H(Control::btnNEXT));
    press(VK_ESCAPE);
    EXPECT_FALSE(window->Closed());
    EXPECT_EQ(window->View().ActivePage(), Control::TabSheet1);
    press(VK_RETURN);
    press(VK_RETURN, 1 << 30);
    EXPECT_EQ(window->View().ActivePage(), Control::TabSheet2);
    SetFocus(H(Control::btnESC));
    press(VK_RETURN);
    EXPECT_TRUE(window->Closed());
}

}  // namespace
}  // namespace win32_ui_test
