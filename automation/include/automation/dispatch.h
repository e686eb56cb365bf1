// Dispatch objects: counted automation objects reached by dispatch id or by name.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "automation/automation_error.h"
#include "automation/ref.h"
#include "automation/variant.h"

namespace automation {

using DispId = int32_t;
inline constexpr DispId kDispIdValue = 0;     // the default member
inline constexpr DispId kDispIdUnknown = -1;  // GetIDsOfNames found no such name

enum class InvokeKind : uint8_t {
  kMethod = 1,
  kPropertyGet = 2,
  kPropertyPut = 4,
  kPropertyPutRef = 8,
};

// What Invoke reports on failure, as the platform's exception information does.
struct ExceptionInfo {
  int32_t number = 0;
  std::u16string source;
  std::u16string description;
};

// The base of every automation object. Reference counted; the last Release destroys the
// object, so its destructor holds its release steps. Objects are used from one thread.
class Dispatch {
 public:
  Dispatch(const Dispatch&) = delete;
  Dispatch& operator=(const Dispatch&) = delete;

  // Plain counts, no atomics: an object and every reference to it stay on one thread.
  void AddRef() noexcept { ++refs_; }
  void Release() noexcept {
    if (--refs_ == 0) delete this;
  }

  // Calls member `id`. `args` are in call order (the first argument at index 0, unlike
  // the reversed order of the platform's argument arrays); a property put passes the new
  // value as the last argument. A by-reference argument is Variant::ByRef(&callerValue);
  // an omitted optional argument is Variant::Missing() or simply absent at the end.
  // Returns true on success with the result in `result` (Empty for none). On failure it
  // returns false with `error` filled; no C++ exception leaves Invoke, so objects can
  // live in other shared libraries.
  virtual bool Invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result,
                      ExceptionInfo& error) noexcept = 0;

  // The dispatch id of a member name (case-insensitive), or kDispIdUnknown.
  virtual DispId GetIDsOfNames(std::u16string_view name) const noexcept = 0;

  // The class name that TypeName reports for this object.
  virtual std::u16string ClassName() const = 0;

  // A native interface of the object (typed calls beside the dispatch members), or null
  // when it has none of that id. The pointer lives as long as the object.
  virtual void* QueryNative(std::string_view interfaceId) noexcept {
    (void)interfaceId;
    return nullptr;
  }

 protected:
  Dispatch() = default;
  virtual ~Dispatch() = default;

 private:
  int32_t refs_ = 0;
};

// One entry of an object's name table.
struct MemberName {
  std::u16string_view name;
  DispId id;
};

// Convenience base for objects written in C++: members throw AutomationError (or any
// std::exception, reported as error 5) and this base turns it into Invoke's error value.
// Unknown ids should raise error 438 (RaiseMemberNotFound).
class DispatchObject : public Dispatch {
 public:
  bool Invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result,
              ExceptionInfo& error) noexcept final;
  DispId GetIDsOfNames(std::u16string_view name) const noexcept final;

 protected:
  virtual void InvokeMember(DispId id, InvokeKind kind, std::span<Variant> args,
                            Variant& result) = 0;
  virtual std::span<const MemberName> MemberNames() const noexcept = 0;
};

[[noreturn]] void RaiseMemberNotFound();

// Reading arguments inside InvokeMember.
class Args {
 public:
  explicit Args(std::span<Variant> args) noexcept : args_(args) {}
  size_t size() const noexcept { return args_.size(); }
  // Argument i (looking through a by-reference Variant); 449 when absent or missing.
  const Variant& Required(size_t i) const {
    if (i >= args_.size() || args_[i].IsMissing()) RaiseNotOptional();
    return args_[i].Deref();
  }
  // Argument i, or nullptr when absent or Missing().
  const Variant* Optional(size_t i) const noexcept {
    if (i >= args_.size() || args_[i].IsMissing()) return nullptr;
    return &args_[i].Deref();
  }
  // The caller's storage of argument i, for writing back through a by-reference argument.
  Variant& Raw(size_t i) const;
  // Raises 450 unless min <= size() <= max (a trailing Missing still counts as given).
  void ExpectCount(size_t min, size_t max) const {
    if (args_.size() < min || args_.size() > max) RaiseWrongCount();
  }
  // Arguments from index `first` on, packed as a zero-based array (a ParamArray).
  VariantArray Rest(size_t first) const;

 private:
  [[noreturn]] static void RaiseNotOptional();
  [[noreturn]] static void RaiseWrongCount();

  std::span<Variant> args_;
};

// Client-side calls: turn a failed Invoke into a thrown AutomationError. A null object
// raises 91. Arguments are copied into a fixed-size array; pass Variant::ByRef(&v) to
// let the callee write into v.
void InvokeOrThrow(Dispatch* object, DispId id, InvokeKind kind, std::span<Variant> args,
                   Variant& result);

template <class... A>
Variant CallMethod(Dispatch* object, DispId id, A&&... args) {
  Variant argv[sizeof...(A) + 1] = {Variant(std::forward<A>(args))...};
  Variant result;
  InvokeOrThrow(object, id, InvokeKind::kMethod, std::span<Variant>(argv, sizeof...(A)), result);
  return result;
}

template <class... A>
Variant GetProperty(Dispatch* object, DispId id, A&&... args) {
  Variant argv[sizeof...(A) + 1] = {Variant(std::forward<A>(args))...};
  Variant result;
  InvokeOrThrow(object, id, InvokeKind::kPropertyGet, std::span<Variant>(argv, sizeof...(A)),
                result);
  return result;
}

// The last argument is the new value.
template <class... A>
void PutProperty(Dispatch* object, DispId id, A&&... args) {
  static_assert(sizeof...(A) >= 1, "a property put needs a value");
  Variant argv[sizeof...(A)] = {Variant(std::forward<A>(args))...};
  Variant result;
  InvokeOrThrow(object, id, InvokeKind::kPropertyPut, std::span<Variant>(argv, sizeof...(A)),
                result);
}

void PutPropertyRef(Dispatch* object, DispId id, Ref<Dispatch> value);

// Late binding by name: GetIDsOfNames, raising 438 when the object has no such member.
DispId GetDispId(Dispatch* object, std::u16string_view name);

}  // namespace automation
