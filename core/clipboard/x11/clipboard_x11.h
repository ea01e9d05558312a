// The X11 clipboard: the CLIPBOARD selection of the display named by
// DISPLAY, through libxcb.
//
//   open       connect (once per process; a display that can't be reached
//              or doesn't answer in time stays unreachable, so the open
//              fails, now and in the rest of the run);
//   empty      make CLIPBOARD ownerless: no item of any format;
//   set text   own CLIPBOARD with a window of this connection, then hand the
//              connection to a detached child that answers requests until
//              another client takes the selection (see
//              x11_selection_owner.h);
//   close      make sure the server has carried out the above.
//
// Every wait on the server is bounded (kX11AnswerBudget), so a run with a
// display that can't be reached still ends at once.
#pragma once

#include <chrono>

#include "core/clipboard/clipboard_device.h"
#include "core/clipboard/x11/x11_atoms.h"
#include "core/clipboard/x11/x11_connection.h"

namespace versos {

inline constexpr std::chrono::milliseconds kX11AnswerBudget{750};

class X11Clipboard final : public ClipboardDevice {
public:
    // `budget`: how long each wait on the server or on the selection's
    // owner may last.
    explicit X11Clipboard(std::chrono::milliseconds budget = kX11AnswerBudget) : budget_(budget) {}

    bool open() override;
    void empty() override;
    bool set_text(const char* text, std::size_t length) override;
    bool close() override;
    ReadResult read_text(TextFormat format, std::string& out, std::string& why) override;

private:
    bool ensure_connected(std::string& why);
    void forget_connection();
    bool own_selection(xcb_window_t& window, xcb_timestamp_t& since);

    std::chrono::milliseconds budget_;
    X11Connection conn_;
    X11Atoms atoms_{};
    std::string unreachable_;  // why the display can't be used; empty while it can
    bool open_ = false;
};

}  // namespace versos
