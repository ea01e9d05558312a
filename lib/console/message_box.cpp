#include "lib/console/message_box.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "lib/console/device.h"
#include "lib/console/outside_writes.h"
#include "lib/console/two_byte_keys.h"
#include "lib/console/windows1252.h"

namespace versos::console {
namespace {

constexpr unsigned char kBoxAttr = 0x70;     // black on grey
constexpr unsigned char kButtonAttr = 0x1F;  // bright white on blue
constexpr char kButton[] = "[ Aceptar ]";
constexpr int kButtonLength = sizeof kButton - 1;

// Code page 850's double frame.
constexpr unsigned char kTopLeft = 0xC9, kTopRight = 0xBB, kBottomLeft = 0xC8, kBottomRight = 0xBC;
constexpr unsigned char kHorizontal = 0xCD, kVertical = 0xBA;

constexpr int kEnter = 13, kSpace = 32, kEscape = 27;

// One line of the text cut into rows of at most `width` bytes, between
// words: a row ends at its last blank that fits (the blank dropped), and a
// word longer than a row is cut where the row ends.
void wrap_line(const std::string& line, int width, std::vector<std::string>& rows) {
    std::size_t start = 0;
    const auto room = static_cast<std::size_t>(width);
    while (line.size() - start > room) {
        std::size_t blank = line.rfind(' ', start + room);
        if (blank == std::string::npos || blank <= start) {
            rows.push_back(line.substr(start, room));
            start += room;
        } else {
            rows.push_back(line.substr(start, blank - start));
            start = blank + 1;
        }
    }
    rows.push_back(line.substr(start));
}

// The box's rows of text, in code page 850, at most `width` bytes each.
std::vector<std::string> text_lines(const char* text, int width) {
    std::vector<std::string> lines;
    std::string line;
    for (const char* p = text;; ++p) {
        if (*p == '\0' || *p == '\n') {
            if (*p == '\n' || !line.empty() || lines.empty()) wrap_line(line, width, lines);
            line.clear();
            if (*p == '\0' || p[1] == '\0') break;
            continue;
        }
        line += static_cast<char>(windows1252::to_cp850(static_cast<unsigned char>(*p)));
    }
    return lines;
}

std::string cp850_of(const char* text) {
    std::string out;
    for (const char* p = text; *p; ++p) out += static_cast<char>(windows1252::to_cp850(static_cast<unsigned char>(*p)));
    return out;
}

void to_standard_error(const char* title, const char* text) {
    std::string out = windows1252::to_utf8(title);
    out += '\n';
    out += windows1252::to_utf8(text);
    if (out.back() != '\n') out += '\n';
    write_on_standard_error(out);
}

class BoxDrawing {
public:
    BoxDrawing(int width, int height)
        : width_(width), cells_(static_cast<std::size_t>(width) * height, Cell{' ', kBoxAttr}) {}
    void put(int x, int y, unsigned char ch, unsigned char attr = kBoxAttr) {
        cells_[static_cast<std::size_t>(y) * width_ + x] = Cell{ch, attr};
    }
    void put(int x, int y, std::string_view text, unsigned char attr = kBoxAttr) {
        for (std::size_t i = 0; i < text.size(); ++i)
            put(x + static_cast<int>(i), y, static_cast<unsigned char>(text[i]), attr);
    }
    const Cell* cells() const { return cells_.data(); }

private:
    int width_;
    std::vector<Cell> cells_;
};

// Every key read, a two-byte one whole, until one that closes the box.
void wait_for_acknowledgement(Device& console) {
    const unsigned saved_mode = console.input_mode();
    console.set_input_mode(0);
    for (;;) {
        const int key = console.read_key();
        if (may_begin_pair(key) && console.key_began_pair()) {
            console.read_key();  // the key's code: never one that closes the box
            continue;
        }
        if (key == kEnter || key == kSpace || key == kEscape) break;
    }
    console.set_input_mode(saved_mode);
}

}  // namespace

void message_box(const char* title, const char* text) {
    Device& console = device();
    // Centred on what a person sees of the screen.
    const Size buffer = console.size(), shown = console.visible_size();
    const Size screen{std::min(buffer.columns, shown.columns), std::min(buffer.rows, shown.rows)};
    // Frame and one blank column each side; a blank row above and below the
    // text, then the button row.
    const int most_width = screen.columns - 4;
    const int most_lines = screen.rows - 5;
    if (!console.shows_output() || !console.reads_keys() || most_width < kButtonLength || most_lines < 1) {
        to_standard_error(title, text);
        return;
    }
    std::string heading = cp850_of(title).substr(0, static_cast<std::size_t>(std::max(most_width - 2, 0)));
    std::vector<std::string> lines = text_lines(text, most_width);
    if (static_cast<int>(lines.size()) > most_lines) lines.resize(static_cast<std::size_t>(most_lines));

    int inner = std::max<int>(kButtonLength, static_cast<int>(heading.size()) + 2);
    for (const std::string& line : lines) inner = std::max(inner, static_cast<int>(line.size()));
    const int width = inner + 4;
    const int height = static_cast<int>(lines.size()) + 5;
    const int left = (screen.columns - width) / 2, top = (screen.rows - height) / 2;
    const Rect area{left, top, left + width - 1, top + height - 1};

    BoxDrawing box(width, height);
    for (int x = 1; x < width - 1; ++x) {
        box.put(x, 0, kHorizontal);
        box.put(x, height - 1, kHorizontal);
    }
    for (int y = 1; y < height - 1; ++y) {
        box.put(0, y, kVertical);
        box.put(width - 1, y, kVertical);
    }
    box.put(0, 0, kTopLeft);
    box.put(width - 1, 0, kTopRight);
    box.put(0, height - 1, kBottomLeft);
    box.put(width - 1, height - 1, kBottomRight);
    if (!heading.empty()) box.put(2, 0, " " + heading + " ");
    for (std::size_t i = 0; i < lines.size(); ++i) box.put(2, 2 + static_cast<int>(i), lines[i]);
    box.put((width - kButtonLength) / 2, height - 2, kButton, kButtonAttr);

    std::vector<Cell> beneath(static_cast<std::size_t>(width) * height);
    const Point cursor = console.cursor();
    const CursorShape shape = console.cursor_shape();
    bool overlay;
    {
        Batch batch;
        // On a screen of its own the box hides nothing for good; elsewhere
        // it puts back what the console knows of the cells it covers.
        overlay = console.begin_overlay();
        if (!overlay) console.read_cells(area, beneath.data());
        console.write_cells(area, box.cells());
        // On the button, as on a focused one; its shape stays, so that a
        // terminal keeps its own cursor where the program never set one.
        console.set_cursor(Point{left + (width - kButtonLength) / 2 + 2, top + height - 2});
    }
    wait_for_acknowledgement(console);
    Batch batch;
    if (overlay) {
        console.end_overlay();
        return;
    }
    console.write_cells(area, beneath.data());
    console.set_cursor(cursor);
    if (!(console.cursor_shape() == shape)) console.set_cursor_shape(shape);
}

}  // namespace versos::console
