// The result of an engine call: success, or an error code of the database client with an
// optional detail that fills the placeholder of its message.
#pragma once

#include <cstdint>
#include <memory>
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
  Status(const Status& other)
      : code_(other.code_),
        detail_(other.detail_ ? std::make_unique<std::string>(*other.detail_) : nullptr) {}
  Status& operator=(const Status& other) {
    if (this != &other) *this = Status(other);
    return *this;
  }
  Status(Status&&) noexcept = default;
  Status& operator=(Status&&) noexcept = default;

  // An error with `code` (non-zero); `detail` is the text for the message's placeholder, or
  // a note for logs when the message has none.
  static Status Error(int32_t code, std::string detail = {}) {
    return Status(code, std::move(detail));
  }

  bool ok() const noexcept { return code_ == 0; }
  int32_t code() const noexcept { return code_; }
  int32_t module() const noexcept { return code_ / 65536; }
  int32_t number() const noexcept { return code_ % 65536; }
  const std::string& detail() const noexcept { return detail_ ? *detail_ : NoDetail(); }  // UTF-8

  // English message of the code with its placeholder filled by the detail ("" for success).
  std::string ToString() const;

 private:
  Status(int32_t code, std::string detail)
      : code_(code),
        detail_(detail.empty() ? nullptr : std::make_unique<std::string>(std::move(detail))) {}
  static const std::string& NoDetail() noexcept;

  int32_t code_ = 0;
  // Null without a detail: a success passes through every layer of a call as two words.
  std::unique_ptr<std::string> detail_;
};

}  // namespace dbclient
