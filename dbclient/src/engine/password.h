// Password hashes of the users stored in a database: salted and stretched SHA-256, so the
// file never holds a password in a readable form.
#pragma once

#include <string>
#include <string_view>

namespace dbclient::password {

std::string Sha256(std::string_view data);  // 32 raw bytes
std::string NewSalt();                      // 16 random bytes
std::string Hash(std::string_view salt, std::u16string_view password);
bool Verify(std::string_view salt, std::string_view hash, std::u16string_view password);

}  // namespace dbclient::password
