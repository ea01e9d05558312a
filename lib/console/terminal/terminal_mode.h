// The terminal's state that the console changes for the whole process, and
// its restoring: the keyboard mode (no echo, no line editing) from the first
// key read on, and the attribute, cursor visibility and cursor shape once
// they have been sent. All of it is put back at exit, on SIGINT, SIGTERM,
// SIGHUP and SIGQUIT (the signal then takes its normal effect) and while the
// program is stopped (SIGTSTP); on SIGCONT the console's mode is back.
//
// A handler the program had installed before runs after the terminal is put
// back; if the program goes on, so does the console's mode. A signal the
// program ignores stays ignored.
#pragma once

#include "lib/console/terminal/escapes.h"

namespace versos::console::terminal_mode {

// Keys from `fd` unechoed and unedited, byte by byte, Enter as 13; Ctrl+C,
// Ctrl+Z and Ctrl+\ act as signals only when `signal_keys`. False if `fd`
// has no terminal mode.
bool enter_keys(int fd, bool signal_keys);
void set_signal_keys(bool signal_keys);

// What was sent to the terminal on `fd` that exit must undo.
enum Sent { kAttribute = 1, kCursorHidden = 2, kCursorShape = 4, kAlternateScreen = 8, kDefaultColours = 16 };
void note_sent(int fd, TerminalKind kind, Sent what);
// Undone by the console itself (the alternate screen left).
void note_undone(Sent what);

// Each true once after the event, for the device to catch up with.
bool take_continued();  // stopped and continued: what other programs drew is on the screen
bool take_resized();    // the terminal's size changed
bool take_reset();      // a signal put the terminal back and the program went on

}  // namespace versos::console::terminal_mode
