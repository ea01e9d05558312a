#include "tests/doubles/scripted.h"

#include <gtest/gtest.h>

#include <utility>

#include "core/random.h"

namespace versos::testing {
namespace {

std::vector<int> script;
std::size_t next = 0;

int scripted_draw() {
    if (next >= script.size()) {
        ADD_FAILURE() << "a draw beyond the " << script.size() << " scripted";
        return 0;
    }
    return script[next++];
}

}  // namespace

ScriptedDraws::ScriptedDraws(std::vector<int> values) {
    script = std::move(values);
    next = 0;
    set_draw_source(scripted_draw);
}

ScriptedDraws::~ScriptedDraws() { set_draw_source(nullptr); }

std::size_t ScriptedDraws::remaining() const { return script.size() - next; }

MemoryClipboard::MemoryClipboard() { use_clipboard(this); }
MemoryClipboard::~MemoryClipboard() { use_clipboard(nullptr); }

bool MemoryClipboard::open() {
    if (held_elsewhere || is_open_) return false;
    is_open_ = true;
    return true;
}

void MemoryClipboard::empty() {
    EXPECT_TRUE(is_open_) << "emptied without opening";
    item.reset();
}

bool MemoryClipboard::set_text(const char* text, std::size_t length) {
    EXPECT_TRUE(is_open_) << "written without opening";
    item.emplace(text, length);
    ++writes;
    return true;
}

bool MemoryClipboard::close() {
    const bool was_open = is_open_;
    is_open_ = false;
    return was_open;
}

ReadResult MemoryClipboard::read_text(TextFormat, std::string& out, std::string&) {
    if (!item) return ReadResult::no_text;
    out = *item;
    return ReadResult::text;
}

}  // namespace versos::testing
