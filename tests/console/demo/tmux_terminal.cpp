#include "tests/console/demo/tmux_terminal.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace versos::test {
namespace {

constexpr auto kPatience = std::chrono::seconds(10);  // only ever reached when something is wrong
constexpr auto kPollEvery = std::chrono::milliseconds(10);

}  // namespace

TmuxTerminal::TmuxTerminal() : socket_(folder_ / "tmux.sock") {
    // The command as separate words, which tmux runs itself: one string would
    // go through the user's login shell, which may be nologin.
    auto r = tmux({"-f", "/dev/null", "new-session", "-d", "-x", "80", "-y", "25", "-s", "t", "env", "PS1=$ ", "/bin/sh"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(wait_for("$")) << "no shell prompt";  // its blank is trimmed
}

TmuxTerminal::~TmuxTerminal() { tmux({"kill-server"}); }

testing::ProcessResult TmuxTerminal::tmux(std::vector<std::string> args) {
    args.insert(args.begin(), {"tmux", "-S", socket_});
    testing::ProcessOptions options;
    options.env = {"PATH=/usr/bin:/bin", "HOME=" + folder_.path(), "LC_ALL=C.UTF-8", "TMUX_TMPDIR=" + folder_.path(),
                   "SHELL=/bin/sh"};
    return testing::run_program(args, options);
}

void TmuxTerminal::type(const std::string& text) { tmux({"send-keys", "-t", "t", "-l", text}); }

void TmuxTerminal::press(const std::vector<std::string>& keys) {
    std::vector<std::string> args = {"send-keys", "-t", "t"};
    args.insert(args.end(), keys.begin(), keys.end());
    tmux(args);
}

void TmuxTerminal::run(const std::string& command) {
    type(command);
    press({"Enter"});
}

std::string TmuxTerminal::screen_text() { return tmux({"capture-pane", "-p", "-t", "t"}).out; }

std::vector<std::string> TmuxTerminal::screen() {
    std::vector<std::string> rows;
    std::istringstream in(screen_text());
    for (std::string row; std::getline(in, row);) rows.push_back(row);
    rows.resize(25);
    return rows;
}

std::string TmuxTerminal::format(const std::string& text) {
    std::string out = tmux({"display-message", "-p", "-t", "t", text}).out;
    if (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
}

std::string TmuxTerminal::cursor() { return format("#{cursor_x},#{cursor_y},#{cursor_flag}"); }

bool TmuxTerminal::wait_for_format(const std::string& text, const std::string& value) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    while (format(text) != value) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(kPollEvery);
    }
    return true;
}

bool TmuxTerminal::wait_for_cursor(const std::string& where) {
    return wait_for_format("#{cursor_x},#{cursor_y},#{cursor_flag}", where);
}

bool TmuxTerminal::wait_for_shell() { return wait_for_format("#{pane_current_command}", "sh"); }

bool TmuxTerminal::wait_until(const std::function<bool(const std::string&)>& ready, std::string* shown) {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    for (;;) {
        std::string now = screen_text();
        if (shown) *shown = now;
        if (ready(now)) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(kPollEvery);
    }
}

bool TmuxTerminal::wait_for(const std::string& text, std::string* shown) {
    return wait_until([&](const std::string& s) { return s.find(text) != std::string::npos; }, shown);
}

}  // namespace versos::test
