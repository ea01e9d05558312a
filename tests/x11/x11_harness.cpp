#include "tests/x11/x11_harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

#include "lib/charsets/cp1252.h"
#include "tests/support/files.h"

namespace x11test {
namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Subreaper for the whole test binary; at the end, no owner may be left.
class OwnerReaper : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_EQ(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        ASSERT_NE(test_display(), "")
            << "neither VERSOS_TEST_DISPLAY nor DISPLAY is set: run the tests through scripts/test.sh, which "
               "starts Xvfb, or under xvfb-run";
        // Only a server that never answers may fail here; a starved xclip
        // takes many seconds to start on a busy machine.
        const Result probe = run({"xclip", "-selection", "clipboard", "-o", "-t", "TARGETS"}, "", "", 60);
        ASSERT_FALSE(probe.timed_out);
        ASSERT_EQ(probe.err.find("Can't open display"), std::string::npos)
            << "the X server " << test_display() << " can't be reached: " << probe.err;
    }
    void TearDown() override {
        run({VERSOS_BIN, "F", "0"});  // an unknown mode only empties the clipboard: its owner leaves
        std::set<pid_t> left;
        for (pid_t pid : children())
            if (wait_exit(pid, 3) == -1 && running(pid)) left.insert(pid);
        for (pid_t pid : left) {
            ADD_FAILURE() << "process " << pid << " was still running when the tests ended";
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
};

const auto* const reaper = ::testing::AddGlobalTestEnvironment(new OwnerReaper);

}  // namespace

const std::string& test_display() {
    // The private server scripts/test.sh starts, else the session's own
    // (as under xvfb-run).
    static const std::string display = [] {
        const char* d = std::getenv("VERSOS_TEST_DISPLAY");
        if (d == nullptr || *d == '\0') d = std::getenv("DISPLAY");
        return std::string(d != nullptr ? d : "");
    }();
    return display;
}

Result run(const std::vector<std::string>& argv, const std::string& display, const std::string& input, double timeout) {
    const std::vector<std::string> env = versos::testing::environment_with(
        {"DISPLAY=" + (display.empty() ? test_display() : display)}, {"VERSOS_CLIPBOARD_FILE"});
    return versos::testing::run_program(argv, {env, input, timeout});
}

std::string fragment(const std::string& mode, const std::string& seed) {
    versos::testing::TempFolder folder;
    versos::testing::run_program(VERSOS_BIN, {mode, seed}, {"VERSOS_CLIPBOARD_FILE=" + (folder / "clipboard")});
    return versos::testing::read_file(folder / "clipboard").value_or("");
}

Result xclip_read(const std::string& target, const std::string& display) {
    return run({"xclip", "-selection", "clipboard", "-o", "-t", target}, display);
}

namespace {

xcb_atom_t intern(xcb_connection_t* c, const std::string& name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    const xcb_atom_t atom = r != nullptr ? r->atom : XCB_NONE;
    std::free(r);
    return atom;
}

// The window that owns CLIPBOARD on `c` now; None when nobody does.
xcb_window_t clipboard_owner(xcb_connection_t* c, xcb_atom_t clipboard) {
    xcb_get_selection_owner_reply_t* r =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, clipboard), nullptr);
    const xcb_window_t owner = r != nullptr ? r->owner : XCB_NONE;
    std::free(r);
    return owner;
}

}  // namespace

bool xclip_write(const std::string& text) {
    xcb_connection_t* c = xcb_connect(test_display().c_str(), nullptr);
    if (xcb_connection_has_error(c) != 0) {
        xcb_disconnect(c);
        return false;
    }
    const xcb_atom_t clipboard = intern(c, "CLIPBOARD");
    const xcb_window_t before = clipboard_owner(c, clipboard);
    bool owned = run({"sh", "-c", "exec xclip -selection clipboard -i >/dev/null 2>&1"}, "", text).status == 0;
    // Nothing tells when the background xclip has taken the selection but
    // the selection itself: it is asked until its owner changes.
    const auto start = Clock::now();
    while (owned && clipboard_owner(c, clipboard) == before) {
        owned = xcb_connection_has_error(c) == 0 && since(start) < 10;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    xcb_disconnect(c);
    return owned;
}

std::set<pid_t> children() {
    std::set<pid_t> found;
    DIR* tasks = opendir("/proc/self/task");
    if (tasks == nullptr) return found;
    while (dirent* e = readdir(tasks)) {
        if (e->d_name[0] == '.') continue;
        std::ifstream list(std::string("/proc/self/task/") + e->d_name + "/children");
        for (pid_t pid; list >> pid;) found.insert(pid);
    }
    closedir(tasks);
    return found;
}

pid_t new_child(const std::set<pid_t>& before) {
    pid_t found = -1;
    for (pid_t pid : children()) {
        if (before.count(pid) != 0) continue;
        if (found != -1) return -1;  // more than one
        found = pid;
    }
    return found;
}

int wait_exit(pid_t pid, double timeout) {
    const auto start = Clock::now();
    for (;;) {
        int status = 0;
        const pid_t r = waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0 || since(start) > timeout) return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool running(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return false;
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && close + 2 < line.size() && line[close + 2] != 'Z';
}

std::string to_utf8(const std::string& cp1252) {
    std::string out;
    versos::append_cp1252_as_utf8(cp1252.data(), cp1252.size(), out);
    return out;
}

namespace {

xcb_window_t new_window(xcb_connection_t* c) {
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, 0, window, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    return window;
}

[[noreturn]] void own_and_serve(int ready, const std::string& target, const std::string& bytes, bool hand_over) {
    xcb_connection_t* c = xcb_connect(test_display().c_str(), nullptr);
    if (xcb_connection_has_error(c) != 0) _exit(1);
    xcb_window_t window = new_window(c);
    const xcb_window_t successor = new_window(c);
    const xcb_atom_t clipboard = intern(c, "CLIPBOARD");
    const xcb_atom_t served = target.empty() ? XCB_NONE : intern(c, target);
    xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
    if (clipboard_owner(c, clipboard) != window) _exit(1);
    if (write(ready, "!", 1) != 1) _exit(1);
    close(ready);
    while (xcb_generic_event_t* e = xcb_wait_for_event(c)) {
        const int type = e->response_type & 0x7f;
        if (type == XCB_SELECTION_CLEAR && reinterpret_cast<xcb_selection_clear_event_t*>(e)->owner == window)
            _exit(0);
        if (type == XCB_SELECTION_REQUEST && served != XCB_NONE) {
            const auto* request = reinterpret_cast<xcb_selection_request_event_t*>(e);
            const bool losing = hand_over && window != successor;
            if (losing) {
                window = successor;
                xcb_set_selection_owner(c, window, clipboard, XCB_CURRENT_TIME);
                if (clipboard_owner(c, clipboard) != window) _exit(1);
            }
            xcb_selection_notify_event_t notify;
            std::memset(&notify, 0, sizeof notify);
            notify.response_type = XCB_SELECTION_NOTIFY;
            notify.time = request->time;
            notify.requestor = request->requestor;
            notify.selection = request->selection;
            notify.target = request->target;
            if (request->target == served && !losing) {
                xcb_change_property(c, XCB_PROP_MODE_REPLACE, request->requestor, request->property, served, 8,
                                    static_cast<uint32_t>(bytes.size()), bytes.data());
                notify.property = request->property;
            }
            xcb_send_event(c, 0, request->requestor, 0, reinterpret_cast<const char*>(&notify));
            xcb_flush(c);
        }
        std::free(e);
    }
    _exit(0);
}

}  // namespace

pid_t start_owner(const std::string& target, const std::string& bytes, bool hand_over) {
    versos::testing::Pipe ready;
    if (!ready.ok()) return -1;
    const pid_t pid = versos::testing::start_in_child([&]() -> int {
        ready.close_read_end();
        own_and_serve(ready.write_end(), target, bytes, hand_over);
    });
    ready.close_write_end();
    char got = 0;
    if (pid > 0 && read(ready.read_end(), &got, 1) == 1) return pid;
    versos::testing::wait_for_child(pid);
    return -1;
}

}  // namespace x11test
