// Reads the text of the CLIPBOARD selection from whichever client owns it,
// as versos-pegar does on X11.
#pragma once

#include <chrono>
#include <string>

#include "core/clipboard/clipboard_device.h"
#include "core/clipboard/x11/x11_atoms.h"
#include "core/clipboard/x11/x11_connection.h"

namespace versos {

// utf8 asks UTF8_STRING, then STRING converted from Windows-1252 (a
// superset of the Latin-1 that STRING holds by convention); windows1252
// asks STRING, which versos serves with the exact bytes. Each answer is
// awaited at most `budget`; a silent owner or server makes the result
// `unreachable`. No owner, or an owner that refuses the targets: `no_text`.
ReadResult read_selection(X11Connection& conn, const X11Atoms& atoms, TextFormat format,
                          std::chrono::milliseconds budget, std::string& out, std::string& why);

}  // namespace versos
