// The POSIX stdio and time calls the library uses (flockfile,
// getc_unlocked, localtime_r, ...): here the system's own.
#pragma once

#include <cstdio>
#include <ctime>
