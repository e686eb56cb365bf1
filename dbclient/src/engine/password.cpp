#include "engine/password.h"

#include <sodium.h>

#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient::password {
namespace {

bool SodiumReady() {
  static const bool ready = sodium_init() >= 0;
  return ready;
}

}  // namespace

Status Hash(std::u16string_view password, std::string* hash) {
  const std::string utf8 = text::ToUtf8(password);
  char text[crypto_pwhash_STRBYTES];
  if (!SodiumReady() ||
      crypto_pwhash_str(text, utf8.data(), utf8.size(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                        crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0) {
    return Status::Error(errc::kStorageError, "the password cannot be hashed");
  }
  hash->assign(text);
  return Status();
}

bool Verify(std::string_view hash, std::u16string_view password) {
  // libsodium reads a NUL-terminated text of bounded length.
  if (hash.empty() || hash.size() >= crypto_pwhash_STRBYTES || !SodiumReady()) return false;
  const std::string stored(hash);
  const std::string utf8 = text::ToUtf8(password);
  return crypto_pwhash_str_verify(stored.c_str(), utf8.data(), utf8.size()) == 0;
}

}  // namespace dbclient::password
