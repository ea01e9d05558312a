# Cross-builds versos for 64-bit Windows (10 and later) with Debian's
# MinGW-w64 (g++-mingw-w64-x86-64). The POSIX threading flavour of the
# compiler, since the tests use std::thread; everything is linked statically,
# so each .exe runs alone, without the compiler's DLLs beside it. The tests
# and the tools run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_VERSION 10)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VERSOS_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VERSOS_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VERSOS_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VERSOS_MINGW_PREFIX}-windres)

# The compiler's own tree, after any roots the caller gave (an installed
# versos for Windows, say: -DCMAKE_FIND_ROOT_PATH=its prefix).
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VERSOS_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

find_program(VERSOS_WINE wine)
if(VERSOS_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${VERSOS_WINE})
endif()
