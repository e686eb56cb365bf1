// Reading the arguments of a member call, by value or by reference alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "automation/dispatch.h"
#include "automation/variant.h"

namespace dbclient::binding {

// The arguments of one member call in call order. Every reader looks through a
// by-reference argument; an absent or omitted argument, or one that does not convert, ends
// the call with the client's bad-argument error (ClientFailure) naming the argument.
class CallArgs {
 public:
  explicit CallArgs(std::span<automation::Variant> args) noexcept : args_(args) {}

  size_t size() const noexcept { return args_.size(); }

  // The value of argument i.
  const automation::Variant& Value(size_t i) const;
  // The value of argument i, or nullptr when it is absent or omitted.
  const automation::Variant* Optional(size_t i) const noexcept;

  int32_t Long(size_t i) const;
  int16_t Integer(size_t i) const;
  bool Boolean(size_t i) const;
  double Double(size_t i) const;
  std::u16string String(size_t i) const;

  // Writes `value` into argument i: into the caller's Variant when it was passed by
  // reference (a by-value argument is a copy, so the caller does not see it).
  void Store(size_t i, automation::Variant value) const;

 private:
  std::span<automation::Variant> args_;
};

}  // namespace dbclient::binding
