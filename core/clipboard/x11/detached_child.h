// Starts a process that outlives its caller and holds nothing of it: a
// caller that captures this program's output ($(...), a pipe, a subprocess)
// must not wait for it.
#pragma once

namespace versos {

// Runs `body(arg)` in a grandchild of this process: in a new session, SIGHUP
// ignored, the signal mask cleared, the working folder /, standard streams on
// /dev/null and every other descriptor closed but `keep_fd`. The grandchild
// ends with _exit when `body` returns; the intermediate child is reaped
// here, so no zombie is left. True once the grandchild has dropped every
// descriptor it inherited (it says so through a pipe before `body` starts),
// so that when this returns it holds none of the caller's.
//
// Call it with no other thread running: only the calling thread is copied.
bool run_detached(int keep_fd, void (*body)(void*), void* arg);

}  // namespace versos
