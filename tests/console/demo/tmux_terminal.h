// A terminal a person would use, in a tmux server of the test's own: a shell
// in an 80 x 25 pane, keys sent as typed, the screen read back as text.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/process.h"

namespace versos::test {

class TmuxTerminal {
public:
    TmuxTerminal();
    ~TmuxTerminal();
    TmuxTerminal(const TmuxTerminal&) = delete;
    TmuxTerminal& operator=(const TmuxTerminal&) = delete;

    // A file name in the test's own folder.
    std::string path(const std::string& name) const { return folder_ / name; }

    // Text typed as it is, and keys by their tmux names (Left, Enter, IC,
    // BSpace, Escape, ...).
    void type(const std::string& text);
    void press(const std::vector<std::string>& keys);
    // A shell command typed and Enter.
    void run(const std::string& command);

    // The screen's rows, as UTF-8.
    std::vector<std::string> screen();
    std::string screen_text();
    // "x,y,visible" of the cursor.
    std::string cursor();

    // Polls the screen until `ready` holds; false if it never does (after a
    // time only a fault takes). `shown` receives the last screen read.
    bool wait_until(const std::function<bool(const std::string&)>& ready, std::string* shown = nullptr);
    bool wait_for(const std::string& text, std::string* shown = nullptr);
    bool wait_for_cursor(const std::string& where);
    // Until the shell has the terminal again (the program it ran has ended).
    bool wait_for_shell();

private:
    testing::ProcessResult tmux(std::vector<std::string> args);
    std::string format(const std::string& text);
    bool wait_for_format(const std::string& text, const std::string& value);

    testing::TempFolder folder_;
    std::string socket_;
};

}  // namespace versos::test
