#include "lib/console/terminal/key_decoder.h"

#include "lib/charsets/cp850.h"

namespace versos::console {
namespace {

enum Key { kHome, kUp, kPgUp, kLeft, kRight, kEnd, kDown, kPgDn, kInsert, kDelete, kF1, kF11 = kF1 + 10, kF12 };

struct Code {
    unsigned char prefix, code;
};
// Plain, Shift, Ctrl, Alt.
using Codes = Code[4];

constexpr Codes kEditing[] = {
    {{224, 71}, {224, 71}, {224, 119}, {0, 151}},  // Home
    {{224, 72}, {224, 72}, {224, 141}, {0, 152}},  // Up
    {{224, 73}, {224, 73}, {224, 134}, {0, 153}},  // PgUp
    {{224, 75}, {224, 75}, {224, 115}, {0, 155}},  // Left
    {{224, 77}, {224, 77}, {224, 116}, {0, 157}},  // Right
    {{224, 79}, {224, 79}, {224, 117}, {0, 159}},  // End
    {{224, 80}, {224, 80}, {224, 145}, {0, 160}},  // Down
    {{224, 81}, {224, 81}, {224, 118}, {0, 161}},  // PgDn
    {{224, 82}, {224, 82}, {224, 146}, {0, 162}},  // Insert
    {{224, 83}, {224, 83}, {224, 147}, {0, 163}},  // Delete
};
constexpr Codes kF11Codes = {{224, 133}, {224, 135}, {224, 137}, {224, 139}};
constexpr Codes kF12Codes = {{224, 134}, {224, 136}, {224, 138}, {224, 140}};

int put2(unsigned char* out, unsigned char prefix, unsigned char code) {
    out[0] = prefix;
    out[1] = code;
    return 2;
}

// xterm's modifier parameter: 1 + (1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
int modifier_column(int modifier) {
    int bits = modifier > 1 ? modifier - 1 : 0;
    if (bits & (2 | 8)) return 3;
    if (bits & 4) return 2;
    if (bits & 1) return 1;
    return 0;
}

int put_key(unsigned char* out, int key, int modifier) {
    int column = modifier_column(modifier);
    if (key < kF1) return put2(out, kEditing[key][column].prefix, kEditing[key][column].code);
    if (key == kF11) return put2(out, kF11Codes[column].prefix, kF11Codes[column].code);
    if (key == kF12) return put2(out, kF12Codes[column].prefix, kF12Codes[column].code);
    static constexpr unsigned char kFunctionBase[4] = {59, 84, 94, 104};
    return put2(out, 0, static_cast<unsigned char>(kFunctionBase[column] + key - kF1));
}

// The key of a final byte common to CSI and SS3, or -1.
int letter_key(unsigned char final_byte) {
    switch (final_byte) {
        case 'A':
            return kUp;
        case 'B':
            return kDown;
        case 'C':
            return kRight;
        case 'D':
            return kLeft;
        case 'H':
            return kHome;
        case 'F':
            return kEnd;
        case 'P':
            return kF1;
        case 'Q':
            return kF1 + 1;
        case 'R':
            return kF1 + 2;
        case 'S':
            return kF1 + 3;
        default:
            return -1;
    }
}

// The key of ESC [ n ~, or -1. Shift+F3..F10 of the Linux console come as
// 25..34; `shifted` tells.
int tilde_key(int n, bool& shifted) {
    shifted = false;
    switch (n) {
        case 1:
        case 7:
            return kHome;
        case 2:
            return kInsert;
        case 3:
            return kDelete;
        case 4:
        case 8:
            return kEnd;
        case 5:
            return kPgUp;
        case 6:
            return kPgDn;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
            return kF1 + n - 11;
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
            return kF1 + 5 + n - 17;
        case 23:
            return kF11;
        case 24:
            return kF12;
        case 25:
        case 26:
            shifted = true;
            return kF1 + 2 + n - 25;
        case 28:
        case 29:
            shifted = true;
            return kF1 + 4 + n - 28;
        case 31:
        case 32:
        case 33:
        case 34:
            shifted = true;
            return kF1 + 6 + n - 31;
        default:
            return -1;
    }
}

// Up to 2 numeric parameters, 0 where absent; false if the text is not
// digits and semicolons.
bool parse_params(const char* text, int length, int (&values)[2], int& count) {
    values[0] = values[1] = 0;
    count = length > 0 ? 1 : 0;
    for (int i = 0; i < length; ++i) {
        char c = text[i];
        if (c == ';') {
            if (count == 2) return false;
            ++count;
        } else if (c >= '0' && c <= '9') {
            int& v = values[count - 1];
            if (v > 999) return false;
            v = v * 10 + (c - '0');
        } else {
            return false;
        }
    }
    return true;
}

}  // namespace

int KeyDecoder::ground(unsigned char byte, unsigned char* out) {
    state_ = State::kGround;
    if (byte == 0x1B) {
        state_ = State::kEscape;
        return 0;
    }
    if (byte == 0x00) return put2(out, 0, 3);
    if (byte == 0x7F || byte == 0x08) {
        out[0] = 8;
        return 1;
    }
    if (byte < 0x80) {
        out[0] = byte;
        return 1;
    }
    if (byte >= 0xC2 && byte <= 0xF4) {
        length_ = byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        missing_ = length_ - 1;
        code_ = byte & (0x7F >> length_);
        state_ = State::kUtf8;
        return 0;
    }
    out[0] = '?';
    return 1;
}

int KeyDecoder::finish_csi(unsigned char final_byte, unsigned char* out) {
    state_ = State::kGround;
    int p[2], count;
    if (malformed_ || !parse_params(params_, param_length_, p, count)) return 0;
    int key = letter_key(final_byte);
    if (key >= 0) return p[0] <= 1 ? put_key(out, key, p[1]) : 0;
    if (final_byte == 'Z') return put2(out, 0, 15);
    int modifier;
    switch (final_byte) {
        case '~':
            modifier = p[1];
            break;
        case '$':
            modifier = 2;
            break;  // rxvt: Shift
        case '^':
            modifier = 5;
            break;  // Ctrl
        case '@':
            modifier = 6;
            break;  // Ctrl+Shift
        default:
            return 0;
    }
    bool shifted;
    key = tilde_key(p[0], shifted);
    if (key < 0) return 0;
    if (shifted && modifier <= 1) modifier = 2;
    return put_key(out, key, modifier);
}

int KeyDecoder::finish_ss3(unsigned char final_byte, unsigned char* out) {
    state_ = State::kGround;
    int p[2], count;
    if (malformed_ || !parse_params(params_, param_length_, p, count)) return 0;
    int key = letter_key(final_byte);
    if (key >= 0) return put_key(out, key, count == 2 ? p[1] : p[0]);
    // The keypad in application mode, should a program have left it so.
    unsigned char c = 0;
    if (final_byte == 'M') c = 13;
    if (final_byte == 'X') c = '=';
    if (final_byte >= 'j' && final_byte <= 'y') c = "*+,-./0123456789"[final_byte - 'j'];
    if (c == 0) return 0;
    out[0] = c;
    return 1;
}

int KeyDecoder::feed(unsigned char byte, unsigned char* out) {
    gave_character_ = false;
    switch (state_) {
        case State::kGround:
            return ground(byte, out);
        case State::kEscape:
            if (byte == '[' || byte == 'O') {
                state_ = byte == '[' ? State::kCsi : State::kSs3;
                param_length_ = 0;
                malformed_ = false;
                return 0;
            }
            out[0] = 27;
            return 1 + ground(byte, out + 1);
        case State::kCsi:
        case State::kSs3:
            if (state_ == State::kCsi && byte == '[' && param_length_ == 0 && !malformed_) {
                state_ = State::kCsiBracket;
                return 0;
            }
            if (byte >= 0x30 && byte <= 0x3F) {
                if (param_length_ < static_cast<int>(sizeof params_))
                    params_[param_length_++] = static_cast<char>(byte);
                else
                    malformed_ = true;
                return 0;
            }
            if (byte >= 0x40 && byte <= 0x7E)
                return state_ == State::kCsi ? finish_csi(byte, out) : finish_ss3(byte, out);
            if (byte == '$' && state_ == State::kCsi) return finish_csi(byte, out);
            if (byte >= 0x20 && byte <= 0x2F) {
                malformed_ = true;
                return 0;
            }
            return ground(byte, out);  // a control byte cuts the sequence short
        case State::kCsiBracket:
            if (byte >= 'A' && byte <= 'E') {
                state_ = State::kGround;
                return put_key(out, kF1 + byte - 'A', 1);
            }
            if (byte >= 0x20 && byte <= 0x7E) {
                state_ = State::kGround;
                return 0;
            }
            return ground(byte, out);
        case State::kUtf8:
            if ((byte & 0xC0) == 0x80) {
                code_ = (code_ << 6) | (byte & 0x3F);
                if (--missing_ > 0) return 0;
                state_ = State::kGround;
                static constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
                bool valid = code_ >= kLeast[length_] && code_ <= 0x10FFFF && (code_ < 0xD800 || code_ > 0xDFFF);
                out[0] = valid ? cp850::from_unicode(code_) : '?';
                gave_character_ = valid;
                return 1;
            }
            out[0] = '?';
            return 1 + ground(byte, out + 1);
    }
    return 0;
}

int KeyDecoder::expire(unsigned char* out) {
    gave_character_ = false;
    State was = state_;
    state_ = State::kGround;
    switch (was) {
        case State::kEscape:
            out[0] = 27;
            return 1;
        case State::kCsi:
        case State::kSs3:
            if (param_length_ > 0 || malformed_) return 0;
            out[0] = 27;
            out[1] = was == State::kCsi ? '[' : 'O';
            return 2;
        case State::kUtf8:
            out[0] = '?';
            return 1;
        default:
            return 0;
    }
}

}  // namespace versos::console
