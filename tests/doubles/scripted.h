// Test doubles for the generator: scripted draws in place of the random
// source, and an in-memory clipboard in place of the session's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/clipboard/clipboard_device.h"

namespace versos::testing {

// While alive, rand() returns the given values in order. Reading past the
// script fails the test (and returns 0), so a generator that draws more
// than it should is caught; remaining() catches one that draws fewer.
class ScriptedDraws {
public:
    explicit ScriptedDraws(std::vector<int> values);
    ~ScriptedDraws();
    ScriptedDraws(const ScriptedDraws&) = delete;
    ScriptedDraws& operator=(const ScriptedDraws&) = delete;

    std::size_t remaining() const;
};

// A clipboard that holds at most one text item, in memory.
class MemoryClipboard final : public ClipboardDevice {
public:
    MemoryClipboard();  // installs itself as the session's clipboard
    ~MemoryClipboard() override;

    bool open() override;
    void empty() override;
    bool set_text(const char* text, std::size_t length) override;
    bool close() override;
    ReadResult read_text(TextFormat, std::string& out, std::string&) override;

    std::optional<std::string> item;  // the text item, if any
    bool held_elsewhere = false;      // makes open() fail, as when another program holds it
    int writes = 0;                   // successful set_text calls

private:
    bool is_open_ = false;
};

}  // namespace versos::testing
