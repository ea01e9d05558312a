// What the console installs in the process beyond its own memory: the
// signal handlers that put the terminal back (POSIX), the console control
// handler and the exception filter (Windows). They point into the library's
// code, so they go when the library goes.
#pragma once

namespace versos::console {

// Puts back what the platform's console layer found in place of what it
// installed; one definition a platform, beside its console device.
void restore_platform_handlers();

}  // namespace versos::console
