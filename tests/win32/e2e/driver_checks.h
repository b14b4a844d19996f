// What the driver's scenarios share: checks that count a failure and go on,
// waits that give up with a message, and the updater's place on disk.
#pragma once

#include <functional>
#include <initializer_list>
#include <string>

#include "tests/win32/e2e/updater_window.h"

namespace e2e {

inline constexpr Milliseconds kStartLimit{30000};
inline constexpr Milliseconds kStepLimit{10000};
inline constexpr Milliseconds kConnectLimit{60000};
inline constexpr Milliseconds kUpdateLimit{180000};

inline constexpr std::initializer_list<app::Control> kSuccess = {
    app::Control::lbWriteOK, app::Control::lbVerifyOK, app::Control::txtWriteOK,
    app::Control::ListWriteOK};
// What shows only when the whole update went through.
inline constexpr std::initializer_list<app::Control> kSuccessDisplay = {app::Control::txtWriteOK,
                                                                        app::Control::ListWriteOK};
inline constexpr std::initializer_list<app::Control> kFailure = {
    app::Control::lbWriteErr, app::Control::lbVerifyErr, app::Control::txtWriteFail,
    app::Control::ListWriteFail};

// Prints the failure and counts it; the scenario goes on.
void Expect(bool holds, const std::string& what);
// 0 when every check held, otherwise 1: the driver's exit code.
int Outcome();

bool AnyVisible(const UpdaterWindow& window, std::initializer_list<app::Control> controls);
void ExpectShown(const UpdaterWindow& window, std::initializer_list<app::Control> shown,
                 std::initializer_list<app::Control> hidden);
// Throws when `done` does not hold within `limit`.
void Await(const std::function<bool()>& done, Milliseconds limit, const std::string& what);
void PressAndAwaitPage(UpdaterWindow& window, app::Control button, app::Control page);
// The updater, closing, must exit with 0.
void AwaitExit(UpdaterWindow& window);
// Esc ends the updater, which must exit with 0.
void CloseUpdater(UpdaterWindow& window);

// The welcome and preparation pages passed with Далее.
void GoToConnectionPage(UpdaterWindow& window);
// The connection page showing a connection: "УСТАНОВЛЕНО", the tick, Далее.
void ExpectConnected(const UpdaterWindow& window);
// "Соединение" pressed, and its outcome awaited: connected.
void ConnectByButton(UpdaterWindow& window);
// Далее on the connected page, and the update's outcome awaited: success or
// the failure display, the other never showing, not even for a moment.
// `midway` runs once the write bar has reached 20 %.
void UpdateAndAwait(UpdaterWindow& window, bool expectSuccess,
                    const std::function<void()>& midway = {});

std::wstring UpdaterBesideThisProgram();

}  // namespace e2e
