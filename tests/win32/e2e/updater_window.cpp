#include "tests/win32/e2e/updater_window.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "ui/win32/update_main_layout.h"

namespace e2e {

namespace {

constexpr int kFirstControlId = 1000;

std::string Name(app::Control control) {
    return std::string(app::ControlName(control));
}

struct Search {
    DWORD processId = 0;
    std::wstring className;
    HWND found = nullptr;
};

BOOL CALLBACK TakeIfOurs(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<Search*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    GetClassNameW(window, className, 64);
    if (owner == search.processId && search.className == className && IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

struct Controls {
    std::array<HWND, app::kControlCount> handles{};
    std::array<int, app::kControlCount> count{};
};

BOOL CALLBACK TakeControl(HWND child, LPARAM lParam) {
    auto& controls = *reinterpret_cast<Controls*>(lParam);
    const int index = GetDlgCtrlID(child) - kFirstControlId;
    if (index >= 0 && index < static_cast<int>(app::kControlCount)) {
        controls.handles[static_cast<std::size_t>(index)] = child;
        ++controls.count[static_cast<std::size_t>(index)];
    }
    return TRUE;
}

}  // namespace

UpdaterWindow::UpdaterWindow(const std::wstring& program, Milliseconds limit) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    std::wstring commandLine = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process_))
        throw std::runtime_error("cannot start the updater");

    // The window is found by its class, which carries the layout's name for it.
    Search search{process_.dwProcessId, {}, nullptr};
    for (char c : ui::win32::layout::kWindow.name)
        search.className.push_back(static_cast<wchar_t>(c));
    if (!WaitUntil(
            [&] {
                EnumWindows(TakeIfOurs, reinterpret_cast<LPARAM>(&search));
                return search.found != nullptr;
            },
            limit))
        throw std::runtime_error("the updater's window did not show");
    window_ = search.found;

    Controls found;
    EnumChildWindows(window_, TakeControl, reinterpret_cast<LPARAM>(&found));
    for (std::size_t i = 0; i < app::kControlCount; ++i) {
        if (found.count[i] != 1)
            throw std::runtime_error("the window holds " + std::to_string(found.count[i]) +
                                     " controls with the ID of " +
                                     Name(static_cast<app::Control>(i)));
    }
    controls_ = found.handles;
}

UpdaterWindow::~UpdaterWindow() {
    if (process_.hProcess == nullptr)
        return;
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND UpdaterWindow::Handle(app::Control control) const {
    return controls_[static_cast<std::size_t>(control)];
}

bool UpdaterWindow::Visible(app::Control control) const {
    return IsWindowVisible(Handle(control)) != FALSE;
}

bool UpdaterWindow::Enabled(app::Control control) const {
    return IsWindowEnabled(Handle(control)) != FALSE;
}

int UpdaterWindow::Position(app::Control progressBar) const {
    DWORD_PTR position = 0;
    if (!SendMessageTimeoutW(Handle(progressBar), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 5000,
                             &position))
        throw std::runtime_error("the updater does not answer for " + Name(progressBar));
    return static_cast<int>(position);
}

void UpdaterWindow::Press(app::Control button) {
    if (!Visible(button) || !Enabled(button))
        throw std::runtime_error(Name(button) + " cannot be pressed: hidden or disabled");
    // Posted: a click's handler may run for the whole update.
    if (!PostMessageW(Handle(button), BM_CLICK, 0, 0))
        throw std::runtime_error("cannot click " + Name(button));
}

bool UpdaterWindow::WaitUntil(const std::function<bool()>& done, Milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        Sleep(1);
    }
    return true;
}

bool UpdaterWindow::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(window_, message, wParam, lParam, SMTO_ABORTIFHUNG, 5000,
                               &ignored) != 0;
}

bool UpdaterWindow::Post(UINT message, WPARAM wParam, LPARAM lParam) const {
    return PostMessageW(window_, message, wParam, lParam) != FALSE;
}

void UpdaterWindow::Sync() const {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored))
        throw std::runtime_error("the updater does not answer");
}

void UpdaterWindow::Settle() const {
    Sync();
    // Wine copies a window's drawing to the X server a moment later.
    Sleep(500);
}

RECT UpdaterWindow::ClientArea() const {
    RECT area{};
    GetClientRect(window_, &area);
    MapWindowPoints(window_, HWND_DESKTOP, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

std::optional<DWORD> UpdaterWindow::WaitForExit(Milliseconds limit) {
    if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

}  // namespace e2e
