// The X11 device in this process, as the clipboard writers and versos-pegar
// use it, and the owner's answers to requests that xclip can't make.
#include <gtest/gtest.h>
#include <poll.h>
#include <xcb/xcb.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "core/clipboard/clipboard.h"
#include "core/clipboard/x11/clipboard_x11.h"
#include "tests/x11/x11_harness.h"

namespace {

using versos::ReadResult;
using versos::TextFormat;

class X11Device : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("DISPLAY", x11test::test_display().c_str(), 1);
        before_ = x11test::children();
        versos::use_clipboard(&clip_);
    }
    void TearDown() override {
        versos::use_clipboard(nullptr);
        unsetenv("DISPLAY");
    }
    // The owner child that this test's put_on_clipboard left, if any.
    pid_t owner() const { return x11test::new_child(before_); }

    versos::X11Clipboard clip_;
    std::set<pid_t> before_;
};

TEST_F(X11Device, EveryByteValueSurvivesAndClearingLeavesNoItem) {
    std::string all;  // 255 bytes, the longest fragment there can be
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    EXPECT_EQ(versos::put_on_clipboard(all.c_str()), 1);
    std::string raw, utf8, why;
    EXPECT_EQ(clip_.read_text(TextFormat::windows1252, raw, why), ReadResult::text) << why;
    EXPECT_EQ(raw, all);
    EXPECT_EQ(clip_.read_text(TextFormat::utf8, utf8, why), ReadResult::text) << why;
    EXPECT_EQ(utf8, x11test::to_utf8(all));

    const pid_t child = owner();
    ASSERT_GT(child, 0);
    EXPECT_EQ(versos::clearclip(), 1);
    EXPECT_EQ(x11test::wait_exit(child, 3), 0);
    std::string none;
    EXPECT_EQ(clip_.read_text(TextFormat::utf8, none, why), ReadResult::no_text);
}

TEST_F(X11Device, TextTooLargeForOneAnswerIsRefusedLeavingTheClipboardEmpty) {
    versos::put_on_clipboard("antes");
    const std::string huge(300000, 'a');  // beyond one request without the incremental transfer
    versos::put_on_clipboard(huge.c_str());
    std::string out, why;
    EXPECT_EQ(clip_.read_text(TextFormat::windows1252, out, why), ReadResult::no_text) << out.size() << " " << why;
    EXPECT_EQ(x11test::wait_exit(owner(), 3), 0) << "the earlier owner must be gone";
}

// A bare client: asks for conversions and reads what the owner answers.
class Requestor {
public:
    Requestor() : c_(xcb_connect(x11test::test_display().c_str(), nullptr)) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
        window_ = xcb_generate_id(c_);
        xcb_create_window(c_, 0, window_, screen->root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
                          XCB_COPY_FROM_PARENT, 0, nullptr);
    }
    ~Requestor() { xcb_disconnect(c_); }

    xcb_atom_t atom(const char* name) {
        xcb_intern_atom_reply_t* r =
            xcb_intern_atom_reply(c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = r != nullptr ? r->atom : XCB_NONE;
        std::free(r);
        return a;
    }
    void set(xcb_atom_t property, xcb_atom_t type, const std::vector<xcb_atom_t>& words) {
        xcb_change_property(c_, XCB_PROP_MODE_REPLACE, window_, property, type, 32, static_cast<uint32_t>(words.size()),
                            words.data());
    }
    std::string get(xcb_atom_t property) {
        xcb_get_property_reply_t* r = xcb_get_property_reply(
            c_, xcb_get_property(c_, 0, window_, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 1 << 16), nullptr);
        std::string value;
        if (r != nullptr)
            value.assign(static_cast<const char*>(xcb_get_property_value(r)),
                         static_cast<std::size_t>(xcb_get_property_value_length(r)));
        std::free(r);
        return value;
    }
    // The property named in the owner's answer (None for a refusal), or -1
    // without an answer within 3 s.
    long convert(xcb_atom_t target, xcb_atom_t property, xcb_timestamp_t time = XCB_CURRENT_TIME) {
        xcb_convert_selection(c_, window_, atom("CLIPBOARD"), target, property, time);
        return answer();
    }
    // Takes CLIPBOARD from its owner and, before that owner can do anything
    // more (the server is grabbed meanwhile), sends it a request of its own
    // making, which it finds right after its SelectionClear. The answer, as
    // convert gives it.
    long take_then_ask(xcb_atom_t target, xcb_atom_t property) {
        const xcb_atom_t clipboard = atom("CLIPBOARD");
        xcb_get_selection_owner_reply_t* owner =
            xcb_get_selection_owner_reply(c_, xcb_get_selection_owner(c_, clipboard), nullptr);
        const xcb_window_t old = owner != nullptr ? owner->owner : XCB_NONE;
        std::free(owner);
        xcb_selection_request_event_t request;
        std::memset(&request, 0, sizeof request);
        request.response_type = XCB_SELECTION_REQUEST;
        request.time = XCB_CURRENT_TIME;
        request.owner = old;
        request.requestor = window_;
        request.selection = clipboard;
        request.target = target;
        request.property = property;
        xcb_grab_server(c_);
        xcb_set_selection_owner(c_, window_, clipboard, XCB_CURRENT_TIME);
        xcb_send_event(c_, 0, old, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&request));
        xcb_ungrab_server(c_);
        return answer();
    }

private:
    long answer() {
        xcb_flush(c_);
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (std::chrono::steady_clock::now() < end) {
            xcb_generic_event_t* e = xcb_poll_for_event(c_);
            if (e == nullptr) {
                pollfd p{xcb_get_file_descriptor(c_), POLLIN, 0};
                poll(&p, 1, 100);
                continue;
            }
            const bool answer = (e->response_type & 0x7f) == XCB_SELECTION_NOTIFY;
            const long got = answer ? reinterpret_cast<xcb_selection_notify_event_t*>(e)->property : 0;
            std::free(e);
            if (answer) return got;
        }
        return -1;
    }

    xcb_connection_t* c_;
    xcb_window_t window_;
};

TEST_F(X11Device, OwnerAnswersMultipleAndRefusesWhatItDoesNotServe) {
    const std::string text =
        "Camina la noche \xe9"
        "bria";
    ASSERT_EQ(versos::put_on_clipboard(text.c_str()), 1);
    Requestor r;
    const xcb_atom_t list = r.atom("VERSOS_TEST_LIST"), p1 = r.atom("VERSOS_TEST_1"), p2 = r.atom("VERSOS_TEST_2"),
                     p3 = r.atom("VERSOS_TEST_3"), png = r.atom("image/png"), utf8 = r.atom("UTF8_STRING");
    r.set(list, r.atom("ATOM_PAIR"), {XCB_ATOM_STRING, p1, png, p2, utf8, p3});
    ASSERT_EQ(r.convert(r.atom("MULTIPLE"), list), static_cast<long>(list));
    std::vector<xcb_atom_t> pairs(6);
    const std::string answered = r.get(list);
    ASSERT_EQ(answered.size(), pairs.size() * sizeof(xcb_atom_t));
    std::memcpy(pairs.data(), answered.data(), answered.size());
    EXPECT_EQ(pairs, (std::vector<xcb_atom_t>{XCB_ATOM_STRING, p1, png, XCB_NONE, utf8, p3}));
    EXPECT_EQ(r.get(p1), text);
    EXPECT_EQ(r.get(p3), x11test::to_utf8(text));

    EXPECT_EQ(r.convert(png, p2), static_cast<long>(XCB_NONE));
    EXPECT_EQ(r.convert(r.atom("MULTIPLE"), XCB_NONE), static_cast<long>(XCB_NONE)) << "MULTIPLE needs its list";
    EXPECT_EQ(r.convert(XCB_ATOM_STRING, p2, 1), static_cast<long>(XCB_NONE)) << "a request from before the ownership";
    EXPECT_EQ(r.convert(XCB_ATOM_STRING, XCB_NONE), static_cast<long>(XCB_ATOM_STRING))
        << "a requestor of the old convention gets the target as property";
    EXPECT_EQ(r.get(XCB_ATOM_STRING), text);
    versos::clearclip();
    EXPECT_EQ(x11test::wait_exit(owner(), 3), 0);
}

// An owner that has lost the selection still gets the requests already on
// their way: each is refused, so that its requestor asks again rather than
// waiting for ever.
TEST_F(X11Device, RequestArrivingAfterTheSelectionIsLostIsRefusedNotDropped) {
    ASSERT_EQ(versos::put_on_clipboard("antes"), 1);
    const pid_t child = owner();
    ASSERT_GT(child, 0);
    Requestor r;
    EXPECT_EQ(r.take_then_ask(XCB_ATOM_STRING, r.atom("VERSOS_TEST_1")), static_cast<long>(XCB_NONE))
        << "-1: the request was dropped";
    EXPECT_EQ(x11test::wait_exit(child, 3), 0);
}

}  // namespace
