// A connection to the X server named by DISPLAY whose every wait is bounded.
//
// libxcb has no time-outs of its own: a server that accepts the connection
// but never answers, or a host that never answers the TCP handshake, would
// block a caller forever. So the connection is made on a helper thread that
// the caller stops waiting for at the deadline, and once connected the same
// thread acts as a watchdog: while armed, it shuts the socket down at the
// deadline, which makes any blocked libxcb call return with a connection
// error. The deadline moves on as long as the server keeps sending: it is
// the server's silence that is bounded, not the caller's own slowness.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include <xcb/xcb.h>

namespace versos {

class X11Connection {
public:
    X11Connection() = default;
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    // Connects to the display named by DISPLAY, giving up after `budget`.
    // On failure `why` says what went wrong.
    bool connect(std::chrono::milliseconds budget, std::string& why);
    bool connected() const { return conn_ != nullptr; }

    xcb_connection_t* get() const { return conn_; }
    const xcb_screen_t* screen() const { return screen_; }
    // Whether the connection still works (no error, not shut down).
    bool usable() const { return conn_ != nullptr && xcb_connection_has_error(conn_) == 0; }

    // From now on, shuts the connection down once the server has sent
    // nothing for `budget` while armed. Calling it again moves the deadline.
    void arm(std::chrono::milliseconds budget);
    void disarm();
    // True once the watchdog has shut the connection down.
    bool expired() const;

    // Before fork: ends the helper thread. Waits are unbounded from then on.
    void end_watchdog();

    // Closes the connection; the server then drops this client's windows and
    // selections.
    void disconnect();
    // After fork: a child process carries on with the connection. This
    // process drops its own reference to the socket without shutting it
    // down (which would cut the child off too) and frees what it held.
    void leave_to_child();

private:
    struct Shared;
    static void connect_then_watch(std::shared_ptr<Shared> shared);

    std::shared_ptr<Shared> shared_;  // with the helper thread
    std::thread watchdog_;
    xcb_connection_t* conn_ = nullptr;
    const xcb_screen_t* screen_ = nullptr;
};

}  // namespace versos
