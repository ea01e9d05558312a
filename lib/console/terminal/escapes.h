// The escape sequences the terminal device sends, each in its shortest form,
// and an output buffer that keeps its storage from one flush to the next.
#pragma once

#include <cstddef>
#include <vector>

namespace versos::console {

// The Linux console lacks DECSCUSR (it would print its final byte) and, on
// older kernels, the bright colours 90-97 and 100-107: it gets bold and
// blink for the bright foreground and background instead (which it shows as
// bright colours), and its own cursor-size sequence.
enum class TerminalKind { kAnsi, kLinuxConsole };
// The kind TERM names.
TerminalKind terminal_kind();

class Output {
public:
    void clear() { size_ = 0; }
    // Drops what was put after the first n bytes.
    void truncate(std::size_t n) {
        if (n < size_) size_ = n;
    }
    bool empty() const { return size_ == 0; }
    const char* data() const { return bytes_.data(); }
    std::size_t size() const { return size_; }
    void reserve(std::size_t n) {
        if (n > bytes_.size()) bytes_.resize(n);
    }
    void put(char c) {
        if (size_ == bytes_.size()) grow(1);
        bytes_[size_++] = c;
    }
    void put(const char* text, std::size_t n) {
        if (bytes_.size() - size_ < n) grow(n);
        for (std::size_t i = 0; i < n; ++i) bytes_[size_ + i] = text[i];
        size_ += n;
    }
    template <std::size_t N>
    void put(const char (&text)[N]) {
        put(text, N - 1);
    }
    void put_number(int n);

private:
    void grow(std::size_t n) { bytes_.resize(bytes_.size() * 2 + n + 256); }

    std::vector<char> bytes_;
    std::size_t size_ = 0;
};

// Where the terminal's cursor is, 0-based; -1 where not known (at start,
// after writing the last column, whose pending wrap leaves it ambiguous, and
// after sequences that leave it so).
struct TermCursor {
    int row = -1, col = -1;
};

// The bytes the shortest way from `at` to (row, col) takes: an absolute
// move, relative moves, CR, CR LF, or a column move; only within the screen,
// so that no line feed or index ever scrolls.
int move_length(const TermCursor& at, int row, int col);
void move_cursor(Output& out, TermCursor& at, int row, int col);

// The attribute the terminal draws with: a Windows console attribute, or -1
// when not known.
int pen_length(int pen, unsigned char attr, TerminalKind kind);
void set_pen(Output& out, int& pen, unsigned char attr, TerminalKind kind);

// Sequences sent whole. The restore at a signal copies these very strings,
// so each is a constant.
inline constexpr char kResetPen[] = "\x1b[0m";
inline constexpr char kShowCursor[] = "\x1b[?25h";
inline constexpr char kHideCursor[] = "\x1b[?25l";
inline constexpr char kEnterAlternateScreen[] = "\x1b[?1049h";
inline constexpr char kLeaveAlternateScreen[] = "\x1b[?1049l";
// OSC 110 and 111: the terminal's own default colours back.
inline constexpr char kTerminalColours[] = "\x1b]110\x1b\\\x1b]111\x1b\\";
// The terminal's own cursor shape back: DECSCUSR 0, or the Linux console's
// cursor size 0.
inline constexpr char kTerminalCursorShape[] = "\x1b[0 q";
inline constexpr char kLinuxTerminalCursorShape[] = "\x1b[?0c";

inline void erase_to_line_end(Output& out) { out.put("\x1b[K"); }
inline void erase_to_screen_end(Output& out) { out.put("\x1b[J"); }
// ECH: n cells from the cursor on blank in the pen's background; the cursor
// stays.
void erase_characters(Output& out, int n);
int erase_characters_length(int n);
// IL and DL: at the cursor row, within the whole screen.
void insert_lines(Output& out, int n);
void delete_lines(Output& out, int n);
int lines_length(int n);

void show_cursor(Output& out, bool visible);

// The alternate screen (with the cursor saved on the way in and put back on
// the way out), where the terminal has one.
inline void enter_alternate_screen(Output& out) { out.put(kEnterAlternateScreen); }
inline void leave_alternate_screen(Output& out) { out.put(kLeaveAlternateScreen); }
// DECSC and DECRC: the cursor and the pen, saved and put back.
inline void save_cursor(Output& out) { out.put("\x1b" "7"); }
inline void restore_cursor(Output& out) { out.put("\x1b" "8"); }
// OSC 10 and 11: the colours of text drawn with the terminal's defaults,
// the foreground and background of `attr`.
void default_colours(Output& out, unsigned char attr);
// Block or underline, or the terminal's own shape back.
enum class CursorForm { kTerminalDefault, kBlock, kUnderline };
void shape_cursor(Output& out, CursorForm form, TerminalKind kind);

}  // namespace versos::console
