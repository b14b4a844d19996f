// The programmer's cable plugged in and pulled out while the updater runs,
// on the test bus (tests/win32/pnp): the system announces each change to the
// updater's window as it does a real bridge's. The emulated programmer on
// COM40 tells what the updater did with the port, and loses its power with
// the cable. Each returns the driver's exit code.
#pragma once

namespace e2e {

// On the welcome page: the window finds the port by its name, connects and
// shows the connection page with no press of "Соединение".
int PlugIn();
// Connected: the port closes at once, and the page stays as it was.
int UnplugConnected();
// In the middle of the update: the update fails, never shows success, and
// the port closes only after it.
int UnplugUpdating();
// The same, then plugged back in: the device restarts, the window connects
// by itself, and Далее updates it.
int ReplugMidUpdate();
// A bridge of another product: nothing happens, the port is never opened;
// then the programmer, which connects.
int OtherProduct();

}  // namespace e2e
