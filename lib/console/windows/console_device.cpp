#include "lib/console/windows/console_device.h"

#include <algorithm>
#include <climits>
#include <vector>

#include "lib/charsets/cp850.h"
#include "lib/console/windows/console_restore.h"

namespace versos::console {
namespace {

// What the console routines keep where output is dropped.
constexpr Size kDroppedSize{80, 25};

// Cells per rectangle call: the console refuses a buffer much above 64 KB.
constexpr int kCellsPerCall = 8000;

// Standard output as the process started: still the console when a capture
// (openprints_) has pointed it elsewhere, or closed it, by the console's
// first use. A handle of its own, which the capture can't close.
HANDLE console_output_at_start() {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode;
    if (out == nullptr || out == INVALID_HANDLE_VALUE || !GetConsoleMode(out, &mode)) return nullptr;
    HANDLE own = nullptr;
    const HANDLE self = GetCurrentProcess();
    if (!DuplicateHandle(self, out, self, &own, 0, FALSE, DUPLICATE_SAME_ACCESS)) return out;
    return own;
}

const HANDLE started_output = console_output_at_start();

COORD coord(int x, int y) { return COORD{static_cast<SHORT>(x), static_cast<SHORT>(y)}; }

SHORT to_short(long long v) { return static_cast<SHORT>(std::clamp<long long>(v, SHRT_MIN, SHRT_MAX)); }

SMALL_RECT small_rect(Rect r) {
    return SMALL_RECT{to_short(r.left), to_short(r.top), to_short(r.right), to_short(r.bottom)};
}

CHAR_INFO char_info(Cell cell) {
    CHAR_INFO c{};
    c.Char.UnicodeChar = static_cast<WCHAR>(cp850::glyph(cell.ch));
    c.Attributes = cell.attr;
    return c;
}

Cell cell_of(const CHAR_INFO& c) {
    return Cell{cp850::from_glyph(c.Char.UnicodeChar), static_cast<unsigned char>(c.Attributes & 0xFF)};
}

std::size_t offset_in(Rect area, int x, int y) {
    return static_cast<std::size_t>((static_cast<long long>(y) - area.top) * area.width() + (x - area.left));
}

}  // namespace

ConsoleSetup standard_console() {
    ConsoleSetup setup;
    setup.output = started_output;
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    if (in != nullptr && in != INVALID_HANDLE_VALUE) {
        DWORD mode;
        setup.input = in;
        setup.input_is_console = GetConsoleMode(in, &mode) != 0;
    }
    return setup;
}

WindowsConsoleDevice::WindowsConsoleDevice(const ConsoleSetup& setup) : setup_(setup) {
    DWORD mode;
    if (setup_.input_is_console && GetConsoleMode(setup_.input, &mode))
        mode_ = mode & (kProcessedInput | kLineInput | kEchoInput);
    if (setup_.whole_process) console_restore::watch(setup_.output);
}

bool WindowsConsoleDevice::buffer_info(CONSOLE_SCREEN_BUFFER_INFO& info) const {
    return setup_.output != nullptr && GetConsoleScreenBufferInfo(setup_.output, &info);
}

Size WindowsConsoleDevice::size() const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!buffer_info(info)) return kDroppedSize;
    return Size{info.dwSize.X, info.dwSize.Y};
}

Size WindowsConsoleDevice::visible_size() const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!buffer_info(info)) return kDroppedSize;
    return Size{info.srWindow.Right - info.srWindow.Left + 1, info.srWindow.Bottom - info.srWindow.Top + 1};
}

void WindowsConsoleDevice::write(const char* text, int length) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (length <= 0 || !buffer_info(info)) return;
    const long long columns = info.dwSize.X, cells = columns * info.dwSize.Y;
    const long long start = info.dwCursorPosition.Y * columns + info.dwCursorPosition.X;
    // The console stops at the last cell as the device does.
    const auto count = static_cast<DWORD>(std::min<long long>(length, cells - start));
    std::vector<WCHAR> glyphs(count);
    for (DWORD i = 0; i < count; ++i) glyphs[i] = static_cast<WCHAR>(cp850::glyph(static_cast<unsigned char>(text[i])));
    const std::vector<WORD> attrs(count, static_cast<WORD>(info.wAttributes & 0xFF));
    DWORD done;
    WriteConsoleOutputCharacterW(setup_.output, glyphs.data(), count, info.dwCursorPosition, &done);
    WriteConsoleOutputAttribute(setup_.output, attrs.data(), count, info.dwCursorPosition, &done);
    const long long end = std::min(start + length, cells - 1);
    SetConsoleCursorPosition(setup_.output, coord(static_cast<int>(end % columns), static_cast<int>(end / columns)));
}

Point WindowsConsoleDevice::cursor() const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!buffer_info(info)) return cursor_;
    return Point{info.dwCursorPosition.X, info.dwCursorPosition.Y};
}

void WindowsConsoleDevice::set_cursor(Point at) {
    const Size screen = size();
    if (at.x < 0 || at.y < 0 || at.x >= screen.columns || at.y >= screen.rows) return;
    cursor_ = at;
    if (shows_output()) SetConsoleCursorPosition(setup_.output, coord(at.x, at.y));
}

CursorShape WindowsConsoleDevice::cursor_shape() const {
    CONSOLE_CURSOR_INFO info;
    if (!shows_output() || !GetConsoleCursorInfo(setup_.output, &info)) return shape_;
    return CursorShape{info.bVisible != 0, static_cast<int>(info.dwSize)};
}

void WindowsConsoleDevice::set_cursor_shape(CursorShape shape) {
    shape.percent = std::clamp(shape.percent, 1, 100);
    shape_ = shape;
    if (!shows_output()) return;
    const CONSOLE_CURSOR_INFO info{static_cast<DWORD>(shape.percent), shape.visible ? TRUE : FALSE};
    if (setup_.whole_process) console_restore::note_cursor_set();
    SetConsoleCursorInfo(setup_.output, &info);
}

unsigned char WindowsConsoleDevice::attribute() const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!buffer_info(info)) return attr_;
    return static_cast<unsigned char>(info.wAttributes & 0xFF);
}

// The console's own attribute, as the text that stdio writes there takes.
void WindowsConsoleDevice::set_attribute(unsigned char attr) {
    attr_ = attr;
    if (!shows_output()) return;
    if (setup_.whole_process) console_restore::note_attribute_set();
    SetConsoleTextAttribute(setup_.output, attr);
}

void WindowsConsoleDevice::fill(Point from, int count, Cell with) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (count <= 0 || !buffer_info(info)) return;
    if (from.x < 0 || from.y < 0 || from.x >= info.dwSize.X || from.y >= info.dwSize.Y) return;
    const long long cells = static_cast<long long>(info.dwSize.X) * info.dwSize.Y;
    const auto n = static_cast<DWORD>(
        std::min<long long>(count, cells - (static_cast<long long>(from.y) * info.dwSize.X + from.x)));
    DWORD done;
    FillConsoleOutputCharacterW(setup_.output, static_cast<WCHAR>(cp850::glyph(with.ch)), n, coord(from.x, from.y),
                                &done);
    FillConsoleOutputAttribute(setup_.output, with.attr, n, coord(from.x, from.y), &done);
}

// The cells of `area` outside `spared` take `with`, in runs.
void WindowsConsoleDevice::fill_except(Rect area, Rect spared, Cell with) {
    DWORD done;
    for (int y = area.top; y <= area.bottom; ++y) {
        const bool row_spared = y >= spared.top && y <= spared.bottom && !spared.empty();
        // Left of the spared columns, then right of them.
        const Rect runs[2] = {{area.left, y, row_spared ? std::min(area.right, spared.left - 1) : area.right, y},
                              {row_spared ? std::max(area.left, spared.right + 1) : area.right + 1, y, area.right, y}};
        for (const Rect& run : runs) {
            if (run.empty()) continue;
            const auto n = static_cast<DWORD>(run.width());
            FillConsoleOutputCharacterW(setup_.output, static_cast<WCHAR>(cp850::glyph(with.ch)), n, coord(run.left, y),
                                        &done);
            FillConsoleOutputAttribute(setup_.output, with.attr, n, coord(run.left, y), &done);
        }
    }
}

void WindowsConsoleDevice::scroll(Rect source, const Rect* clip, Point to, Cell fill) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!buffer_info(info)) return;
    const Rect screen{0, 0, info.dwSize.X - 1, info.dwSize.Y - 1};
    // Only the part of the source on the screen moves, as the whole would.
    const Rect from = source.overlap(screen);
    const Rect limit = clip ? clip->overlap(screen) : screen;
    if (from.empty() || limit.empty()) return;
    const long long dx =
        std::clamp<long long>(static_cast<long long>(to.x) - source.left, -screen.right - 2, screen.right + 2);
    const long long dy =
        std::clamp<long long>(static_cast<long long>(to.y) - source.top, -screen.bottom - 2, screen.bottom + 2);
    const Rect lands = Rect{static_cast<int>(from.left + dx), static_cast<int>(from.top + dy),
                            static_cast<int>(from.right + dx), static_cast<int>(from.bottom + dy)}
                           .overlap(screen);
    if (!lands.overlap(limit).empty()) {
        // The console is given a copy that lands wholly on the screen (Wine
        // misplaces one that does not).
        const Rect moved{static_cast<int>(lands.left - dx), static_cast<int>(lands.top - dy),
                         static_cast<int>(lands.right - dx), static_cast<int>(lands.bottom - dy)};
        const SMALL_RECT scrolled = small_rect(moved);
        const SMALL_RECT clipped = small_rect(limit);
        const CHAR_INFO with = char_info(fill);
        ScrollConsoleScreenBufferW(setup_.output, &scrolled, clip ? &clipped : nullptr, coord(lands.left, lands.top),
                                   &with);
    }
    // The source's cells where the copy did not land take the fill: also
    // those whose copy falls outside the screen, and those Wine leaves when
    // the source crosses the clip's edge.
    fill_except(from.overlap(limit), lands, fill);
}

bool WindowsConsoleDevice::read_cells(Rect area, Cell* out) const {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (area.empty() || !buffer_info(info)) return false;
    const Rect r = area.overlap(Rect{0, 0, info.dwSize.X - 1, info.dwSize.Y - 1});
    if (r.empty()) return false;
    const int rows_per_call = std::max(1, kCellsPerCall / r.width());
    std::vector<CHAR_INFO> got(static_cast<std::size_t>(r.width()) * std::min(rows_per_call, r.height()));
    for (int top = r.top; top <= r.bottom; top += rows_per_call) {
        const int bottom = std::min(r.bottom, top + rows_per_call - 1);
        SMALL_RECT region{to_short(r.left), to_short(top), to_short(r.right), to_short(bottom)};
        if (!ReadConsoleOutputW(setup_.output, got.data(), coord(r.width(), bottom - top + 1), COORD{0, 0}, &region))
            return false;
        for (int y = top; y <= bottom; ++y)
            for (int x = r.left; x <= r.right; ++x)
                out[offset_in(area, x, y)] = cell_of(got[static_cast<std::size_t>(y - top) * r.width() + (x - r.left)]);
    }
    return true;
}

bool WindowsConsoleDevice::write_cells(Rect area, const Cell* cells) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (area.empty() || !buffer_info(info)) return false;
    const Rect r = area.overlap(Rect{0, 0, info.dwSize.X - 1, info.dwSize.Y - 1});
    if (r.empty()) return false;
    const int rows_per_call = std::max(1, kCellsPerCall / r.width());
    std::vector<CHAR_INFO> put(static_cast<std::size_t>(r.width()) * std::min(rows_per_call, r.height()));
    for (int top = r.top; top <= r.bottom; top += rows_per_call) {
        const int bottom = std::min(r.bottom, top + rows_per_call - 1);
        for (int y = top; y <= bottom; ++y)
            for (int x = r.left; x <= r.right; ++x)
                put[static_cast<std::size_t>(y - top) * r.width() + (x - r.left)] =
                    char_info(cells[offset_in(area, x, y)]);
        SMALL_RECT region{to_short(r.left), to_short(top), to_short(r.right), to_short(bottom)};
        if (!WriteConsoleOutputW(setup_.output, put.data(), coord(r.width(), bottom - top + 1), COORD{0, 0}, &region))
            return false;
    }
    return true;
}

// What color_ stood for: every cell of the buffer takes the colours.
void WindowsConsoleDevice::recolour(unsigned char attr) {
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (!buffer_info(info)) return;
    DWORD done;
    FillConsoleOutputAttribute(setup_.output, attr, static_cast<DWORD>(info.dwSize.X) * info.dwSize.Y, COORD{0, 0},
                               &done);
}

Device& platform_device() {
    // Never destroyed: exit and crash handlers may still need the console.
    static WindowsConsoleDevice* device = new WindowsConsoleDevice(standard_console());
    return *device;
}

}  // namespace versos::console
