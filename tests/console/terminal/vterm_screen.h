// A terminal emulator (libvterm) as the reference for what a terminal shows
// after the console device's output.
#pragma once

#include <vterm.h>

#include <string>

namespace versos::console::testing {

class VtermScreen {
public:
    VtermScreen(int rows, int columns);
    ~VtermScreen();
    VtermScreen(const VtermScreen&) = delete;
    VtermScreen& operator=(const VtermScreen&) = delete;

    void feed(const std::string& bytes);
    int rows() const { return rows_; }
    int columns() const { return columns_; }

    struct Shown {
        char32_t ch;  // a space for an empty cell
        int fg, bg;   // palette indexes 0..15; -1 for the terminal's default colour
        bool bold, blink;
    };
    Shown at(int row, int column) const;
    VTermPos cursor() const;
    bool cursor_visible() const { return cursor_visible_; }
    int cursor_shape() const { return cursor_shape_; }  // VTERM_PROP_CURSORSHAPE_*
    // The pen has the terminal's default colours and no attributes.
    bool pen_is_default() const;
    // The text of a row, empty cells as spaces, as UTF-8.
    std::string row_text(int row) const;

private:
    static int on_property(VTermProp prop, VTermValue* value, void* self);

    VTerm* vt_;
    VTermScreen* screen_;
    VTermState* state_;
    int rows_, columns_;
    bool cursor_visible_ = true;
    int cursor_shape_ = VTERM_PROP_CURSORSHAPE_BLOCK;
};

}  // namespace versos::console::testing
