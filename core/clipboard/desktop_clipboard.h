// The seam between the choice of the session's clipboard and the platform:
// the backend built for this platform (x11/ on POSIX systems) defines
// desktop_clipboard(), and nothing else of it is seen by the choice.
#pragma once

#include "core/clipboard/clipboard_device.h"

namespace versos {

// The clipboard of this desktop session, constructed on first use; nullptr
// when the session has none (on X11: DISPLAY unset or empty), so that the
// file clipboard serves instead.
ClipboardDevice* desktop_clipboard();

}  // namespace versos
