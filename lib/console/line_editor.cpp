// The editing field of getsf_: the whole state of one call in LineEditor, one
// small function a key.
#include <versos/consola/line_editor.h>
#include <versos/consola/text_window.h>

#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>

#include "lib/console/device.h"
#include "lib/console/message_box.h"
#include "lib/console/outside_writes.h"
#include "lib/console/two_byte_keys.h"
#include "lib/charsets/cp850.h"

namespace versos {

namespace {

constexpr unsigned kLeft = 75, kRight = 77, kHome = 71, kEnd = 79, kDelete = 83;
// Insert toggles the mode; so does a pair whose second code is the prefix
// 224 itself.
constexpr unsigned kInsert = 82, kPrefixAsInsert = 224;
constexpr unsigned kTyped = 255;  // typed byte c comes as kTyped + c
constexpr unsigned kEnter = kTyped + 13, kLineFeed = kTyped + 10, kBackspace = kTyped + 8;
constexpr int kRowWidth = 80;
// _setcursortype's cursor types.
constexpr int kBlockCursorType = 1, kUnderlineCursorType = 2;

constexpr char kTitle[] =
    "\xA1"
    "Atenci\xF3n!";
constexpr char kNoPlaceLeft[] =
    "La cadena est\xE1 completa. No se pueden a\xF1"
    "adir m\xE1s caracteres.";
constexpr char kFullForInsert[] =
    "La cadena est\xE1 completa. No se pueden incluir m\xE1s\n"
    "caracteres con el modo de inserci\xF3n activado.";

struct LineEditor {
    char* text = nullptr;
    int size = 0;
    int length = 0;
    int at = 0;
    bool inserting = true;
    bool warned = false;  // a message was shown, and no key carried out since
    // The console position (1-based column and row) of every index 0..size-1.
    std::unique_ptr<unsigned char[]> column, row;
};

bool make_positions(LineEditor& e) {
    e.column.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(e.size)]);
    e.row.reset(new (std::nothrow) unsigned char[static_cast<std::size_t>(e.size)]);
    if (!e.column || !e.row) return false;
    e.column[0] = static_cast<unsigned char>(wherex());
    e.row[0] = static_cast<unsigned char>(wherey());
    for (int i = 1; i < e.size; ++i) {
        e.column[i] = static_cast<unsigned char>(e.column[i - 1] + 1);
        e.row[i] = e.row[i - 1];
        if (e.column[i] == kRowWidth + 1) {
            e.column[i] = 1;
            e.row[i] = static_cast<unsigned char>(e.row[i] + 1);
        }
    }
    return true;
}

void place_cursor(const LineEditor& e, int index) { gotoxy(e.column[index], e.row[index]); }

// Written at the console cursor, shown at once. Without a console nothing
// is shown while editing: the final text is, once (show_final_text).
void echo(const char* bytes, int count) {
    console::Device& console = console::device();
    if (console.shows_output()) console.write(bytes, count);
}

// Without a console: the edited text on standard error, as the glyphs the
// console would have shown.
void show_final_text(const char* bytes, int count) {
    if (console::device().shows_output()) return;
    console::write_on_standard_error(cp850::utf8_text(std::string_view(bytes, static_cast<std::size_t>(count)), false));
}

void erase_shown(const LineEditor& e, int shown_length) {
    static constexpr char kBlanks[] = "                                                                ";
    place_cursor(e, 0);
    for (int left = shown_length; left > 0;) {
        const int piece = left < static_cast<int>(sizeof kBlanks - 1) ? left : static_cast<int>(sizeof kBlanks - 1);
        echo(kBlanks, piece);
        left -= piece;
    }
}

void show_text(const LineEditor& e) {
    place_cursor(e, 0);
    echo(e.text, e.length);
}

void warn(LineEditor& e, const char* message) {
    if (!e.warned) console::message_box(kTitle, message);
    e.warned = true;
}

void move_left(LineEditor& e) {
    if (e.at > 0) --e.at;
    place_cursor(e, e.at);
}

void move_right(LineEditor& e) {
    if (e.at < e.length) ++e.at;
    place_cursor(e, e.at);
}

void go_home(LineEditor& e) {
    e.at = 0;
    place_cursor(e, e.at);
}

void go_end(LineEditor& e) {
    e.at = e.length;
    place_cursor(e, e.at);
}

// Removes the character at `index`, and shows the text again.
void remove_at(LineEditor& e, int index) {
    erase_shown(e, e.length);
    std::memmove(e.text + index, e.text + index + 1, static_cast<std::size_t>(e.length - index));
    --e.length;
    show_text(e);
}

void delete_here(LineEditor& e) {
    if (e.at >= e.length) return;
    remove_at(e, e.at);
    place_cursor(e, e.at);
}

void delete_before(LineEditor& e) {
    if (e.at == 0) return;
    remove_at(e, e.at - 1);
    --e.at;
    place_cursor(e, e.at);
}

void toggle_mode(LineEditor& e) {
    e.inserting = !e.inserting;
    _setcursortype(e.inserting ? kBlockCursorType : kUnderlineCursorType);
}

void type(LineEditor& e, char c) {
    if (e.at == e.size - 1) return warn(e, kNoPlaceLeft);
    if (e.inserting && e.length == e.size - 1) return warn(e, kFullForInsert);
    e.warned = false;
    console::Batch batch;
    if (e.inserting) {
        std::memmove(e.text + e.at + 1, e.text + e.at, static_cast<std::size_t>(e.length - e.at + 1));
        e.text[e.at] = c;
        ++e.length;
        show_text(e);
    } else {
        if (e.at == e.length) e.text[++e.length] = '\0';
        e.text[e.at] = c;
        echo(&c, 1);
    }
    ++e.at;
    place_cursor(e, e.at);
}

// What a key does; any other extended key does nothing. Cursor and deletion
// keys are carried out even where they have nothing to do (Left at the
// start), drawn in one batch, and let the next refusal be told again.
struct KeyAction {
    unsigned key;
    void (*carry_out)(LineEditor&);
    bool edits;  // a cursor or deletion key
};
constexpr KeyAction kKeyActions[] = {
    {kInsert, toggle_mode, false}, {kPrefixAsInsert, toggle_mode, false},
    {kLeft, move_left, true},      {kRight, move_right, true},
    {kHome, go_home, true},        {kEnd, go_end, true},
    {kDelete, delete_here, true},  {kBackspace, delete_before, true},
};

void carry_out(LineEditor& e, unsigned key) {
    if (key > kTyped && key != kBackspace) return type(e, static_cast<char>(key - kTyped));
    for (const KeyAction& action : kKeyActions) {
        if (action.key != key) continue;
        if (!action.edits) return action.carry_out(e);
        e.warned = false;
        console::Batch batch;
        return action.carry_out(e);
    }
}

}  // namespace

unsigned getspecialkey_() {
    const int key = getch_();
    // Typed Ó is 224 too: only the device knows whether a cursor key began.
    if (console::may_begin_pair(key) && console::device().key_began_pair()) return static_cast<unsigned>(getch_());
    return static_cast<unsigned>(key) + kTyped;
}

void getsf_(char* buffer, int size) {
    if (size < 1) return;
    LineEditor e;
    e.text = buffer;
    e.size = size;
    if (!make_positions(e)) return;
    buffer[size - 1] = '\0';
    {
        console::Batch batch;
        _setcursortype(kBlockCursorType);
        e.length = static_cast<int>(std::strlen(buffer));
        e.at = e.length;
        echo(buffer, e.length);
        place_cursor(e, e.at);
    }
    for (;;) {
        const unsigned key = getspecialkey_();
        if (key == kEnter || key == kLineFeed) break;
        carry_out(e, key);
    }
    show_final_text(e.text, e.length);
}

}  // namespace versos
