#include "core/clipboard/x11/x11_selection_owner.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace versos {

std::size_t max_property_bytes(xcb_connection_t* c) {
    // The setup's limit, in 4-byte units; BIG-REQUESTS is never enabled, so
    // it holds for every request.
    const std::size_t request = std::size_t{xcb_get_setup(c)->maximum_request_length} * 4;
    const std::size_t header = sizeof(xcb_change_property_request_t);
    return request > header ? request - header : 0;
}

namespace {

void put_property(const SelectionOwner& o, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                  std::uint8_t format, std::size_t count, const void* data) {
    xcb_change_property(o.conn, XCB_PROP_MODE_REPLACE, window, property, type, format,
                        static_cast<std::uint32_t>(count), data);
}

// Writes `target` of the text onto `property` of `requestor`; false for a
// target this owner does not serve.
bool convert(const SelectionOwner& o, xcb_window_t requestor, xcb_atom_t target, xcb_atom_t property) {
    if (property == XCB_NONE) return false;
    const X11Atoms& a = o.atoms;
    if (target == a.targets) {
        const xcb_atom_t served[] = {a.targets,     a.timestamp,   a.multiple, XCB_ATOM_STRING,
                                     a.text_cp1252, a.utf8_string, a.text_utf8};
        put_property(o, requestor, property, XCB_ATOM_ATOM, 32, sizeof served / sizeof served[0], served);
        return true;
    }
    if (target == a.timestamp) {
        const std::uint32_t time = o.since;
        put_property(o, requestor, property, XCB_ATOM_INTEGER, 32, 1, &time);
        return true;
    }
    const char* bytes;
    std::size_t length;
    if (target == XCB_ATOM_STRING || target == a.text_cp1252) {
        bytes = o.cp1252;
        length = o.cp1252_length;
    } else if (target == a.utf8_string || target == a.text_utf8) {
        bytes = o.utf8;
        length = o.utf8_length;
    } else {
        return false;
    }
    if (length > max_property_bytes(o.conn)) return false;
    put_property(o, requestor, property, target, 8, length, bytes);
    return true;
}

// MULTIPLE: the requestor's property lists (target, property) pairs; each
// pair that can't be converted gets None as its property, and the list is
// written back.
bool convert_multiple(const SelectionOwner& o, xcb_window_t requestor, xcb_atom_t property) {
    if (property == XCB_NONE) return false;
    constexpr std::uint32_t kMaxWords = 1024;  // 512 pairs: far more than anyone asks for
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        o.conn, xcb_get_property(o.conn, 0, requestor, property, XCB_GET_PROPERTY_TYPE_ANY, 0, kMaxWords), nullptr);
    if (reply == nullptr) return false;
    const bool usable = reply->format == 32 && reply->bytes_after == 0 &&
                        (reply->type == o.atoms.atom_pair || reply->type == XCB_ATOM_ATOM);
    std::vector<xcb_atom_t> pairs;
    xcb_atom_t type = reply->type;
    if (usable) {
        const auto* words = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply));
        pairs.assign(words, words + (reply->value_len & ~1u));
    }
    std::free(reply);
    if (!usable) return false;
    for (std::size_t i = 0; i < pairs.size(); i += 2) {
        if (pairs[i] == o.atoms.multiple || !convert(o, requestor, pairs[i], pairs[i + 1])) pairs[i + 1] = XCB_NONE;
    }
    put_property(o, requestor, property, type, 32, pairs.size(), pairs.data());
    return true;
}

// Answers `request`; with `lost`, the selection is no longer this owner's
// and every request is refused.
void answer(const SelectionOwner& o, const xcb_selection_request_event_t& request, bool lost) {
    // A client of the old convention names no property: it gets the target.
    const xcb_atom_t property = request.property != XCB_NONE ? request.property : request.target;
    // A request older than the ownership is about an earlier owner's text
    // (time stamps wrap around, hence the signed difference).
    const bool current = request.time == XCB_CURRENT_TIME || static_cast<std::int32_t>(request.time - o.since) >= 0;
    bool done = false;
    if (!lost && request.selection == o.atoms.clipboard && request.owner == o.window && current) {
        done = request.target == o.atoms.multiple ? convert_multiple(o, request.requestor, request.property)
                                                  : convert(o, request.requestor, request.target, property);
    }
    xcb_selection_notify_event_t notify;
    std::memset(&notify, 0, sizeof notify);
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = done ? property : XCB_NONE;
    xcb_send_event(o.conn, 0, request.requestor, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&notify));
    xcb_flush(o.conn);
}

bool is_request(const xcb_generic_event_t* event) { return (event->response_type & 0x7f) == XCB_SELECTION_REQUEST; }

// Before the owner exits: a round trip, so that the server has read and
// carried out every answer sent so far. An exit with answers still unread
// in the socket loses them, since the server drops a client whose
// connection closed without reading what is left, and their requestors
// would wait for ever. Requests that come in meanwhile are refused, and
// the refusals get a round trip of their own, a bounded number of times: a
// client that keeps sending requests can't keep a lost owner alive.
void finish_answers(const SelectionOwner& o) {
    for (int round = 0; round < 16; ++round) {
        xcb_get_input_focus_reply_t* sync =
            xcb_get_input_focus_reply(o.conn, xcb_get_input_focus(o.conn), nullptr);
        if (sync == nullptr) return;  // the server went away: nobody is left to answer
        std::free(sync);
        bool refused = false;
        while (xcb_generic_event_t* event = xcb_poll_for_queued_event(o.conn)) {
            if (is_request(event)) {
                answer(o, *reinterpret_cast<const xcb_selection_request_event_t*>(event), true);
                refused = true;
            }
            std::free(event);
        }
        if (!refused) return;
    }
}

}  // namespace

void serve_selection(const SelectionOwner& owner) {
    xcb_flush(owner.conn);
    for (;;) {
        xcb_generic_event_t* event = xcb_wait_for_event(owner.conn);
        if (event == nullptr) return;  // the server went away
        bool lost = false;
        switch (event->response_type & 0x7f) {
            case XCB_SELECTION_REQUEST:
                answer(owner, *reinterpret_cast<const xcb_selection_request_event_t*>(event), false);
                break;
            case XCB_SELECTION_CLEAR: {
                const auto* clear = reinterpret_cast<const xcb_selection_clear_event_t*>(event);
                lost = clear->selection == owner.atoms.clipboard && clear->owner == owner.window;
                break;
            }
            default:
                break;  // errors about requestors that vanished, our own property changes
        }
        std::free(event);
        if (lost) break;
    }
    finish_answers(owner);
}

}  // namespace versos
