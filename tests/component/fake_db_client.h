// A recording stand-in for the database client: remembers every member call with its kind
// and arguments, answers from a script, and keeps a last error code (member 45) that every
// other call resets, as the real client does.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"

namespace talmo::testing {

struct RecordedCall {
  automation::DispId member = 0;
  automation::InvokeKind kind = automation::InvokeKind::kMethod;
  std::vector<automation::Variant>
      args;                 // the values as they arrived (by-reference looked through)
  std::vector<bool> byRef;  // per argument: passed by reference
};

class RecordingDbClient final : public automation::DispatchObject {
 public:
  // Answers a call of one member: may write through by-reference arguments; returns the
  // result.
  using Handler = std::function<automation::Variant(std::span<automation::Variant> args)>;

  void On(automation::DispId member, Handler handler) { handlers_[member] = std::move(handler); }
  void Returns(automation::DispId member, automation::Variant result);
  // The `occurrence`-th call of `member` from now on leaves `code` as the last error.
  void FailOn(automation::DispId member, int32_t code, int occurrence = 1);
  // Every call of `member` leaves `code` as the last error.
  void AlwaysFail(automation::DispId member, int32_t code) { alwaysFail_[member] = code; }

  const std::vector<RecordedCall>& calls() const noexcept { return calls_; }
  void ClearCalls() { calls_.clear(); }
  // The calls in order, reads of member 45 left out: methods as their number, puts as
  // "1:=True". Example: "2:=False 1:=True 76 42 1:=False".
  std::string Trace() const;
  // The recorded calls of `member` (45 included when asked).
  std::vector<RecordedCall> CallsOf(automation::DispId member) const;

  std::u16string ClassName() const override { return u"RecordingDbClient"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override { return {}; }

 private:
  struct PendingFailure {
    automation::DispId member;
    int32_t code;
    int remaining;
  };
  std::vector<RecordedCall> calls_;
  std::map<automation::DispId, Handler> handlers_;
  std::map<automation::DispId, int32_t> alwaysFail_;
  std::vector<PendingFailure> pending_;
  int32_t lastError_ = 0;
};

// The client's error code of `number` within `module`.
constexpr int32_t ClientCode(int32_t module, int32_t number) { return module * 65536 + number; }

}  // namespace talmo::testing
