// libxcb for the X11 clipboard. Linked the usual way, libxcb (and through it
// libXau and libXdmcp) would be loaded at every start of the verse command,
// which costs it about half its run even when the file clipboard is used;
// so a dynamic program loads libxcb.so.1 only when the X11 clipboard
// connects, and a wholly static one has it inside.
#pragma once

#include <string>

namespace versos {

// Whether libxcb's calls can be made; loads the library on the first call.
// When it can't be loaded, `why` says why: the X11 clipboard then can't be
// opened, as when the display can't be reached.
bool xcb_library_ready(std::string& why);

}  // namespace versos
