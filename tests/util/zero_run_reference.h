// The zero-run codecs done one byte at a time, step by step as their
// algorithms read, for checking the block codecs of the library against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace versos::reference {

using Bytes = std::vector<std::uint8_t>;

// Zero-run format: in a run, c + 1 zeros are pending.
inline Bytes encode_plain(const Bytes& in) {
    Bytes out;
    bool in_run = false;
    unsigned c = 0;
    for (std::size_t i = 0; i <= in.size(); ++i) {
        const bool end = i == in.size();
        if (!end && in[i] == 0) {
            if (!in_run) {
                in_run = true;
            } else if (c == 255) {
                out.insert(out.end(), {0x00, 0xFF});
                c = 0;
            } else {
                ++c;
            }
            continue;
        }
        if (in_run) {
            out.insert(out.end(), {0x00, static_cast<std::uint8_t>(c)});
            c = 0;
            in_run = false;
        }
        if (!end) out.push_back(in[i]);
    }
    return out;
}

// Extended format: c + 1 zeros pending until the first FF is written, c after.
inline Bytes encode_extended(const Bytes& in) {
    Bytes out;
    bool in_run = false, continuing = false;
    unsigned c = 0;
    for (std::size_t i = 0; i <= in.size(); ++i) {
        const bool end = i == in.size();
        if (!end && in[i] == 0) {
            if (!in_run) {
                in_run = true;
                c = 0;
            } else if (c == 255) {
                if (!continuing) out.push_back(0x00);
                continuing = true;
                out.push_back(0xFF);
                c = 1;
            } else {
                ++c;
            }
            continue;
        }
        if (in_run) {
            if (!continuing) out.push_back(0x00);
            out.push_back(static_cast<std::uint8_t>(c));
            if (c == 255) out.push_back(0x00);
            c = 0;
            in_run = continuing = false;
        }
        if (!end) out.push_back(in[i]);
    }
    return out;
}

// A count byte missing at the end of the stream ends it, adding nothing.
inline Bytes decode(const Bytes& in, bool extended) {
    Bytes out;
    std::size_t i = 0;
    while (i < in.size()) {
        const std::uint8_t b = in[i++];
        if (b != 0) {
            out.push_back(b);
            continue;
        }
        if (i == in.size()) break;
        std::uint8_t count = in[i++];
        out.insert(out.end(), std::size_t{count} + 1, 0);
        while (extended && count == 0xFF) {
            if (i == in.size()) break;
            count = in[i++];
            out.insert(out.end(), count, 0);
        }
    }
    return out;
}

}  // namespace versos::reference
