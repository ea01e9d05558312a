// Running the commands under test against the X server that scripts/test.sh
// starts (VERSOS_TEST_DISPLAY), and keeping track of the selection owners
// they leave behind: the test process is a child subreaper, so the detached
// owners become its children once their parents are gone.
#pragma once

#include <sys/types.h>
#include <set>
#include <string>
#include <vector>

#include "tests/support/process.h"

namespace x11test {

using Result = versos::testing::ProcessResult;

// The display under test; the environment fails the whole run without it.
const std::string& test_display();

// Runs argv with DISPLAY set to `display` (the display under test when
// empty) and VERSOS_CLIPBOARD_FILE unset, standard input fed with `input`,
// standard output and error captured. Killed after `timeout` seconds.
Result run(const std::vector<std::string>& argv, const std::string& display = "", const std::string& input = "",
           double timeout = 5);

// The Windows-1252 bytes that versos puts on the clipboard for MODE SEED,
// as the file clipboard holds them.
std::string fragment(const std::string& mode, const std::string& seed);

// One target of the CLIPBOARD selection, read by the outside client xclip.
Result xclip_read(const std::string& target, const std::string& display = "");

// Puts `text` on CLIPBOARD with xclip and returns once xclip owns the
// selection: xclip's first process ends before its background one has even
// sent the ownership request. False if that doesn't happen within 10 s.
bool xclip_write(const std::string& text);

// Child processes of this test, running or not yet reaped.
std::set<pid_t> children();
// The one child that appeared since `before`, or -1.
pid_t new_child(const std::set<pid_t>& before);
// Waits up to `timeout` seconds for child `pid` to end and reaps it.
// Returns its exit status, or -1 when it is still running or was killed.
int wait_exit(pid_t pid, double timeout);
bool running(pid_t pid);

std::string to_utf8(const std::string& cp1252);

// A stand-in owner of CLIPBOARD, in a child process, for what xclip can't
// be (xclip serves its text whatever target is asked): it serves `target`
// alone, with `bytes`, and refuses the rest; with an empty `target` it never
// answers at all. With `hand_over`, the first request finds an owner that
// is losing the selection: it gives it to a second window of its own,
// which serves as above, and refuses. Returns its pid once it owns the
// selection, -1 if it could not; it ends when another client takes the
// selection.
pid_t start_owner(const std::string& target, const std::string& bytes, bool hand_over = false);

}  // namespace x11test
