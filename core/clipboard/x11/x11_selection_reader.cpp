#include "core/clipboard/x11/x11_selection_reader.h"

#include <cstdint>
#include <cstdlib>

#include "lib/charsets/cp1252.h"

namespace versos {
namespace {

// Texts larger than this are refused rather than gathered without end.
constexpr std::size_t kMaxText = std::size_t{256} << 20;

class Reader {
public:
    Reader(X11Connection& conn, const X11Atoms& atoms, std::chrono::milliseconds budget)
        : conn_(conn), c_(conn.get()), atoms_(atoms), budget_(budget) {}

    ReadResult run(TextFormat format, std::string& out, std::string& why);

private:
    enum class Got { value, refused, broken };

    ReadResult broken(std::string& why) const;
    Got convert(xcb_atom_t target, std::string& bytes);
    Got take_property(std::string& bytes, xcb_atom_t& type);
    Got take_incrementally(std::string& bytes);
    bool owner_now(xcb_window_t& owner);
    // Asks the owner for the text in `format`, best target first.
    Got ask(TextFormat format, std::string& out);
    // The next event that `wanted` accepts (others are dropped); nullptr
    // when the connection broke or the watchdog cut it.
    template <class Event, class Wanted>
    Event* next(std::uint8_t type, Wanted wanted);

    X11Connection& conn_;
    xcb_connection_t* c_;
    const X11Atoms& atoms_;
    std::chrono::milliseconds budget_;
    xcb_window_t window_ = XCB_NONE;
    bool answer_awaited_ = false;  // for the message: the owner, not the server, kept silent
};

template <class Event, class Wanted>
Event* Reader::next(std::uint8_t type, Wanted wanted) {
    for (;;) {
        xcb_generic_event_t* event = xcb_wait_for_event(c_);
        if (event == nullptr) return nullptr;
        if ((event->response_type & 0x7f) == type && wanted(*reinterpret_cast<Event*>(event)))
            return reinterpret_cast<Event*>(event);
        std::free(event);
    }
}

ReadResult Reader::broken(std::string& why) const {
    if (!conn_.expired())
        why = "the connection to the X display broke";
    else if (answer_awaited_)
        why = "the program that holds the clipboard did not answer within " + std::to_string(budget_.count()) + " ms";
    else
        why = "the X display did not answer within " + std::to_string(budget_.count()) + " ms";
    return ReadResult::unreachable;
}

Reader::Got Reader::take_property(std::string& bytes, xcb_atom_t& type) {
    // Everything at once, deleting it: the deletion is also what asks an
    // incremental sender for its first piece.
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c_, xcb_get_property(c_, 1, window_, atoms_.transfer, XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4), nullptr);
    if (reply == nullptr) return Got::broken;
    type = reply->type;
    Got got = Got::refused;
    if (reply->type != XCB_NONE && (reply->format == 8 || reply->type == atoms_.incr)) {
        const int length = xcb_get_property_value_length(reply);
        bytes.assign(static_cast<const char*>(xcb_get_property_value(reply)), static_cast<std::size_t>(length));
        got = Got::value;
    }
    std::free(reply);
    return got;
}

Reader::Got Reader::take_incrementally(std::string& bytes) {
    bytes.clear();
    for (;;) {
        conn_.arm(budget_);
        auto* notify =
            next<xcb_property_notify_event_t>(XCB_PROPERTY_NOTIFY, [&](const xcb_property_notify_event_t& e) {
                return e.window == window_ && e.atom == atoms_.transfer && e.state == XCB_PROPERTY_NEW_VALUE;
            });
        if (notify == nullptr) return Got::broken;
        std::free(notify);
        std::string piece;
        xcb_atom_t type;
        const Got got = take_property(piece, type);
        if (got != Got::value) return got;
        if (piece.empty()) return Got::value;  // the empty piece ends the transfer
        if (bytes.size() + piece.size() > kMaxText) return Got::refused;
        bytes += piece;
    }
}

Reader::Got Reader::convert(xcb_atom_t target, std::string& bytes) {
    conn_.arm(budget_);
    xcb_convert_selection(c_, window_, atoms_.clipboard, target, atoms_.transfer, XCB_CURRENT_TIME);
    xcb_flush(c_);
    answer_awaited_ = true;
    auto* notify = next<xcb_selection_notify_event_t>(XCB_SELECTION_NOTIFY, [&](const xcb_selection_notify_event_t& e) {
        return e.requestor == window_ && e.selection == atoms_.clipboard;
    });
    if (notify == nullptr) return Got::broken;
    const bool refused = notify->property == XCB_NONE;
    std::free(notify);
    if (refused) return Got::refused;
    xcb_atom_t type = XCB_NONE;
    const Got got = take_property(bytes, type);
    if (got != Got::value || type != atoms_.incr) return got;
    return take_incrementally(bytes);
}

// The window that owns CLIPBOARD now (None when nobody does); false when
// the server did not answer.
bool Reader::owner_now(xcb_window_t& owner) {
    conn_.arm(budget_);
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, atoms_.clipboard), nullptr);
    if (reply == nullptr) return false;
    owner = reply->owner;
    std::free(reply);
    return true;
}

Reader::Got Reader::ask(TextFormat format, std::string& out) {
    const xcb_atom_t utf8_first[] = {atoms_.utf8_string, XCB_ATOM_STRING};
    const xcb_atom_t raw[] = {XCB_ATOM_STRING};
    const bool utf8 = format == TextFormat::utf8;
    const xcb_atom_t* targets = utf8 ? utf8_first : raw;
    const std::size_t count = utf8 ? 2 : 1;
    for (std::size_t i = 0; i < count; ++i) {
        std::string bytes;
        const Got got = convert(targets[i], bytes);
        if (got == Got::refused) continue;
        if (got == Got::broken) return got;
        if (utf8 && targets[i] == XCB_ATOM_STRING)
            append_cp1252_as_utf8(bytes.data(), bytes.size(), out);
        else
            out += bytes;
        return Got::value;
    }
    return Got::refused;
}

ReadResult Reader::run(TextFormat format, std::string& out, std::string& why) {
    xcb_window_t first = XCB_NONE;
    if (!owner_now(first)) return broken(why);
    if (first == XCB_NONE) return ReadResult::no_text;

    // Property changes are selected for the incremental transfer.
    window_ = xcb_generate_id(c_);
    const std::uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c_, 0, window_, conn_.screen()->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                      XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);

    Got got = ask(format, out);
    // An owner that lost the selection while it was asked refuses: the text
    // is its successor's now, asked once (none at all: the clipboard was
    // emptied meanwhile).
    xcb_window_t next = first;
    if (got == Got::refused && !owner_now(next)) return broken(why);
    if (got == Got::refused && next != first && next != XCB_NONE) got = ask(format, out);
    if (got == Got::broken) return broken(why);
    xcb_destroy_window(c_, window_);
    xcb_flush(c_);
    return got == Got::value ? ReadResult::text : ReadResult::no_text;
}

}  // namespace

ReadResult read_selection(X11Connection& conn, const X11Atoms& atoms, TextFormat format,
                          std::chrono::milliseconds budget, std::string& out, std::string& why) {
    return Reader(conn, atoms, budget).run(format, out, why);
}

}  // namespace versos
