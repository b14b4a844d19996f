// The message loop's idle event, pending messages, device notices and the
// ways of closing the window.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "link/device_events.h"
#include "window_fixture.h"

namespace win32_ui_test {
namespace {

// A loop that counts the pings it is given to dispatch.
struct PingLoop {
    static constexpr UINT kPing = WM_APP + 1;
    void Post(int count) {
        for (int i = 0; i < count; ++i)
            PostThreadMessageW(GetCurrentThreadId(), kPing, 0, 0);
    }
    int pings = 0;
    ui::win32::MessageLoop loop{[this](const MSG& m) { return m.message == kPing && ++pings; }};
};

using MessageLoop = WindowTest;

TEST_F(MessageLoop, IdleRunsOnceEachTimeTheQueueHasEmptied) {
    PingLoop counted;
    counted.Post(3);
    std::vector<int> pingsAtIdle;
    const int code = counted.loop.Run([&] {
        pingsAtIdle.push_back(counted.pings);
        if (pingsAtIdle.size() == 1)
            counted.Post(2);
        else
            PostQuitMessage(7);
    });
    EXPECT_EQ(code, 7);
    EXPECT_EQ(pingsAtIdle, (std::vector<int>{3, 5}));
}

TEST_F(MessageLoop, PendingMessagesAreDispatchedWithoutIdleOrWaitAndTheQuitStays) {
    PingLoop counted;
    counted.loop.ProcessPending();  // returns on an empty queue
    counted.Post(2);
    PostQuitMessage(3);
    counted.loop.ProcessPending();
    EXPECT_EQ(counted.pings, 2);
    window->View().ProcessPendingMessages();  // meets the quit again and leaves it
    MSG quit;
    ASSERT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 3u);
}

// A device-interface record as a Unicode window receives it: the name in
// UTF-16, the size field covering it and its NUL.
std::vector<unsigned char> WideRecord(std::wstring_view path) {
    std::vector<unsigned char> record(platform::NoticeRecordHeaderSize +
                                      (path.size() + 1) * sizeof(wchar_t));
    const auto size = static_cast<std::uint32_t>(record.size());
    const std::uint32_t type = platform::DeviceTypeInterface;
    std::memcpy(record.data(), &size, 4);
    std::memcpy(record.data() + 4, &type, 4);
    std::memcpy(record.data() + platform::NoticeRecordHeaderSize, path.data(),
                path.size() * sizeof(wchar_t));
    return record;
}

const std::wstring kProgrammer =
    L"\\\\?\\USB#VID_10C4&PID_EA60#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
// 400 characters with the programmer's identity ending at the given one.
std::wstring LongPathWithIdentityEndingAt(std::size_t last) {
    const std::wstring identity = L"vid_10c4&pid_ea60";
    std::wstring path(400, L'x');
    path.replace(last - identity.size(), identity.size(), identity);
    return path;
}

// How a record differs from one as Windows makes it.
// NotARecord: lParam is a number, as with every event but arrival and removal.
enum class Shape {
    AsSent,
    WithoutTerminator,
    ShorterThanItsHeader,
    SizeBeyondHeaderAndName,
    NotARecord
};

struct Notice {
    const char* name;
    std::uint32_t code;
    std::wstring path;
    devlink::DeviceEventCode noted;
    Shape shape = Shape::AsSent;
};

std::vector<unsigned char> Delivered(const Notice& notice) {
    std::vector<unsigned char> record = WideRecord(notice.path);
    switch (notice.shape) {
        case Shape::AsSent:
        case Shape::NotARecord:
            return record;
        case Shape::WithoutTerminator:
            record.resize(record.size() - sizeof(wchar_t));
            break;
        case Shape::ShorterThanItsHeader:
            record.resize(8);
            break;
        case Shape::SizeBeyondHeaderAndName:
            record.resize(platform::NoticeRecordSize * 3, 'x');
            break;
    }
    const auto size = static_cast<std::uint32_t>(record.size());
    std::memcpy(record.data(), &size, 4);
    return record;
}

// A copy of the bytes whose last one lies just before a page that no one may
// read: a read past what was delivered ends the test program.
class AtTheEndOfItsPage {
  public:
    explicit AtTheEndOfItsPage(const std::vector<unsigned char>& bytes) {
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        const std::size_t page = system.dwPageSize;
        const std::size_t span = (bytes.size() / page + 2) * page;
        base_ = static_cast<unsigned char*>(
            VirtualAlloc(nullptr, span, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD was = 0;
        VirtualProtect(base_ + span - page, page, PAGE_NOACCESS, &was);
        data_ = base_ + span - page - bytes.size();
        std::memcpy(data_, bytes.data(), bytes.size());
    }
    ~AtTheEndOfItsPage() { VirtualFree(base_, 0, MEM_RELEASE); }
    AtTheEndOfItsPage(const AtTheEndOfItsPage&) = delete;
    AtTheEndOfItsPage& operator=(const AtTheEndOfItsPage&) = delete;
    LPARAM Address() const { return reinterpret_cast<LPARAM>(data_); }

  private:
    unsigned char* base_ = nullptr;
    unsigned char* data_ = nullptr;
};

void PrintTo(const Notice& notice, std::ostream* out) {
    *out << notice.name;
}

class UnicodeNotices : public WindowTest, public ::testing::WithParamInterface<Notice> {};

TEST_P(UnicodeNotices, ReachTheFormAsTheSingleByteRecordItReads) {
    ASSERT_TRUE(IsWindowUnicode(window->Handle()));
    const AtTheEndOfItsPage record(Delivered(GetParam()));
    // No one's memory starts at 16: the first 64 KiB are never mapped.
    SendMessageW(window->Handle(), WM_DEVICECHANGE, GetParam().code,
                 GetParam().shape == Shape::NotARecord ? 16 : record.Address());
    EXPECT_EQ(window->Logic().State().DeviceEvent, GetParam().noted);
}

INSTANTIATE_TEST_SUITE_P(
    AsWindowsSendsThem, UnicodeNotices,
    ::testing::Values(
        Notice{"Arrival", platform::DeviceArrival, kProgrammer, devlink::DeviceEventArrived},
        Notice{"Removal", platform::DeviceRemoveComplete, kProgrammer, devlink::DeviceEventRemoved},
        Notice{"AnotherDevice", platform::DeviceArrival,
               L"\\\\?\\USB#VID_10C4&PID_EA61#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
               devlink::DeviceEventNone},
        Notice{"LongNameWithinTheFirst255", platform::DeviceArrival,
               LongPathWithIdentityEndingAt(255), devlink::DeviceEventArrived},
        Notice{"LongNameCutAt255", platform::DeviceArrival, LongPathWithIdentityEndingAt(256),
               devlink::DeviceEventNone},
        Notice{"NameWithoutTerminator", platform::DeviceRemoveComplete, kProgrammer,
               devlink::DeviceEventRemoved, Shape::WithoutTerminator},
        Notice{"ShorterThanItsHeader", platform::DeviceArrival, kProgrammer,
               devlink::DeviceEventNone, Shape::ShorterThanItsHeader},
        Notice{"SizeBeyondHeaderAndName", platform::DeviceArrival, kProgrammer,
               devlink::DeviceEventArrived, Shape::SizeBeyondHeaderAndName},
        Notice{"CustomEventWithANumber", 0x8006, L"", devlink::DeviceEventNone, Shape::NotARecord},
        Notice{"UnknownEventWithANumber", 0xFFFF, L"", devlink::DeviceEventNone,
               Shape::NotARecord}));

// The search that the idle handler starts after an arrival ends the loop.
struct QuittingRegistry : stand_ins::FixedPortsRegistry {
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
    auto programmer = WideRecord(kProgrammer);
    SendMessageW(window->Handle(), WM_DEVICECHANGE, platform::DeviceArrival,
                 reinterpret_cast<LPARAM>(programmer.data()));
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventArrived);

    window->View().ProcessPendingMessages();
    EXPECT_EQ(quitting.lists, 0);
    EXPECT_EQ(window->Run(), 0);
    EXPECT_EQ(quitting.lists, 1);
    EXPECT_EQ(state.DeviceEvent, devlink::DeviceEventNone);
}

// Clicks on a button, or a message to the window.
struct WayToClose {
    const char* name;
    Control button;
    int clicks;
    UINT message;
    WPARAM wParam;
};

void PrintTo(const WayToClose& way, std::ostream* out) {
    *out << way.name;
}

class Closing : public WindowTest, public ::testing::WithParamInterface<WayToClose> {};

TEST_P(Closing, RunsTheCloseHandlerOnceAndEndsTheLoop) {
    PretendConnected();
    for (int i = 0; i < GetParam().clicks; ++i)
        Click(GetParam().button);
    if (GetParam().message != 0)
        SendMessageW(window->Handle(), GetParam().message, GetParam().wParam, 0);
    EXPECT_TRUE(window->Closed());
    EXPECT_EQ(serial.closes, 1);
    EXPECT_FALSE(IsWindowVisible(window->Handle()));
    EXPECT_TRUE(QuitQueued());
    SendMessageW(window->Handle(), WM_CLOSE, 0, 0);
    window->View().Close();
    EXPECT_FALSE(QuitQueued());
    EXPECT_EQ(serial.closes, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryWay, Closing,
                         ::testing::Values(WayToClose{"Cancel", Control::btnESC, 1, 0, 0},
                                           WayToClose{"OkOnTheLastPage", Control::btnNEXT, 5, 0, 0},
                                           WayToClose{"CloseBox", Control::btnESC, 0, WM_CLOSE, 0},
                                           WayToClose{"SystemMenu", Control::btnESC, 0,
                                                      WM_SYSCOMMAND, SC_CLOSE}));

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
