#include "lib/console/device.h"

namespace versos::console {
namespace {

Device* installed = nullptr;

}  // namespace

Device& device() { return installed ? *installed : terminal_device(); }

void install_device(Device* replacement) { installed = replacement; }

}  // namespace versos::console
