// The general utility library of versos: link versos::util.
#pragma once

#include <versos/util/calendar.h>
#include <versos/util/codepages.h>
#include <versos/util/coding.h>
#include <versos/util/compression.h>
#include <versos/util/integers.h>
#include <versos/util/paths.h>
#include <versos/util/readers.h>
#include <versos/util/strings.h>
#include <versos/util/line_input.h>
#include <versos/util/capture.h>
#include <versos/util/repeated_text.h>
#include <versos/util/clock_text.h>
#include <versos/util/failure.h>
