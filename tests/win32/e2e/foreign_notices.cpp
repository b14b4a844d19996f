#include "tests/win32/e2e/foreign_notices.h"

#include <windows.h>
// <dbt.h> needs <windows.h> before it.
#include <dbt.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/win32/e2e/driver_checks.h"
#include "tests/win32/e2e/updater_window.h"

namespace e2e {

namespace {

using app::Control;

// A device-interface record with a UTF-16 name, its size field as given.
std::vector<unsigned char> Record(std::size_t bytes, std::uint32_t size, const wchar_t* name) {
    std::vector<unsigned char> record(bytes, 'x');
    const std::uint32_t type = DBT_DEVTYP_DEVICEINTERFACE;
    std::memcpy(record.data(), &size, 4);
    std::memcpy(record.data() + 4, &type, 4);
    if (bytes > 28)
        std::memcpy(record.data() + 28, name,
                    std::min(bytes - 28, (std::wcslen(name) + 1) * sizeof(wchar_t)));
    return record;
}

// Every event the window might be given, with what it carries. The system
// posts no message that carries a record (events 0x8000 and up): those are
// sent, the others posted; whether the system takes each is its own affair.
void GiveEveryNotice(const UpdaterWindow& window) {
    for (const WPARAM event : {0x0007u, 0x0018u, 0x8006u, 0xFFFFu})
        for (const LPARAM number : {LPARAM{1}, LPARAM{0x12345678}, LPARAM{-1}})
            window.Post(WM_DEVICECHANGE, event, number);

    const wchar_t* other =
        L"\\\\?\\USB#VID_1234&PID_5678#0001#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    const std::size_t whole = 28 + (std::wcslen(other) + 1) * sizeof(wchar_t);
    std::vector<std::vector<unsigned char>> records = {
        Record(8, 8, other),                                              // shorter than its header
        Record(whole - 2, static_cast<std::uint32_t>(whole - 2), other),  // no terminator
        Record(whole + 600, static_cast<std::uint32_t>(whole + 600), other)};  // more than a name
    for (const WPARAM event : {0x8000u, 0x8004u, 0x8006u, 0xFFFFu})
        for (const auto& record : records)
            Expect(window.Send(WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data())),
                   "the window answers a record sent with event " + std::to_string(event));
    window.Sync();
}

}  // namespace

int ForeignNotices() {
    UpdaterWindow window(UpdaterBesideThisProgram(), kStartLimit);
    GiveEveryNotice(window);
    Expect(window.Visible(Control::TabSheet1), "the welcome page stays");
    ExpectShown(window, {Control::btnNEXT, Control::btnESC}, {Control::btnBACK});

    GoToConnectionPage(window);
    ConnectByButton(window);
    UpdateAndAwait(window, true, [&] { GiveEveryNotice(window); });
    CloseUpdater(window);
    return Outcome();
}

}  // namespace e2e
