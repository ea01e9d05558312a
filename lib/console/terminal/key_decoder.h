// Turns the bytes a terminal sends for keys into the key bytes of the Windows
// console: plain characters as their code-page-850 byte, cursor, editing and
// function keys as two bytes (224 or 0, then the key's code).
//
//   Up ESC[A ESC OA  -> 224 72     Home ESC[H ESC OH ESC[1~ ESC[7~ -> 224 71
//   Down             -> 224 80     End  ESC[F ESC OF ESC[4~ ESC[8~ -> 224 79
//   Left             -> 224 75     Insert ESC[2~ -> 224 82   Delete ESC[3~ -> 224 83
//   Right            -> 224 77     PgUp ESC[5~ -> 224 73     PgDn ESC[6~ -> 224 81
//   F1-F4 ESC OP..OS, ESC[11~..14~, ESC[[A..D;  F5 ESC[15~, ESC[[E;
//   F6-F10 ESC[17~..21~                                     -> 0 59..68
//   F11 ESC[23~ -> 224 133   F12 ESC[24~ -> 224 134
//   Enter (13, or ESC OM) -> 13   DEL or ^H -> 8   Shift+Tab ESC[Z -> 0 15
//   NUL (Ctrl+Space) -> 0 3
//
// Modifiers (xterm's ESC[1;5A and ESC[3;5~, ESC O5P, rxvt's ESC[3^ ESC[3$)
// give the Windows codes of the modified key, Alt before Ctrl before Shift:
// Shift leaves the cursor keys as they are and gives 0 84..93 for F1-F10;
// Ctrl gives 224 115 (Left), 116, 119 (Home), 117, 141 (Up), 145, 134, 118,
// 146, 147 and 0 94..103; Alt gives 0 151..163 and 0 104..113; F11 and F12
// give 224 135/136, 137/138, 139/140. ESC[25~..34~ (Shift+F3..F10 on the
// Linux console) give Shift+F3..F10.
//
// ESC followed by a byte that starts no sequence (Alt+x) gives 27 and then
// that byte. A lone ESC is told apart from a sequence by time: the caller
// waits briefly for more and, if nothing comes, calls expire(). Any other
// sequence is dropped whole. Typed UTF-8 gives the character's code-page-850
// byte, or '?' for a character outside the code page or a malformed one.
#pragma once

namespace versos::console {

class KeyDecoder {
public:
    // The most key bytes one call gives.
    static constexpr int kMaxOut = 4;

    // Takes one byte from the terminal; writes the key bytes it completes to
    // `out` and returns their count.
    int feed(unsigned char byte, unsigned char* out);
    // True while a sequence or a character is incomplete.
    bool pending() const { return state_ != State::kGround; }
    // True if the last feed gave a typed character decoded from UTF-8. Such
    // a byte is never the first of a two-byte key, even where it is 224
    // (Ó in code page 850); every other 0 or 224 that feed and expire give
    // is.
    bool gave_character() const { return gave_character_; }
    // Nothing more came: a lone ESC is the Escape key, ESC [ and ESC O are
    // Escape and the character, a partial character is '?', the rest is
    // dropped.
    int expire(unsigned char* out);

private:
    enum class State { kGround, kEscape, kCsi, kCsiBracket, kSs3, kUtf8 };

    int ground(unsigned char byte, unsigned char* out);
    int finish_csi(unsigned char final_byte, unsigned char* out);
    int finish_ss3(unsigned char final_byte, unsigned char* out);

    State state_ = State::kGround;
    // Parameter bytes of a CSI or SS3 sequence.
    char params_[16] = {};
    int param_length_ = 0;
    bool malformed_ = false;  // too long or with bytes no key sends
    bool gave_character_ = false;
    // A UTF-8 character being read.
    char32_t code_ = 0;
    int missing_ = 0, length_ = 0;
};

}  // namespace versos::console
