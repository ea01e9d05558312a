// The console device: the few operations that the text window, the line
// editor and the message boxes need of the platform's console. Two devices
// stand behind it: the terminal (standard input and output, when they are
// terminals) and a console in memory, a cell grid with a key queue, which
// tests install to check cells, attributes and cursor exactly.
//
// Coordinates here are 0-based screen cells. Characters are bytes of the
// console's code page (850); attributes are Windows console attributes.
#pragma once

namespace versos::console {

struct Cell {
    unsigned char ch = ' ';
    unsigned char attr = 0x07;
    friend bool operator==(Cell, Cell) = default;
};
static_assert(sizeof(Cell) == 2, "a cell is the character byte then the attribute byte");

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(Point, Point) = default;
};

// Inclusive edges.
struct Rect {
    int left = 0, top = 0, right = -1, bottom = -1;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool empty() const { return right < left || bottom < top; }
    // The cells in both; empty() when there are none.
    Rect overlap(Rect other) const {
        return {left > other.left ? left : other.left, top > other.top ? top : other.top,
                right < other.right ? right : other.right, bottom < other.bottom ? bottom : other.bottom};
    }
};

struct Size {
    int columns = 80;
    int rows = 25;
};

struct CursorShape {
    bool visible = true;
    int percent = 25;  // of the cell's height, 1..100
    friend bool operator==(CursorShape, CursorShape) = default;
};

// Input mode bits, as the Windows console has them. The routines that read
// keys save the mode, set it to 0, read and restore it.
inline constexpr unsigned kProcessedInput = 0x1;  // Ctrl+C interrupts the program
inline constexpr unsigned kLineInput = 0x2;
inline constexpr unsigned kEchoInput = 0x4;
inline constexpr unsigned kDefaultInputMode = kProcessedInput | kLineInput | kEchoInput;

// What read_key gives when no key can ever come (standard input at its end,
// or the terminal has gone): Enter, so that every reading loop ends. The
// terminal device gives it once; a read after it ends the program as a
// hangup does.
inline constexpr int kNoMoreKeys = 13;

class Device {
public:
    virtual ~Device() = default;

    // The screen buffer: every cell the device keeps. Operations never read
    // or write cells outside it; parts of rectangles and runs that fall
    // outside are clipped.
    virtual Size size() const = 0;
    // False when output is dropped (standard output is not a terminal, or
    // the terminal has gone): messages meant for a person then go to
    // standard error instead. No operation then changes a cell (write leaves
    // the cursor where it is), and read_cells and write_cells give false, as
    // the Windows console functions fail on a file; the cursor placed, its
    // shape and the attribute are still recorded.
    virtual bool shows_output() const = 0;
    // False when no key can be read (standard input is closed, or no key
    // comes in this console): nothing may wait for one. Without a terminal
    // on standard input, its bytes are the keys.
    virtual bool reads_keys() const = 0;

    // Keyboard.
    virtual unsigned input_mode() const = 0;
    virtual void set_input_mode(unsigned mode) = 0;
    // The next key byte, 0..255, waiting for it; cursor and editing keys come
    // as two bytes (224 then the key's code, or 0 then the code of F1..F10).
    // kNoMoreKeys when none can come.
    virtual int read_key() = 0;
    // True if a key byte waits; consumes nothing.
    virtual bool key_waiting() = 0;
    // Sleeps until a key byte waits, consuming nothing; returns at once when
    // none can come.
    virtual void wait_for_key() = 0;
    // Puts a key byte in front of those that wait; false if refused.
    virtual bool push_key(unsigned char key) = 0;
    // Polite polling: true if a key byte waits or comes within `within_ms`,
    // sleeping until one comes or the time is up; consumes nothing.
    virtual bool key_comes(int within_ms) {
        (void)within_ms;
        return key_waiting();
    }
    // True if the byte read_key gave last begins a two-byte key (a cursor or
    // function key's 0 or 224); false for a typed character, which is 224
    // too where it is Ó (code page 850).
    virtual bool key_began_pair() const { return true; }

    // Screen.
    // Writes the bytes into the cells from the cursor on, in the current
    // attribute, in reading order (a row that ends goes on at the start of the
    // next one; what passes the last cell is dropped). The cursor ends on the
    // cell after the last byte written, or on the last cell. Control bytes
    // are stored like any other and shown as the code page's glyph for them.
    virtual void write(const char* text, int length) = 0;
    // Writes as write() does, but where the console's cursor really is, as
    // the runtime's putch writes: on a terminal whose cursor other output
    // (stdio) has moved since the console placed its own, there, leaving
    // the kept cells and cursor() alone. Elsewhere cursor() is that cursor.
    virtual void echo(const char* text, int length) { write(text, length); }
    virtual Point cursor() const = 0;
    // A cell outside the screen is ignored.
    virtual void set_cursor(Point at) = 0;
    virtual CursorShape cursor_shape() const = 0;
    virtual void set_cursor_shape(CursorShape shape) = 0;
    virtual unsigned char attribute() const = 0;
    virtual void set_attribute(unsigned char attr) = 0;
    // `count` cells from `from` on, in reading order, become `with`. A run
    // that starts outside the screen changes nothing (as the Windows console
    // refuses it); one that passes the last cell stops there.
    virtual void fill(Point from, int count, Cell with) = 0;
    // Copies the cells of `source` so that its top-left cell lands on `to`;
    // the cells of `source` that the copy does not cover become `fill`. When
    // `clip` is given, only cells inside it change. Only the part of `source`
    // on the screen is copied or filled.
    virtual void scroll(Rect source, const Rect* clip, Point to, Cell fill) = 0;
    // Rectangles of cells, row by row. False when the rectangle is empty or
    // wholly outside the screen; cells outside it are skipped (read_cells
    // leaves them as they were in `out`).
    virtual bool read_cells(Rect area, Cell* out) const = 0;
    virtual bool write_cells(Rect area, const Cell* cells) = 0;
    // The cells a person sees: the top-left part of the screen buffer as
    // large as the terminal, where that is smaller than the buffer.
    virtual Size visible_size() const { return size(); }
    // Every cell of the screen takes `attr`, its character kept; on a
    // terminal also what the console did not draw, where the terminal can
    // recolour it (its default colours).
    virtual void recolour(unsigned char attr);
    // Shows what follows on a screen of its own (the terminal's alternate
    // screen) over a copy of the cells the console knows, until end_overlay
    // puts the screen, the cells, the cursor and the attribute back as they
    // were, text the console did not draw included. False where there is
    // no such screen: then nothing changed.
    virtual bool begin_overlay() { return false; }
    virtual void end_overlay() {}

    // A batch groups the device operations of one library call: the terminal
    // sends what changed once, in one write, when the outermost batch ends.
    // Outside a batch every operation is sent at once.
    virtual void begin_batch() {}
    virtual void end_batch() {}

    // Something other than the device wrote to the terminal (standard error,
    // or standard output through stdio): where the terminal's cursor is,
    // which attribute it draws with and what any cell shows are not known
    // any more. The next cursor move is made absolute, the next attribute is
    // sent in full, and the cells an operation changes are all sent; the
    // terminal's cursor stays where the other writer left it until the
    // console moves its own. (The terminal device notices stdio's writes on
    // standard output by itself.)
    virtual void terminal_written_outside() {}
};

// The device the console routines use: the terminal device unless another
// was installed.
Device& device();
// Test seam: installs `replacement` (the caller keeps it alive while
// installed); null goes back to the terminal device.
void install_device(Device* replacement);

class Batch {
public:
    Batch() : device_(device()) { device_.begin_batch(); }
    ~Batch() { device_.end_batch(); }
    Batch(const Batch&) = delete;
    Batch& operator=(const Batch&) = delete;
    Device& operator*() const { return device_; }
    Device* operator->() const { return &device_; }

private:
    Device& device_;
};

// The terminal device, made on first use; it touches the terminal only when
// an operation needs it.
Device& terminal_device();

}  // namespace versos::console
