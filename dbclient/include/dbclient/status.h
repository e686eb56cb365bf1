// The result of an engine call: success, or an error code of the database client with an
// optional detail that fills the placeholder of its message.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace dbclient {

// Error codes are module * 65536 + number; the complete list with the message texts is kept
// in one catalogue inside the client. These three are the record errors callers test for.
inline constexpr int32_t kErrorModuleRecord = 19;
inline constexpr int32_t kCodeRecordNotFound = kErrorModuleRecord * 65536 + 1008;
inline constexpr int32_t kCodeRecordExists = kErrorModuleRecord * 65536 + 1009;
inline constexpr int32_t kCodeNoRecordInFilter = kErrorModuleRecord * 65536 + 1095;

class Status {
 public:
  Status() noexcept = default;  // success

  // An error with `code` (non-zero); `detail` is the text for the message's placeholder, or
  // a note for logs when the message has none.
  static Status Error(int32_t code, std::string detail = {}) {
    return Status(code, std::move(detail));
  }

  bool ok() const noexcept { return code_ == 0; }
  int32_t code() const noexcept { return code_; }
  int32_t module() const noexcept { return code_ / 65536; }
  int32_t number() const noexcept { return code_ % 65536; }
  const std::string& detail() const noexcept { return detail_; }  // UTF-8

  // English message of the code with its placeholder filled by the detail ("" for success).
  std::string ToString() const;

 private:
  Status(int32_t code, std::string detail) : code_(code), detail_(std::move(detail)) {}

  int32_t code_ = 0;
  std::string detail_;
};

}  // namespace dbclient
