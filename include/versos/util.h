// The general utility library of versos: link versos::util.
#pragma once

// one #include <versos/util/...> a line
#include <versos/util/compression.h>
#include <versos/util/coding.h>
