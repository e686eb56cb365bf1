#include <charconv>

#include "dbclient/server.h"
#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient {

Status ServerAddress::Parse(std::u16string_view server, std::u16string_view netType,
                            ServerAddress* out) {
  const std::u16string type = text::ToUpper(text::TrimBlanks(netType));
  ServerAddress address;
  if (type == u"TCP") {
    address.netType = NetType::kTcp;
  } else if (type == u"TCPS") {
    address.netType = NetType::kTcps;
  } else if (type == u"UNIX") {
    address.netType = NetType::kUnix;
  } else {
    return Status::Error(errc::kUnknownNetType, text::ToUtf8(netType));
  }
  std::string host = text::ToUtf8(text::TrimBlanks(server));
  // "host:port" when what follows the last colon is a number (an IPv6 address without a
  // port has more than one colon and is taken whole).
  const size_t colon = host.rfind(':');
  if (colon != std::string::npos && host.find(':') == colon) {
    const std::string_view digits = std::string_view(host).substr(colon + 1);
    int32_t port = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        port < 1 || port > 65535) {
      return Status::Error(errc::kBadServerAddress, host);
    }
    address.port = port;
    host.resize(colon);
  }
  if (host.empty()) return Status::Error(errc::kBadServerAddress, text::ToUtf8(server));
  address.host = std::move(host);
  *out = std::move(address);
  return Status();
}

}  // namespace dbclient
