#include "tests/console/terminal/vterm_screen.h"

#include "lib/charsets/utf8.h"

namespace versos::console::testing {
namespace {

int colour_index(const VTermColor& c, bool foreground) {
    if (foreground ? VTERM_COLOR_IS_DEFAULT_FG(&c) : VTERM_COLOR_IS_DEFAULT_BG(&c)) return -1;
    return VTERM_COLOR_IS_INDEXED(&c) ? c.indexed.idx : -2;
}

}  // namespace

VtermScreen::VtermScreen(int rows, int columns) : rows_(rows), columns_(columns) {
    vt_ = vterm_new(rows, columns);
    vterm_set_utf8(vt_, 1);
    screen_ = vterm_obtain_screen(vt_);
    static const VTermScreenCallbacks callbacks = {nullptr, nullptr, nullptr, on_property,
                                                   nullptr, nullptr, nullptr, nullptr};
    vterm_screen_set_callbacks(screen_, &callbacks, this);
    vterm_screen_enable_altscreen(screen_, 1);
    vterm_screen_reset(screen_, 1);
    state_ = vterm_obtain_state(vt_);
}

VtermScreen::~VtermScreen() { vterm_free(vt_); }

int VtermScreen::on_property(VTermProp prop, VTermValue* value, void* self) {
    auto* s = static_cast<VtermScreen*>(self);
    if (prop == VTERM_PROP_CURSORVISIBLE) s->cursor_visible_ = value->boolean;
    if (prop == VTERM_PROP_CURSORSHAPE) s->cursor_shape_ = value->number;
    return 1;
}

void VtermScreen::feed(const std::string& bytes) {
    if (!bytes.empty()) vterm_input_write(vt_, bytes.data(), bytes.size());
}

VtermScreen::Shown VtermScreen::at(int row, int column) const {
    VTermScreenCell cell;
    vterm_screen_get_cell(screen_, VTermPos{row, column}, &cell);
    return Shown{cell.chars[0] ? cell.chars[0] : U' ', colour_index(cell.fg, true), colour_index(cell.bg, false),
                 cell.attrs.bold != 0, cell.attrs.blink != 0};
}

VTermPos VtermScreen::cursor() const {
    VTermPos p;
    vterm_state_get_cursorpos(state_, &p);
    return p;
}

bool VtermScreen::pen_is_default() const {
    VTermValue fg, bg, bold, blink, reverse;
    vterm_state_get_penattr(state_, VTERM_ATTR_FOREGROUND, &fg);
    vterm_state_get_penattr(state_, VTERM_ATTR_BACKGROUND, &bg);
    vterm_state_get_penattr(state_, VTERM_ATTR_BOLD, &bold);
    vterm_state_get_penattr(state_, VTERM_ATTR_BLINK, &blink);
    vterm_state_get_penattr(state_, VTERM_ATTR_REVERSE, &reverse);
    return VTERM_COLOR_IS_DEFAULT_FG(&fg.color) && VTERM_COLOR_IS_DEFAULT_BG(&bg.color) && !bold.boolean &&
           !blink.boolean && !reverse.boolean;
}

std::string VtermScreen::row_text(int row) const {
    std::string text;
    for (int c = 0; c < columns_; ++c) charsets::append_utf8(text, at(row, c).ch);
    return text;
}

}  // namespace versos::console::testing
