// The one failure path inside the member handlers: a client error that ends the member call.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "dbclient/status.h"

namespace dbclient::binding {

// Thrown by a handler (or the argument and handle lookups it uses) to end the member call
// with a client error. The dispatch object catches it, stores the code as the last error and
// answers with an empty result; it never leaves Invoke.
class ClientFailure {
 public:
  explicit ClientFailure(Status status) noexcept : status_(std::move(status)) {}
  const Status& status() const noexcept { return status_; }

 private:
  Status status_;
};

// Ends the member call with `code`.
[[noreturn]] inline void Fail(int32_t code, std::string detail = {}) {
  throw ClientFailure(Status::Error(code, std::move(detail)));
}

// Ends the member call when `status` is an error.
inline void Check(Status status) {
  if (!status.ok()) throw ClientFailure(std::move(status));
}

}  // namespace dbclient::binding
