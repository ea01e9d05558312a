#include "lib/console/device.h"

#include <vector>

namespace versos::console {
namespace {

Device* installed = nullptr;

}  // namespace

Device& device() { return installed ? *installed : platform_device(); }

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
