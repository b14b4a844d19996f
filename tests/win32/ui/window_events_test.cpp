// The message loop's idle event, pending messages, device notices and the
// ways of closing the window.
#include "fakes/interface_record.h"
#include "link/device_events.h"
#include "window_fixture.h"

namespace win32_ui_test {
namespace {

constexpr UINT kPing = WM_APP + 1;

// Counts kPing messages; the idle handler of a test ends the loop.
struct PingCounter {
    static LRESULT CALLBACK Procedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m == kPing)
            return ++pings, 0;
        return DefWindowProcW(w, m, wp, lp);
    }
    PingCounter() {
        WNDCLASSW c{};
        c.lpfnWndProc = Procedure;
        c.lpszClassName = L"PingCounter";
        RegisterClassW(&c);
        window = CreateWindowExW(0, L"PingCounter", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 nullptr, nullptr);
    }
    ~PingCounter() { DestroyWindow(window); }
    void Post(int count) {
        for (int i = 0; i < count; ++i)
            PostMessageW(window, kPing, 0, 0);
    }
    static inline int pings = 0;
    HWND window;
};

using MessageLoop = WindowTest;

TEST_F(MessageLoop, IdleRunsOnceEachTimeTheQueueHasEmptied) {
    PingCounter counter;
    PingCounter::pings = 0;
    counter.Post(3);
    std::vector<int> pingsAtIdle;
    const int code = window->Loop().Run([&] {
        pingsAtIdle.push_back(PingCounter::pings);
        if (pingsAtIdle.size() == 1)
            counter.Post(2);
        else
            PostQuitMessage(7);
    });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(pingsAtIdle, (std::vector<int>{3, 5}));
}

TEST_F(MessageLoop, PendingMessagesAreDispatchedWithoutIdleOrWaitAndTheQuitStays) {
    PingCounter counter;
    PingCounter::pings = 0;
    window->View().ProcessPendingMessages();  // returns on an empty queue
    counter.Post(2);
    PostQuitMessage(3);
    window->View().ProcessPendingMessages();
    EXPECT_EQ(PingCounter::pings, 2);
    window->View().ProcessPendingMessages();  // meets the quit again and leaves it
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

// The search that the idle handler starts after an arrival ends the loop.
struct QuittingRegistry : fakes::FixedPortsRegistry {
    int lists = 0;
    bool PresentDevices(const platform::ClassGuid& c,
                        std::vector<platform::DeviceNames>& d) override {
        ++lists;
        PostQuitMessage(0);
        return FixedPortsRegistry::PresentDevices(c, d);
    }
};

TEST_F(MessageLoop, DeviceNoticesReachTheFormAndIdleActsOnThemOutsidePendingMessages) {
    QuittingRegistry quitting;
    window = std::make_unique<ui::win32::MainWindow>(GetModuleHandleW(nullptr), serial, quitting,
                                                     &notifications);
    const auto& state = window->Logic().State();
    const HWND w = window->Handle();
    auto other = fakes::MakeInterfaceRecord(fakes::OtherDevicePath);
    SendMessageW(w, WM_DEVICECHANGE, platform::DeviceArrival,
                 reinterpret_cast<LPARAM>(other.data()));
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventNone);
    auto programmer = fakes::MakeInterfaceRecord(fakes::ProgrammerPath);
    SendMessageW(w, WM_DEVICECHANGE, platform::DeviceArrival,
                 reinterpret_cast<LPARAM>(programmer.data()));
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventArrived);

    window->View().ProcessPendingMessages();
    EXPECT_EQ(quitting.lists, 0);
    EXPECT_EQ(window->Run(), 0);
    EXPECT_EQ(quitting.lists, 1);
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventNone);
}

struct WayToClose {
    const char* name;
    void (*close)(WindowTest&, HWND);
};

void PrintTo(const WayToClose& way, std::ostream* out) {
    *out << way.name;
}

class Closing : public WindowTest, public ::testing::WithParamInterface<WayToClose> {
  public:
    using WindowTest::Click;
};

TEST_P(Closing, RunsTheCloseHandlerOnceAndEndsTheLoop) {
    PretendConnected();
    GetParam().close(*this, window->Handle());
    EXPECT_TRUE(window->Closed());
    EXPECT_EQ(serial.closes, 1);
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    EXPECT_TRUE(QuitQueued());
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    window->View().Close();
    EXPECT_FALSE(QuitQueued());
    EXPECT_EQ(serial.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, Closing,
    ::testing::Values(
        WayToClose{"Cancel", [](WindowTest& fixture,
                                HWND) { static_cast<Closing&>(fixture).Click(Control::btnESC); }},
        WayToClose{"OkOnTheLastPage",
                   [](WindowTest& fixture, HWND) {
                       auto& c = static_cast<Closing&>(fixture);
                       for (int i = 0; i < 5; ++i)
                           c.Click(Control::btnNEXT);
                   }},
        WayToClose{"CloseBox", [](WindowTest&, HWND w) { SendMessageW(w, WM_CLOSE, 0, 0); }},
        WayToClose{"SystemMenu",
                   [](WindowTest&, HWND w) { SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }}),
    [](const auto& way) { return std::string(way.param.name); });

TEST_F(MessageLoop, ClosingDuringTheUpdateStopsItBeforeTheClosedPortIsUsed) {
    PretendConnected();
    Click(Control::btnNEXT);
    Click(Control::btnNEXT);
    PostMessageW(window->Handle(), WM_CLOSE, 0, 0);
    Click(Control::btnNEXT);  // the update: its first look at the queue closes the window
    EXPECT_TRUE(window->Closed());
    EXPECT_EQ(serial.closes, 1);
    EXPECT_EQ(serial.callsAfterClose, 0);
    EXPECT_TRUE(serial.written.empty());
    EXPECT_EQ(window->Run(), 0);  // back in the loop, the program ends
}

}  // namespace
}  // namespace win32_ui_test
