#include "tests/win32/e2e/driver_checks.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

namespace e2e {

namespace {

int failures = 0;

}  // namespace

void Expect(bool holds, const std::string& what) {
    if (!holds) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

int Outcome() {
    return failures == 0 ? 0 : 1;
}

bool AnyVisible(const UpdaterWindow& window, std::initializer_list<app::Control> controls) {
    for (app::Control control : controls) {
        if (window.Visible(control))
            return true;
    }
    return false;
}

void ExpectShown(const UpdaterWindow& window, std::initializer_list<app::Control> shown,
                 std::initializer_list<app::Control> hidden) {
    for (app::Control control : shown)
        Expect(window.Visible(control), std::string(app::ControlName(control)) + " shows");
    for (app::Control control : hidden)
        Expect(!window.Visible(control), std::string(app::ControlName(control)) + " is hidden");
}

void Await(const std::function<bool()>& done, Milliseconds limit, const std::string& what) {
    if (!UpdaterWindow::WaitUntil(done, limit))
        throw std::runtime_error("gave up waiting for " + what);
}

void PressAndAwaitPage(UpdaterWindow& window, app::Control button, app::Control page) {
    window.Press(button);
    Await([&] { return window.Visible(page); }, kStepLimit,
          std::string(app::ControlName(page)) + " after " + std::string(app::ControlName(button)));
    window.Sync();
}

void CloseUpdater(UpdaterWindow& window) {
    window.Press(app::Control::btnESC);
    const std::optional<DWORD> exitCode = window.WaitForExit(kStepLimit);
    Expect(exitCode == 0u, "the updater closes and ends with 0");
}

std::wstring UpdaterBesideThisProgram() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    return program.substr(0, program.find_last_of(L"\\/") + 1) + L"" KESTRUN_UPDATER_FILE;
}

}  // namespace e2e
