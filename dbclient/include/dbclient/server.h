// Where a database server is and how to log in to it: what members 7, 5 and 42 of the client
// give, in the engine's terms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dbclient/status.h"

namespace dbclient {

enum class NetType {
  kTcp,   // Server is "host" or "host:port"
  kTcps,  // the same, over TLS (required, never skipped)
  kUnix,  // Server is the folder of the server's socket, optionally ":port"
};

inline constexpr int32_t kDefaultServerPort = 5432;

struct ServerAddress {
  NetType netType = NetType::kTcp;
  std::string host;  // host name or address; the socket folder for kUnix
  int32_t port = kDefaultServerPort;

  // Parses member 7's arguments. NetType is "tcp", "tcps" or "unix" in any case (else
  // kUnknownNetType); an empty host or a port outside 1..65535 is kBadServerAddress.
  static Status Parse(std::u16string_view server, std::u16string_view netType,
                      ServerAddress* out);
};

struct ServerLogin {
  ServerAddress address;
  std::string database;  // UTF-8; empty: the user's default database
  std::string user;      // UTF-8; empty: the server's default (the system user's name)
  std::string password;
};

}  // namespace dbclient
