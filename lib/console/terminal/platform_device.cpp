#include "lib/console/device.h"

namespace versos::console {

Device& platform_device() { return terminal_device(); }

}  // namespace versos::console
