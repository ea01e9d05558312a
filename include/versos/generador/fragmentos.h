// The fragments of the verse generator, given to the caller: see
// <versos/generador.h>.
#pragma once

#include <versos/generador/export.h>

#include <optional>
#include <string>

namespace versos {

// The 41 mode characters, in the order the verse command compares them:
// nine composite modes, then 32 single-table modes.
inline constexpr char modos[] = "wxyzABCDE0123456789abcdefghijklmnopqrstuv";

// Whether `modo` is one of `modos`.
VERSOS_GENERADOR_EXPORT bool es_modo(char modo);

// The seed that versos takes from the text of its seed argument, read as
// atoi reads it: leading white space, an optional sign, decimal digits up to
// the first other character ("42abc" is 42, "abc" is 0); a value beyond the
// range of int saturates to INT_MAX or INT_MIN.
VERSOS_GENERADOR_EXPORT int lee_semilla(const char* texto);

// The fragment of `modo` and `semilla` as the Windows-1252 bytes versos puts
// on the clipboard (at most 255). Mode w gives the empty text two times in
// three; an unknown mode gives no fragment at all (std::nullopt).
VERSOS_GENERADOR_EXPORT std::optional<std::string> fragmento(char modo, int semilla);

// The same fragment as UTF-8.
VERSOS_GENERADOR_EXPORT std::optional<std::string> fragmento_utf8(char modo, int semilla);

// As above, into `out`, which is replaced and whose storage is reused: for
// callers that make many fragments. False, with `out` empty, for an unknown
// mode.
VERSOS_GENERADOR_EXPORT bool fragmento(char modo, int semilla, std::string& out);
VERSOS_GENERADOR_EXPORT bool fragmento_utf8(char modo, int semilla, std::string& out);

}  // namespace versos
