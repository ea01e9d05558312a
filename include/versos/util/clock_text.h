// Today's date and the time of day, local, as text.
#pragma once

#include <versos/util/export.h>

namespace versos {

// The date as DDsMMsYYYY, s being the separator: 11 bytes with the NUL
// ("07-12-2026" for a hyphen). The empty text if the year has more than
// four digits.
VERSOS_UTIL_EXPORT void hoy_(char* target, char separator);

// The time as HHsMMsSS: 9 bytes with the NUL.
VERSOS_UTIL_EXPORT void hora_(char* target, char separator);

}  // namespace versos
