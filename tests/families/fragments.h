// Runs a generator or a picker on scripted draws and returns what it put on
// the clipboard (or in palabra), checking that it used every draw.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/buffers.h"
#include "core/clipboard_destination.h"
#include "tests/doubles/scripted.h"

namespace versos::testing {

// UTF-8 as written in the tests, to the Windows-1252 bytes of the tables.
// Only the Latin-1 letters occur, so each two-byte sequence is one byte.
inline std::string w1252(const std::string& utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b == 0xC2 || b == 0xC3) {
            out += static_cast<char>(((b & 0x03) << 6) | (static_cast<unsigned char>(utf8[++i]) & 0x3F));
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

// The fragment a composite generator leaves on the clipboard. Fails the test
// if the generator draws more or fewer values than scripted, or does not
// leave exactly one text item.
inline std::string fragment(int (*generator)(), const std::vector<int>& draws) {
    MemoryClipboard clipboard;
    ClipboardDestination to_clipboard;
    const FragmentsGoTo to(to_clipboard);
    ScriptedDraws script(draws);
    palabra[0] = frase[0] = '\0';
    generator();
    EXPECT_EQ(script.remaining(), 0u) << "the generator left scripted draws unused";
    EXPECT_EQ(clipboard.writes, 1) << "one text item per fragment";
    return clipboard.item.value_or("<no item>");
}

// The entry a picker leaves in palabra for one raw value of the random source.
inline std::string entry(void (*picker)(), int value) {
    ScriptedDraws script({value});
    picker();
    EXPECT_EQ(script.remaining(), 0u);
    return palabra;
}

}  // namespace versos::testing
