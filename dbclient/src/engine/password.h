// Password hashes of the users stored in a database: Argon2id through libsodium, kept in its
// self-describing text form (algorithm, cost and salt inside), so the file never holds a
// password in a readable form and a later, costlier setting can sit beside older hashes.
#pragma once

#include <string>
#include <string_view>

#include "dbclient/status.h"

namespace dbclient::password {

// Hashes the UTF-8 form of `password` with a new random salt at libsodium's interactive cost.
// Fails (kStorageError) only when libsodium cannot work (no memory for the hash).
Status Hash(std::u16string_view password, std::string* hash);

// Whether `password` matches `hash`; false for any text that is not such a hash.
bool Verify(std::string_view hash, std::u16string_view password);

}  // namespace dbclient::password
