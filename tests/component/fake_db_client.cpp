#include "fake_db_client.h"

#include "automation/text.h"

namespace talmo::testing {

constexpr automation::DispId kLastError = 45;

void RecordingDbClient::Returns(automation::DispId member, automation::Variant result) {
  On(member, [result](std::span<automation::Variant>) { return result; });
}

void RecordingDbClient::FailOn(automation::DispId member, int32_t code, int occurrence) {
  pending_.push_back({member, code, occurrence});
}

std::string RecordingDbClient::Trace() const {
  std::string trace;
  for (const RecordedCall& call : calls_) {
    if (call.member == kLastError) continue;
    if (!trace.empty()) trace += ' ';
    trace += std::to_string(call.member);
    if (call.kind == automation::InvokeKind::kPropertyPut) {
      trace += ":=" + automation::ToUtf8(call.args.back().ToString());
    }
  }
  return trace;
}

std::vector<RecordedCall> RecordingDbClient::CallsOf(automation::DispId member) const {
  std::vector<RecordedCall> found;
  for (const RecordedCall& call : calls_) {
    if (call.member == member) found.push_back(call);
  }
  return found;
}

void RecordingDbClient::InvokeMember(automation::DispId id, automation::InvokeKind kind,
                                     std::span<automation::Variant> args,
                                     automation::Variant& result) {
  RecordedCall call{id, kind, {}, {}};
  for (const automation::Variant& arg : args) {
    call.args.push_back(arg.Deref());
    call.byRef.push_back(arg.IsByRef());
  }
  calls_.push_back(std::move(call));
  if (id == kLastError) {
    result = lastError_;
    return;
  }
  lastError_ = 0;
  if (auto handler = handlers_.find(id); handler != handlers_.end()) result = handler->second(args);
  if (auto always = alwaysFail_.find(id); always != alwaysFail_.end()) lastError_ = always->second;
  for (auto it = pending_.begin(); it != pending_.end(); ++it) {
    if (it->member == id && --it->remaining == 0) {
      lastError_ = it->code;
      pending_.erase(it);
      break;
    }
  }
}

}  // namespace talmo::testing
