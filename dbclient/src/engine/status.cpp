#include "dbclient/status.h"

#include "error_codes.h"

namespace dbclient {

const std::string& Status::NoDetail() noexcept {
  static const std::string none;
  return none;
}

// The English catalogue text with its placeholder (%10 or %12) replaced by the detail; a code
// outside the catalogue still gets a readable line.
std::string Status::ToString() const {
  if (ok()) return {};
  const std::string& note = detail();
  const errc::ErrorInfo* info = errc::Find(code_);
  if (info == nullptr) {
    return "Error " + std::to_string(number()) + " in module " + std::to_string(module()) +
           (note.empty() ? "" : ": " + note);
  }
  std::string text(info->english);
  bool filled = false;
  for (const char* placeholder : {"%10", "%12"}) {
    for (size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + note.size())) {
      text.replace(at, 3, note);
      filled = true;
    }
  }
  if (!filled && !note.empty()) text += " (" + note + ")";
  return text;
}

}  // namespace dbclient
