// The owner of the CLIPBOARD selection: the loop that the detached child of
// the verse command runs, answering requests for the text until another
// client takes the selection or the server goes away.
#pragma once

#include <xcb/xcb.h>
#include <cstddef>

#include "core/clipboard/x11/x11_atoms.h"

namespace versos {

struct SelectionOwner {
    xcb_connection_t* conn;
    X11Atoms atoms;
    xcb_window_t window;    // owns CLIPBOARD
    xcb_timestamp_t since;  // the time it took the selection
    const char* cp1252;     // the exact bytes of the item
    std::size_t cp1252_length;
    const char* utf8;  // the same text in UTF-8
    std::size_t utf8_length;
};

// The longest value one ChangeProperty request can carry on `c`. Texts are
// answered in a single request (a fragment is at most 255 bytes, 765 in
// UTF-8), so the incremental transfer for large values is never needed.
std::size_t max_property_bytes(xcb_connection_t* c);

// Returns when the selection is lost or the connection breaks.
void serve_selection(const SelectionOwner& owner);

}  // namespace versos
