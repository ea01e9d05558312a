#include "lib/console/device.h"

#include <vector>

#include "lib/console/unload.h"

namespace versos::console {
namespace {

Device* installed = nullptr;

// A program that unloads a plugin using the console (the shared library, or
// the static one linked into the plugin) goes on without the library's code:
// nothing the console installed may point into it any more. Here, beside
// device(), so that every program using the console links it in; destroyed
// when the library is unloaded, and at exit, where it does no harm.
struct OnUnload {
    OnUnload() = default;
    OnUnload(const OnUnload&) = delete;
    OnUnload& operator=(const OnUnload&) = delete;
    ~OnUnload() { restore_platform_handlers(); }
};
const OnUnload on_unload;

}  // namespace

Device& device() { return installed ? *installed : terminal_device(); }

void install_device(Device* replacement) { installed = replacement; }

void Device::recolour(unsigned char attr) {
    const Size screen = size();
    std::vector<Cell> row(static_cast<std::size_t>(screen.columns));
    for (int y = 0; y < screen.rows; ++y) {
        const Rect line{0, y, screen.columns - 1, y};
        if (!read_cells(line, row.data())) return;  // no terminal: no cells to recolour
        for (Cell& cell : row) cell.attr = attr;
        write_cells(line, row.data());
    }
}

}  // namespace versos::console
