#include <versos/version.h>

namespace versos {

const char* version() { return VERSOS_VERSION_STRING; }

}  // namespace versos
