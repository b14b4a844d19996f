// Trying again while the device stays powered, its bootloader still
// synchronised from the first connection: each ends with a second connection
// by "Соединение" and a whole update that succeeds.
#pragma once

namespace e2e {

// How the first try ends.
enum class FirstTry {
    BackAndNext,      // connected, then Назад and Далее back to the connection page
    FailedUpdate,     // the update fails, then Назад
    OtmenaMidUpdate,  // Отмена during the update, and the updater started again
    SuccessThenOk,    // a whole update, OK, and the updater started again
};

int TryAgain(FirstTry first);

}  // namespace e2e
