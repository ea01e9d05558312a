// libxcb loaded at run time: the calls the X11 clipboard makes, in one table
// filled from libxcb.so.1 on first use. Each call of the clipboard's code
// goes through a function of libxcb's own name and signature below, so the
// code that uses libxcb reads as it would against the linked library. Only
// xcb_library_ready's success lets a connection be made, and every other
// call takes a connection, so none of them runs without the table.
#include <dlfcn.h>
#include <xcb/xcb.h>

#include "core/clipboard/x11/xcb_library.h"

namespace versos {
namespace {

// clang-format off
#define VERSOS_XCB_CALLS(X) \
    X(xcb_connect) \
    X(xcb_disconnect) \
    X(xcb_connection_has_error) \
    X(xcb_flush) \
    X(xcb_total_read) \
    X(xcb_get_file_descriptor) \
    X(xcb_get_setup) \
    X(xcb_generate_id) \
    X(xcb_wait_for_event) \
    X(xcb_poll_for_queued_event) \
    X(xcb_setup_roots_iterator) \
    X(xcb_screen_next) \
    X(xcb_create_window) \
    X(xcb_destroy_window) \
    X(xcb_change_property) \
    X(xcb_get_property) \
    X(xcb_get_property_reply) \
    X(xcb_get_property_value) \
    X(xcb_get_property_value_length) \
    X(xcb_intern_atom) \
    X(xcb_intern_atom_reply) \
    X(xcb_set_selection_owner) \
    X(xcb_get_selection_owner) \
    X(xcb_get_selection_owner_reply) \
    X(xcb_convert_selection) \
    X(xcb_send_event) \
    X(xcb_get_input_focus) \
    X(xcb_get_input_focus_reply)
// clang-format on

struct XcbCalls {
#define VERSOS_XCB_SLOT(name) decltype(&::name) name = nullptr;
    VERSOS_XCB_CALLS(VERSOS_XCB_SLOT)
#undef VERSOS_XCB_SLOT
    std::string error;  // empty when every call was found
};

const XcbCalls& calls() {
    static const XcbCalls loaded = [] {
        XcbCalls c;
        // Never closed: the owner of the selection keeps using it to the end.
        void* library = ::dlopen("libxcb.so.1", RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            const char* why = ::dlerror();
            c.error = std::string("cannot load libxcb: ") + (why != nullptr ? why : "libxcb.so.1");
            return c;
        }
#define VERSOS_XCB_LOOK_UP(name)                                           \
    c.name = reinterpret_cast<decltype(&::name)>(::dlsym(library, #name)); \
    if (c.name == nullptr && c.error.empty()) c.error = "libxcb.so.1 lacks " #name;
        VERSOS_XCB_CALLS(VERSOS_XCB_LOOK_UP)
#undef VERSOS_XCB_LOOK_UP
        return c;
    }();
    return loaded;
}

}  // namespace

bool xcb_library_ready(std::string& why) {
    if (calls().error.empty()) return true;
    why = calls().error;
    return false;
}

}  // namespace versos

using versos::calls;

extern "C" {

xcb_connection_t* xcb_connect(const char* displayname, int* screenp) { return calls().xcb_connect(displayname, screenp); }
void xcb_disconnect(xcb_connection_t* c) { calls().xcb_disconnect(c); }
int xcb_connection_has_error(xcb_connection_t* c) { return calls().xcb_connection_has_error(c); }
int xcb_flush(xcb_connection_t* c) { return calls().xcb_flush(c); }
uint64_t xcb_total_read(xcb_connection_t* c) { return calls().xcb_total_read(c); }
int xcb_get_file_descriptor(xcb_connection_t* c) { return calls().xcb_get_file_descriptor(c); }
const struct xcb_setup_t* xcb_get_setup(xcb_connection_t* c) { return calls().xcb_get_setup(c); }
uint32_t xcb_generate_id(xcb_connection_t* c) { return calls().xcb_generate_id(c); }
xcb_generic_event_t* xcb_wait_for_event(xcb_connection_t* c) { return calls().xcb_wait_for_event(c); }
xcb_generic_event_t* xcb_poll_for_queued_event(xcb_connection_t* c) { return calls().xcb_poll_for_queued_event(c); }
xcb_screen_iterator_t xcb_setup_roots_iterator(const xcb_setup_t* R) { return calls().xcb_setup_roots_iterator(R); }
void xcb_screen_next(xcb_screen_iterator_t* i) { calls().xcb_screen_next(i); }

xcb_void_cookie_t xcb_create_window(xcb_connection_t* c, uint8_t depth, xcb_window_t wid, xcb_window_t parent,
                                    int16_t x, int16_t y, uint16_t width, uint16_t height, uint16_t border_width,
                                    uint16_t _class, xcb_visualid_t visual, uint32_t value_mask,
                                    const void* value_list) {
    return calls().xcb_create_window(c, depth, wid, parent, x, y, width, height, border_width, _class, visual,
                                     value_mask, value_list);
}
xcb_void_cookie_t xcb_destroy_window(xcb_connection_t* c, xcb_window_t window) {
    return calls().xcb_destroy_window(c, window);
}
xcb_void_cookie_t xcb_change_property(xcb_connection_t* c, uint8_t mode, xcb_window_t window, xcb_atom_t property,
                                      xcb_atom_t type, uint8_t format, uint32_t data_len, const void* data) {
    return calls().xcb_change_property(c, mode, window, property, type, format, data_len, data);
}

xcb_get_property_cookie_t xcb_get_property(xcb_connection_t* c, uint8_t _delete, xcb_window_t window,
                                           xcb_atom_t property, xcb_atom_t type, uint32_t long_offset,
                                           uint32_t long_length) {
    return calls().xcb_get_property(c, _delete, window, property, type, long_offset, long_length);
}
xcb_get_property_reply_t* xcb_get_property_reply(xcb_connection_t* c, xcb_get_property_cookie_t cookie,
                                                 xcb_generic_error_t** e) {
    return calls().xcb_get_property_reply(c, cookie, e);
}
void* xcb_get_property_value(const xcb_get_property_reply_t* R) { return calls().xcb_get_property_value(R); }
int xcb_get_property_value_length(const xcb_get_property_reply_t* R) {
    return calls().xcb_get_property_value_length(R);
}

xcb_intern_atom_cookie_t xcb_intern_atom(xcb_connection_t* c, uint8_t only_if_exists, uint16_t name_len,
                                         const char* name) {
    return calls().xcb_intern_atom(c, only_if_exists, name_len, name);
}
xcb_intern_atom_reply_t* xcb_intern_atom_reply(xcb_connection_t* c, xcb_intern_atom_cookie_t cookie,
                                               xcb_generic_error_t** e) {
    return calls().xcb_intern_atom_reply(c, cookie, e);
}

xcb_void_cookie_t xcb_set_selection_owner(xcb_connection_t* c, xcb_window_t owner, xcb_atom_t selection,
                                          xcb_timestamp_t time) {
    return calls().xcb_set_selection_owner(c, owner, selection, time);
}
xcb_get_selection_owner_cookie_t xcb_get_selection_owner(xcb_connection_t* c, xcb_atom_t selection) {
    return calls().xcb_get_selection_owner(c, selection);
}
xcb_get_selection_owner_reply_t* xcb_get_selection_owner_reply(xcb_connection_t* c,
                                                               xcb_get_selection_owner_cookie_t cookie,
                                                               xcb_generic_error_t** e) {
    return calls().xcb_get_selection_owner_reply(c, cookie, e);
}
xcb_void_cookie_t xcb_convert_selection(xcb_connection_t* c, xcb_window_t requestor, xcb_atom_t selection,
                                        xcb_atom_t target, xcb_atom_t property, xcb_timestamp_t time) {
    return calls().xcb_convert_selection(c, requestor, selection, target, property, time);
}
xcb_void_cookie_t xcb_send_event(xcb_connection_t* c, uint8_t propagate, xcb_window_t destination,
                                 uint32_t event_mask, const char* event) {
    return calls().xcb_send_event(c, propagate, destination, event_mask, event);
}

xcb_get_input_focus_cookie_t xcb_get_input_focus(xcb_connection_t* c) { return calls().xcb_get_input_focus(c); }
xcb_get_input_focus_reply_t* xcb_get_input_focus_reply(xcb_connection_t* c, xcb_get_input_focus_cookie_t cookie,
                                                       xcb_generic_error_t** e) {
    return calls().xcb_get_input_focus_reply(c, cookie, e);
}

}  // extern "C"
