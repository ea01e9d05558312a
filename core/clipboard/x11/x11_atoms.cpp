#include "core/clipboard/x11/x11_atoms.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace versos {

bool intern_atoms(xcb_connection_t* c, X11Atoms& atoms) {
    struct Name {
        const char* text;
        xcb_atom_t X11Atoms::*field;
    };
    static constexpr Name kNames[] = {
        {"CLIPBOARD", &X11Atoms::clipboard},
        {"TARGETS", &X11Atoms::targets},
        {"TIMESTAMP", &X11Atoms::timestamp},
        {"MULTIPLE", &X11Atoms::multiple},
        {"ATOM_PAIR", &X11Atoms::atom_pair},
        {"INCR", &X11Atoms::incr},
        {"UTF8_STRING", &X11Atoms::utf8_string},
        {"text/plain;charset=windows-1252", &X11Atoms::text_cp1252},
        {"text/plain;charset=utf-8", &X11Atoms::text_utf8},
        {"VERSOS_TRANSFER", &X11Atoms::transfer},
    };
    constexpr std::size_t kCount = sizeof kNames / sizeof kNames[0];

    // All requests first, then all replies: one round trip for the lot.
    xcb_intern_atom_cookie_t cookies[kCount];
    for (std::size_t i = 0; i < kCount; ++i)
        cookies[i] = xcb_intern_atom(c, 0, static_cast<std::uint16_t>(std::strlen(kNames[i].text)), kNames[i].text);
    bool all = true;
    for (std::size_t i = 0; i < kCount; ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, cookies[i], nullptr);
        if (reply == nullptr) {
            all = false;
            continue;  // the other replies still have to be collected
        }
        atoms.*kNames[i].field = reply->atom;
        std::free(reply);
    }
    return all;
}

}  // namespace versos
