#include "core/clipboard/x11/detached_child.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>
#include <initializer_list>

#include "lib/posix_io/posix_io.h"

namespace versos {
namespace {

void close_range_or_loop(unsigned first, unsigned last) {
    if (first > last) return;
    if (::close_range(first, last, 0) == 0) return;
    // Kernels before 5.9: one close per possible descriptor, up to the limit.
    rlimit limit{};
    unsigned top = 65536;
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < top)
        top = static_cast<unsigned>(limit.rlim_cur);
    for (unsigned fd = first; fd <= last && fd < top; ++fd) ::close(static_cast<int>(fd));
}

// Everything but the standard streams and the two descriptors in `keep`.
void close_other_descriptors(const int (&keep)[2]) {
    const int low = keep[0] < keep[1] ? keep[0] : keep[1], high = keep[0] < keep[1] ? keep[1] : keep[0];
    unsigned first = 3;
    for (int fd : {low, high}) {
        if (fd < static_cast<int>(first)) continue;
        close_range_or_loop(first, static_cast<unsigned>(fd) - 1);
        first = static_cast<unsigned>(fd) + 1;
    }
    close_range_or_loop(first, UINT_MAX);
}

void detach_streams(const int (&keep)[2]) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) {
        // When the standard streams were closed, a kept descriptor may sit
        // at one of their numbers: it stays as it is.
        if (fd == keep[0] || fd == keep[1] || fd == null) continue;
        if (null >= 0)
            ::dup2(null, fd);
        else
            ::close(fd);
    }
    if (null > 2) ::close(null);
}

// Closes `fd`; a standard stream's number is put back on /dev/null instead.
void drop_descriptor(int fd) {
    const int null = fd < 3 ? ::open("/dev/null", O_RDWR) : -1;
    if (null < 0) {
        ::close(fd);
        return;
    }
    ::dup2(null, fd);
    ::close(null);
}

// Reads the grandchild's word to its end: one byte, then end of file once
// it has closed the pipe too. End of file alone: it died before.
bool detached_child_ready(int from) {
    char word[2];
    return posix_io::read_full(from, word, sizeof word) == 1;
}

}  // namespace

bool run_detached(int keep_fd, void (*body)(void*), void* arg) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        return false;
    }
    if (child == 0) {
        if (::setsid() < 0) ::_exit(1);
        const pid_t grandchild = ::fork();  // not a session leader: it can never gain a terminal
        if (grandchild != 0) ::_exit(grandchild > 0 ? 0 : 1);

        std::signal(SIGHUP, SIG_IGN);
        std::signal(SIGPIPE, SIG_IGN);  // a vanished server shows as a write error, not a signal
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        ::sigprocmask(SIG_SETMASK, &none, nullptr);
        if (::chdir("/") != 0) {
            // Only to free the caller's folder; staying in it does no harm.
        }
        const int keep[2] = {keep_fd, ready[1]};
        detach_streams(keep);
        close_other_descriptors(keep);
        // The pipe is the last thing held of the caller: its end of file
        // tells the caller that nothing else is.
        const bool told = ::write(ready[1], "!", 1) == 1;
        drop_descriptor(ready[1]);
        if (!told) ::_exit(1);
        body(arg);
        ::_exit(0);
    }
    ::close(ready[1]);
    const bool ready_seen = detached_child_ready(ready[0]);
    ::close(ready[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno == EINTR) continue;
        // ECHILD: the caller ignores SIGCHLD, so the child was reaped
        // without a status; the pipe has said all there is to know.
        return ready_seen && errno == ECHILD;
    }
    return ready_seen && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace versos
