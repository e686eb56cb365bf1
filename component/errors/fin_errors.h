// The module `FinErrors`: turns the client's error codes into automation errors carrying
// the client's own message texts from its error-text file fin.etx.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "session/db_client.h"

namespace talmo {

// Message texts keyed by error key ("19.1008"); every text ends with CR LF.
using ErrorTextMap = std::unordered_map<std::u16string, std::u16string>;

// The error key of a client code: module "." number, where number = code mod 65536 with
// the sign of the code and module = (code - number) / 65536 ("19.1008", "0.-1").
std::u16string ErrorKey(int32_t code);

// Returns when `code` is 0 or an accept directive ("OK;k1,k2") lists its key. Otherwise puts
// client member 1 := False, loads fin.etx from CurrentDatabase's NavisionPath on first need
// (a failed load is retried at the next error), fills placeholders "%<prefix>" from the
// substitution directives in list order, and raises the error with its number within its
// module and the source "Talmo". Without a message it raises "Unknown error N in module M"
// followed by CR LF, ":" and the NavisionPath.
void CheckClientError(int32_t code, Directives directives);

// The largest message file read. A client's messages in one language take a few hundred KB
// at most (ours about 3 KB); since a failed load is tried again at every error, the bound
// keeps a wrong file from costing seconds and memory each time.
inline constexpr size_t kMaxErrorTextFileSize = size_t{4} << 20;

// Reads a message file in the "@1@module@" / "@2@number@" / "@2@END@0@" format, written
// in code page 852. Raises 999 "Chyba v ETX souboru" for a module without its end line and
// for what is not a regular file of at most kMaxErrorTextFileSize bytes (a device, a FIFO,
// a folder), and fails as a whole for a missing or unreadable file, a header without its
// closing "@" or a key that occurs twice.
ErrorTextMap LoadErrorTexts(const std::u16string& path);

// Drops the loaded message texts so the next error loads the file again. Lets tests start
// from the state of a fresh process; the component itself never unloads them.
void ForgetErrorTexts() noexcept;

}  // namespace talmo
