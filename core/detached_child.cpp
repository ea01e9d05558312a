#include "core/detached_child.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>
#include <climits>
#include <csignal>

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

// Everything but the standard streams and `keep`.
void close_other_descriptors(int keep) {
    if (keep < 3) {
        close_range_or_loop(3, UINT_MAX);
        return;
    }
    close_range_or_loop(3, static_cast<unsigned>(keep) - 1);
    close_range_or_loop(static_cast<unsigned>(keep) + 1, UINT_MAX);
}

void detach_streams(int keep) {
    const int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; fd < 3; ++fd) {
        // When the standard streams were closed, the kept descriptor may sit
        // at one of their numbers: it stays as it is.
        if (fd == keep || fd == null) continue;
        if (null >= 0)
            ::dup2(null, fd);
        else
            ::close(fd);
    }
    if (null > 2) ::close(null);
}

}  // namespace

bool run_detached(int keep_fd, void (*body)(void*), void* arg) {
    const pid_t child = ::fork();
    if (child < 0) return false;
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
        detach_streams(keep_fd);
        close_other_descriptors(keep_fd);
        body(arg);
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno == EINTR) continue;
        // ECHILD: the caller ignores SIGCHLD, so the child was reaped
        // without a status; it got as far as the fork.
        return errno == ECHILD;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace versos
