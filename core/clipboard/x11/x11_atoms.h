// The atoms the clipboard works with, interned in one round trip.
#pragma once

#include <xcb/xcb.h>

namespace versos {

struct X11Atoms {
    xcb_atom_t clipboard;
    xcb_atom_t targets;
    xcb_atom_t timestamp;
    xcb_atom_t multiple;
    xcb_atom_t atom_pair;
    xcb_atom_t incr;
    xcb_atom_t utf8_string;
    xcb_atom_t text_cp1252;  // text/plain;charset=windows-1252
    xcb_atom_t text_utf8;    // text/plain;charset=utf-8
    xcb_atom_t transfer;     // the property this program receives conversions in
};

// False when the server did not answer (the connection broke).
bool intern_atoms(xcb_connection_t* c, X11Atoms& atoms);

}  // namespace versos
