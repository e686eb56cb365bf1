#include "dbclient/status.h"

#include "error_codes.h"

namespace dbclient {

// The English catalogue text with its placeholder (%10 or %12) replaced by the detail; a code
// outside the catalogue still gets a readable line.
std::string Status::ToString() const {
  if (ok()) return {};
  const errc::ErrorInfo* info = errc::Find(code_);
  if (info == nullptr) {
    return "Error " + std::to_string(number()) + " in module " + std::to_string(module()) +
           (detail_.empty() ? "" : ": " + detail_);
  }
  std::string text(info->english);
  bool filled = false;
  for (const char* placeholder : {"%10", "%12"}) {
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + detail_.size())) {
      text.replace(at, 3, detail_);
      filled = true;
    }
  }
  if (!filled && !detail_.empty()) text += " (" + detail_ + ")";
  return text;
}

}  // namespace dbclient
