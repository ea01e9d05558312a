// The verse generator as a library: the fragment that `versos MODE SEED`
// puts on the clipboard, given back to the caller instead.
//
// Every call is a fresh run of its own: the same mode and seed always give
// the same fragment, whatever was made before. Calls are reentrant and
// thread-safe; each thread draws on a random source and text buffers of its
// own. Nothing here touches the clipboard, the environment or any file.
#pragma once

#include <versos/generador/fragmentos.h>
