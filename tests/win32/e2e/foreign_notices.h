// Device-change messages that any program on the desktop can post or send to
// the updater's window: events that carry no record with numbers that are no
// pointers, and records cut short, unterminated or claiming more than a name.
// Returns the driver's exit code.
#pragma once

namespace e2e {

// On the welcome page and during an update: the window lives on, nothing it
// shows changes, and the update succeeds.
int ForeignNotices();

}  // namespace e2e
