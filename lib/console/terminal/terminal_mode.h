// The terminal's state that the console changes, and its restoring: the
// keyboard mode (no echo, no line editing) while keys are read, and the
// attribute, cursor visibility and cursor shape once they have been sent.
// All of it is put back at exit, on SIGINT, SIGTERM, SIGHUP and SIGQUIT, on
// the crash signals SIGABRT, SIGSEGV, SIGBUS, SIGFPE and SIGILL (the signal
// then takes its normal effect: status, core dump) and while the program is
// stopped (SIGTSTP); on SIGCONT the console's mode is back. The handlers run
// on an alternate signal stack, so that a stack overflow is caught too.
//
// A handler installed before (by the program or another library) runs after
// the terminal is put back; if the program goes on, so does the console's
// mode. A handler installed after ours that passes the signal on to the one
// it found reaches ours the same way. A signal the program ignores stays
// ignored.
//
// Putting the terminal back never waits on it: where its output is stopped
// (Ctrl+S), what it does not take within a tenth of a second is given up,
// so that the signal, or the exit, still ends the program.
#pragma once

#include "lib/console/terminal/escapes.h"

namespace versos::console::terminal_mode {

// Keys from `fd` unechoed and unedited, byte by byte, Enter as 13, until
// leave_keys; Ctrl+C, Ctrl+Z and Ctrl+\ act as signals only when
// `signal_keys`. False if `fd` has no terminal mode.
bool enter_keys(int fd, bool signal_keys);
void set_signal_keys(bool signal_keys);
// Puts back the mode enter_keys found, so that the terminal edits and echoes
// lines for stdio again.
void leave_keys();
// True if the mode enter_keys found last echoed what was typed: keys typed
// before it may have been shown at the terminal's cursor.
bool found_mode_echoed();
// True if that mode echoed control bytes as ^X.
bool found_mode_echoed_controls();
// True if the mode enter_keys found last turned a typed Enter into a line
// feed: keys typed before it hold Enter as 10.
bool found_mode_mapped_enter();

// What was sent to the terminal on `fd` that exit must undo.
enum Sent { kAttribute = 1, kCursorHidden = 2, kCursorShape = 4, kAlternateScreen = 8, kDefaultColours = 16 };
void note_sent(int fd, TerminalKind kind, Sent what);
// Undone by the console itself (the alternate screen left).
void note_undone(Sent what);

// Puts back the handlers found before ours (where no other was installed
// since) and takes the alternate signal stack away from this thread, if it
// is ours: the library is going away.
void restore_handlers();

// Each true once after the event, for the device to catch up with.
bool take_continued();  // stopped and continued: what other programs drew is on the screen
bool take_resized();    // the terminal's size changed
bool take_reset();      // a signal put the terminal back and the program went on

}  // namespace versos::console::terminal_mode
