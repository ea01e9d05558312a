#include "core/clipboard/x11/x11_connection.h"

#include "core/clipboard/x11/xcb_library.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <system_error>

namespace versos {

using Clock = std::chrono::steady_clock;

// What the caller and the helper thread share. It outlives both: a caller
// that gave up waiting leaves the thread to finish on its own.
struct X11Connection::Shared {
    std::mutex mutex;
    std::condition_variable changed;
    enum class State { connecting, connected, failed } state = State::connecting;
    bool abandoned = false;  // the caller stopped waiting for the connection
    bool stop = false;
    bool armed = false;
    bool expired = false;
    Clock::time_point deadline;
    std::chrono::milliseconds budget{0};
    std::uint64_t read_by_then = 0;  // what the server had sent when the deadline was set
    xcb_connection_t* conn = nullptr;
    int screen_number = 0;
};

namespace {

const char* display_name() {
    const char* name = std::getenv("DISPLAY");
    return name != nullptr ? name : "";
}

std::string connect_error(int code) {
    std::string what = std::string("cannot connect to the X display '") + display_name() + "'";
    switch (code) {
        case XCB_CONN_CLOSED_PARSE_ERR:
            return what + " (not a display name)";
        case XCB_CONN_CLOSED_INVALID_SCREEN:
            return what + " (no such screen)";
        case XCB_CONN_CLOSED_MEM_INSUFFICIENT:
            return what + " (out of memory)";
        default:
            return what;
    }
}

const xcb_screen_t* nth_screen(xcb_connection_t* c, int n) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
    for (; it.rem > 0; xcb_screen_next(&it), --n)
        if (n == 0) return it.data;
    return nullptr;
}

// Whether the server has sent anything since `read_by_then`: read by
// libxcb already, or waiting in the socket for a caller that has not been
// given the processor yet.
bool server_spoke(xcb_connection_t* c, int fd, std::uint64_t read_by_then) {
    if (xcb_total_read(c) != read_by_then) return true;
    pollfd waiting{fd, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0 && (waiting.revents & POLLIN) != 0;
}

}  // namespace

void X11Connection::connect_then_watch(std::shared_ptr<Shared> s) {
    int screen = 0;
    xcb_connection_t* c = xcb_connect(nullptr, &screen);
    std::unique_lock<std::mutex> lock(s->mutex);
    if (s->abandoned) {  // too late: nobody wants it any more
        lock.unlock();
        xcb_disconnect(c);
        return;
    }
    s->conn = c;
    s->screen_number = screen;
    s->state = xcb_connection_has_error(c) == 0 ? Shared::State::connected : Shared::State::failed;
    s->changed.notify_all();
    if (s->state == Shared::State::failed) return;

    // The watchdog. Shutting the socket down (not closing it) leaves the
    // descriptor to its owner and wakes every wait on it. Only a server that
    // has said nothing for a whole budget is cut off: one that keeps
    // answering is reachable, and the time went to a caller that a busy
    // machine kept waiting for the processor.
    const int fd = xcb_get_file_descriptor(c);
    while (!s->stop) {
        if (!s->armed) {
            s->changed.wait(lock);
        } else if (Clock::now() >= s->deadline && server_spoke(c, fd, s->read_by_then)) {
            s->read_by_then = xcb_total_read(c);
            s->deadline = Clock::now() + s->budget;
        } else if (Clock::now() >= s->deadline) {
            ::shutdown(fd, SHUT_RDWR);
            s->expired = true;
            s->armed = false;
        } else {
            s->changed.wait_until(lock, s->deadline);
        }
    }
}

X11Connection::~X11Connection() { disconnect(); }

bool X11Connection::connect(std::chrono::milliseconds budget, std::string& why) {
    if (conn_ != nullptr) return true;
    if (!xcb_library_ready(why)) return false;
    auto s = std::make_shared<Shared>();
    std::thread helper;
    try {
        helper = std::thread(connect_then_watch, s);
    } catch (const std::system_error&) {
        why = "cannot start a thread to connect to the X display";
        return false;
    }
    std::unique_lock<std::mutex> lock(s->mutex);
    const bool answered =
        s->changed.wait_until(lock, Clock::now() + budget, [&] { return s->state != Shared::State::connecting; });
    if (!answered) {
        s->abandoned = true;
        lock.unlock();
        helper.detach();
        why = std::string("no answer from the X display '") + display_name() + "' within " +
              std::to_string(budget.count()) + " ms";
        return false;
    }
    if (s->state == Shared::State::failed) {
        lock.unlock();
        helper.join();
        why = connect_error(xcb_connection_has_error(s->conn));
        xcb_disconnect(s->conn);
        return false;
    }
    lock.unlock();
    shared_ = std::move(s);
    watchdog_ = std::move(helper);
    conn_ = shared_->conn;
    screen_ = nth_screen(conn_, shared_->screen_number);
    if (screen_ == nullptr) {
        why = connect_error(XCB_CONN_CLOSED_INVALID_SCREEN);
        disconnect();
        return false;
    }
    return true;
}

void X11Connection::arm(std::chrono::milliseconds budget) {
    if (!shared_) return;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->armed = true;
    shared_->budget = budget;
    shared_->read_by_then = xcb_total_read(conn_);
    shared_->deadline = Clock::now() + budget;
    shared_->changed.notify_all();
}

void X11Connection::disarm() {
    if (!shared_) return;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    shared_->armed = false;
    shared_->changed.notify_all();
}

bool X11Connection::expired() const {
    if (!shared_) return false;
    std::lock_guard<std::mutex> lock(shared_->mutex);
    return shared_->expired;
}

void X11Connection::end_watchdog() {
    if (!shared_) return;
    {
        std::lock_guard<std::mutex> lock(shared_->mutex);
        shared_->stop = true;
        shared_->changed.notify_all();
    }
    if (watchdog_.joinable()) watchdog_.join();
    shared_.reset();
}

void X11Connection::disconnect() {
    if (conn_ == nullptr) return;
    end_watchdog();
    xcb_disconnect(conn_);
    conn_ = nullptr;
    screen_ = nullptr;
}

void X11Connection::leave_to_child() {
    if (conn_ == nullptr) return;
    end_watchdog();
    // xcb_disconnect shuts its socket down before closing it; pointed at
    // /dev/null first, the descriptor number it holds no longer reaches the
    // socket that the child shares.
    const int fd = xcb_get_file_descriptor(conn_);
    const int null = ::open("/dev/null", O_RDWR | O_CLOEXEC);
    if (null >= 0) {
        ::dup3(null, fd, O_CLOEXEC);
        ::close(null);
        xcb_disconnect(conn_);
    } else {
        ::close(fd);  // the connection's memory stays behind: better than cutting the child off
    }
    conn_ = nullptr;
    screen_ = nullptr;
}

}  // namespace versos
