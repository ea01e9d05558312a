#include "core/clipboard/x11/clipboard_x11.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "lib/charsets/cp1252.h"
#include "core/clipboard/x11/detached_child.h"
#include "core/clipboard/x11/x11_selection_owner.h"
#include "core/clipboard/x11/x11_selection_reader.h"

namespace versos {
namespace {

void run_owner(void* owner) { serve_selection(*static_cast<const SelectionOwner*>(owner)); }

}  // namespace

bool X11Clipboard::ensure_connected(std::string& why) {
    if (!unreachable_.empty()) {
        why = unreachable_;
        return false;
    }
    if (conn_.connected() && !conn_.usable()) conn_.disconnect();  // the server went away since
    if (conn_.connected()) return true;
    if (!conn_.connect(budget_, why)) {
        unreachable_ = why;
        return false;
    }
    conn_.arm(budget_);
    if (!intern_atoms(conn_.get(), atoms_)) {
        why = conn_.expired() ? "the X display did not answer" : "the connection to the X display broke";
        unreachable_ = why;
        conn_.disconnect();
        return false;
    }
    return true;
}

void X11Clipboard::forget_connection() {
    if (conn_.expired()) unreachable_ = "the X display did not answer";
    conn_.disconnect();
}

bool X11Clipboard::open() {
    if (open_) return false;  // already open: a second open fails
    std::string why;
    if (!ensure_connected(why)) return false;
    conn_.arm(budget_);
    open_ = true;
    return true;
}

void X11Clipboard::empty() {
    if (!open_ || !conn_.connected()) return;
    // The current owner, if any, is told that it lost the selection.
    xcb_set_selection_owner(conn_.get(), XCB_NONE, atoms_.clipboard, XCB_CURRENT_TIME);
}

// Takes CLIPBOARD for a new window of this connection, at a real server
// time (got from a property change), which TIMESTAMP will report.
bool X11Clipboard::own_selection(xcb_window_t& window, xcb_timestamp_t& since) {
    xcb_connection_t* c = conn_.get();
    window = xcb_generate_id(c);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, 0, window, conn_.screen()->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    xcb_change_property(c, XCB_PROP_MODE_APPEND, window, atoms_.transfer, XCB_ATOM_STRING, 8, 0, nullptr);
    xcb_flush(c);
    for (;;) {
        xcb_generic_event_t* event = xcb_wait_for_event(c);
        if (event == nullptr) return false;
        const bool stamp = (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY &&
                           reinterpret_cast<xcb_property_notify_event_t*>(event)->window == window;
        if (stamp) since = reinterpret_cast<xcb_property_notify_event_t*>(event)->time;
        std::free(event);
        if (stamp) break;
    }
    xcb_set_selection_owner(c, window, atoms_.clipboard, since);
    xcb_get_selection_owner_reply_t* owner =
        xcb_get_selection_owner_reply(c, xcb_get_selection_owner(c, atoms_.clipboard), nullptr);
    const bool owned = owner != nullptr && owner->owner == window;
    std::free(owner);
    return owned;
}

bool X11Clipboard::set_text(const char* text, std::size_t length) {
    if (!open_ || !conn_.usable()) return false;
    std::string utf8;
    append_cp1252_as_utf8(text, length, utf8);
    if (utf8.size() > max_property_bytes(conn_.get())) return false;  // would need the incremental transfer

    xcb_window_t window = XCB_NONE;
    xcb_timestamp_t since = XCB_CURRENT_TIME;
    if (!own_selection(window, since)) {
        if (conn_.usable()) xcb_destroy_window(conn_.get(), window);
        return false;
    }
    const SelectionOwner owner{conn_.get(), atoms_, window, since, text, length, utf8.data(), utf8.size()};
    // The watchdog thread must be gone before the fork, and must never cut
    // the connection that the child lives on.
    conn_.end_watchdog();
    if (run_detached(xcb_get_file_descriptor(conn_.get()), run_owner, const_cast<SelectionOwner*>(&owner))) {
        conn_.leave_to_child();
        return true;
    }
    // No child to answer for the text: closing the connection drops the
    // window and with it the selection, which is then empty rather than
    // owned by a window that nobody serves.
    conn_.disconnect();
    return false;
}

bool X11Clipboard::close() {
    if (!open_) return false;
    open_ = false;
    if (!conn_.connected()) return true;  // the connection went to the owner child
    xcb_connection_t* c = conn_.get();
    xcb_get_input_focus_reply_t* sync = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
    const bool done = sync != nullptr;
    std::free(sync);
    conn_.disarm();
    if (!done) forget_connection();
    return done;
}

ReadResult X11Clipboard::read_text(TextFormat format, std::string& out, std::string& why) {
    if (!ensure_connected(why)) return ReadResult::unreachable;
    const ReadResult result = read_selection(conn_, atoms_, format, budget_, out, why);
    conn_.disarm();
    if (result == ReadResult::unreachable) forget_connection();
    return result;
}

}  // namespace versos
