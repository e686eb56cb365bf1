#include "binding/diagnostics.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "binding/client_failure.h"
#include "binding/members.h"
#include "binding/session.h"
#include "error_codes.h"
#include "storage/postgres/connection.h"

namespace dbclient::binding::diagnostics {
namespace {

static_assert(kMaxMemberId < 128);

// The live counters and what the gone ones counted. Never destroyed: a client object kept
// in a global may go after the exit handlers have run.
struct Registry {
  std::mutex mutex;
  std::vector<const CallCounter*> live;
  std::array<uint64_t, kMaxMemberId + 1> retired{};
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

CallCounter::CallCounter() {
  Registry& registry = TheRegistry();
  const std::lock_guard lock(registry.mutex);
  registry.live.push_back(this);
}

CallCounter::~CallCounter() {
  Registry& registry = TheRegistry();
  const std::lock_guard lock(registry.mutex);
  for (automation::DispId id = 0; id <= kMaxMemberId; ++id) registry.retired[id] += Calls(id);
  registry.live.erase(std::find(registry.live.begin(), registry.live.end(), this));
}

uint64_t Calls(automation::DispId id) noexcept {
  if (id < 0 || id > kMaxMemberId) return 0;
  Registry& registry = TheRegistry();
  const std::lock_guard lock(registry.mutex);
  uint64_t calls = registry.retired[id];
  for (const CallCounter* counter : registry.live) calls += counter->Calls(id);
  return calls;
}

}  // namespace dbclient::binding::diagnostics

namespace dbclient::binding {
namespace {

using automation::Variant;

// 100: open handles of every DbClient object of the process; the optional kind picks tables
// (1), record buffers (2) or decimal values (3), the sum when omitted or 0.
Variant OpenHandles(Session&, const CallArgs& args) {
  const int32_t kind = args.Optional(0) ? args.Long(0) : 0;
  const diagnostics::HandleCounts counts = Session::OpenHandlesInProcess();
  int64_t count = 0;
  switch (kind) {
    case 0:
      count = counts.tables + counts.records + counts.decimals;
      break;
    case 1:
      count = counts.tables;
      break;
    case 2:
      count = counts.records;
      break;
    case 3:
      count = counts.decimals;
      break;
    default:
      Fail(errc::kBadArgument, "handle kind " + std::to_string(kind));
  }
  return Variant(static_cast<double>(count));
}

// 101: calls of a member number so far, on every DbClient object of the process (the call
// asking is counted too).
Variant MemberCalls(Session&, const CallArgs& args) {
  return Variant(static_cast<double>(diagnostics::Calls(args.Long(0))));
}

// 102: requests sent to database servers and answered, by every DbClient object of the
// process so far (connecting counts one).
Variant ServerRoundTrips(Session&, const CallArgs&) {
  return Variant(static_cast<double>(postgres::RoundTrips()));
}

constexpr MemberDef kMembers[] = {
    {100, u"OpenHandles", 0, 1, automation::VarType::kDouble, OpenHandles},
    {101, u"MemberCalls", 1, 1, automation::VarType::kDouble, MemberCalls},
    {102, u"ServerRoundTrips", 0, 0, automation::VarType::kDouble, ServerRoundTrips},
};

}  // namespace

std::span<const MemberDef> DiagnosticMembers() noexcept { return kMembers; }

}  // namespace dbclient::binding
