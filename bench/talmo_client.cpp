#include "talmo_client.h"

#include "automation/registry.h"
#include "automation/text.h"

namespace talmo_bench {
namespace {

// Member numbers of the client's diagnostics.
constexpr int32_t kOpenHandlesMember = 100;
constexpr int32_t kMemberCallsMember = 101;
constexpr int32_t kRoundTripsMember = 102;

}  // namespace

TalmoTable::TalmoTable(automation::Ref<automation::Dispatch> table) : table_(std::move(table)) {
  static const Ids resolved = [this] {
    automation::Dispatch* object = table_.get();
    return Ids{automation::GetDispId(object, u"Field"),
               automation::GetDispId(object, u"GetRecT"),
               automation::GetDispId(object, u"GetRec"),
               automation::GetDispId(object, u"Find"),
               automation::GetDispId(object, u"NextRec"),
               automation::GetDispId(object, u"SetFilter"),
               automation::GetDispId(object, u"AutoCalcFields"),
               automation::GetDispId(object, u"Init"),
               automation::GetDispId(object, u"Insert")};
  }();
  ids_ = &resolved;
}

TalmoConnection::TalmoConnection(const std::filesystem::path& connectionIni)
    : database_(automation::CreateObject(u"Talmo.Database")) {
  database_.Call(u"AutoConnect", automation::FromUtf8(connectionIni.string()));
  database_.Call(u"SelectLatestVersion");
}

TalmoConnection::~TalmoConnection() {
  try {
    database_.Call(u"Disconnect", int32_t{1});
  } catch (const automation::AutomationError&) {
    // The connection is gone either way; a failure here has been reported by the work.
  }
}

TalmoTable TalmoConnection::AllocTable(int16_t tableNo) {
  return TalmoTable(database_.Call(u"AllocTable", tableNo).ToObject());
}

ClientDiagnostics::ClientDiagnostics()
    : client_(automation::CreateObject(u"DbClient.Application")) {}

int64_t ClientDiagnostics::OpenHandles() {
  return static_cast<int64_t>(automation::CallMethod(client_.get(), kOpenHandlesMember).ToDouble());
}

uint64_t ClientDiagnostics::Calls(int32_t member) {
  return static_cast<uint64_t>(
      automation::CallMethod(client_.get(), kMemberCallsMember, member).ToDouble());
}

uint64_t ClientDiagnostics::RoundTrips() {
  return static_cast<uint64_t>(automation::CallMethod(client_.get(), kRoundTripsMember).ToDouble());
}

CallCounts ClientDiagnostics::Snapshot() {
  CallCounts counts{};
  for (int32_t member = 1; member < static_cast<int32_t>(counts.size()); ++member) {
    if (member != kOpenHandlesMember && member != kMemberCallsMember &&
        member != kRoundTripsMember) {
      counts[member] = Calls(member);
    }
  }
  return counts;
}

}  // namespace talmo_bench
