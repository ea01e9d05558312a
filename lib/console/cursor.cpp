// The cursor's shape.
#include <versos/consola/text_window.h>

#include "lib/console/window_state.h"

namespace versos {

void _setcursortype(int type) {
    console::Batch batch;
    console::CursorShape shape = batch->cursor_shape();
    switch (type) {
        case 0:
            shape.visible = false;
            break;
        case 1:
            shape = {true, 100};
            break;
        case 2:
            shape = {true, 10};
            break;
        default:
            return;  // no shape of that number: the cursor stays as it is
    }
    batch->set_cursor_shape(shape);
}

}  // namespace versos
