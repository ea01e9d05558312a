#include "lib/console/terminal/key_decoder.h"

#include <cstddef>

#include "lib/charsets/cp850.h"
#include "lib/console/key_codes.h"

namespace versos::console {
namespace {

using namespace key_codes;

int put2(unsigned char* out, unsigned char prefix, unsigned char code) {
    out[0] = prefix;
    out[1] = code;
    return 2;
}

// xterm's modifier parameter: 1 + (1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
Modifier modifier_of(int parameter) {
    int bits = parameter > 1 ? parameter - 1 : 0;
    if (bits & (2 | 8)) return kAlt;
    if (bits & 4) return kCtrl;
    if (bits & 1) return kShift;
    return kPlain;
}

int put_key(unsigned char* out, int key, int modifier) {
    const Code c = code(static_cast<Key>(key), modifier_of(modifier));
    return put2(out, c.prefix, c.code);
}

// Adding a key is adding a row to one of these tables.

// Final bytes common to CSI and SS3.
struct LetterKey {
    unsigned char final_byte;
    int key;
};
constexpr LetterKey kLetterKeys[] = {
    {'A', kUp},  {'B', kDown}, {'C', kRight},  {'D', kLeft},   {'H', kHome},
    {'F', kEnd}, {'P', kF1},   {'Q', kF1 + 1}, {'R', kF1 + 2}, {'S', kF1 + 3},
};

// The numbers of ESC [ n ~. The Linux console sends Shift+F3..F10 as 25..34.
struct TildeKey {
    int number;
    int key;
    bool shifted;
};
constexpr TildeKey kTildeKeys[] = {
    {1, kHome, false},    {7, kHome, false},    {2, kInsert, false},  {3, kDelete, false},  {4, kEnd, false},
    {8, kEnd, false},     {5, kPgUp, false},    {6, kPgDn, false},    {11, kF1, false},     {12, kF1 + 1, false},
    {13, kF1 + 2, false}, {14, kF1 + 3, false}, {15, kF1 + 4, false}, {17, kF1 + 5, false}, {18, kF1 + 6, false},
    {19, kF1 + 7, false}, {20, kF1 + 8, false}, {21, kF1 + 9, false}, {23, kF11, false},    {24, kF12, false},
    {25, kF1 + 2, true},  {26, kF1 + 3, true},  {28, kF1 + 4, true},  {29, kF1 + 5, true},  {31, kF1 + 6, true},
    {32, kF1 + 7, true},  {33, kF1 + 8, true},  {34, kF1 + 9, true},
};

// Final bytes of the numbered CSI keys: xterm's ~ carries the modifier as
// its second parameter, rxvt's $ ^ @ mean Shift, Ctrl and Ctrl+Shift.
struct NumberedFinal {
    unsigned char final_byte;
    int modifier;  // 0: the second parameter's
};
constexpr NumberedFinal kNumberedFinals[] = {{'~', 0}, {'$', 2}, {'^', 5}, {'@', 6}};

// The keypad in application mode (SS3), should a program have left it so.
struct KeypadKey {
    unsigned char final_byte;
    unsigned char character;
};
constexpr KeypadKey kKeypadKeys[] = {
    {'M', 13},  {'X', '='}, {'j', '*'}, {'k', '+'}, {'l', ','}, {'m', '-'}, {'n', '.'}, {'o', '/'}, {'p', '0'},
    {'q', '1'}, {'r', '2'}, {'s', '3'}, {'t', '4'}, {'u', '5'}, {'v', '6'}, {'w', '7'}, {'x', '8'}, {'y', '9'},
};

// The row of `table` whose field `key_of` equals `value`, or null.
template <typename Row, std::size_t N, typename Field, typename Value>
const Row* find_row(const Row (&table)[N], Field Row::*key_of, Value value) {
    for (const Row& row : table)
        if (row.*key_of == value) return &row;
    return nullptr;
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
    if (const LetterKey* letter = find_row(kLetterKeys, &LetterKey::final_byte, final_byte))
        return p[0] <= 1 ? put_key(out, letter->key, p[1]) : 0;
    if (final_byte == 'Z') return put2(out, 0, 15);
    const NumberedFinal* numbered = find_row(kNumberedFinals, &NumberedFinal::final_byte, final_byte);
    const TildeKey* numbered_key = find_row(kTildeKeys, &TildeKey::number, p[0]);
    if (numbered == nullptr || numbered_key == nullptr) return 0;
    int modifier = numbered->modifier != 0 ? numbered->modifier : p[1];
    if (numbered_key->shifted && modifier <= 1) modifier = 2;
    return put_key(out, numbered_key->key, modifier);
}

int KeyDecoder::finish_ss3(unsigned char final_byte, unsigned char* out) {
    state_ = State::kGround;
    int p[2], count;
    if (malformed_ || !parse_params(params_, param_length_, p, count)) return 0;
    if (const LetterKey* letter = find_row(kLetterKeys, &LetterKey::final_byte, final_byte))
        return put_key(out, letter->key, count == 2 ? p[1] : p[0]);
    const KeypadKey* keypad = find_row(kKeypadKeys, &KeypadKey::final_byte, final_byte);
    if (keypad == nullptr) return 0;
    out[0] = keypad->character;
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
