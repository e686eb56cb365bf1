#include "binding/members.h"

#include <array>
#include <vector>

namespace dbclient::binding {
namespace {

// Dispatch numbers run from 1 to 101; a dense table makes the lookup one index.
struct Directory {
  std::array<const MemberDef*, kMaxMemberId + 1> byId{};
  std::vector<automation::MemberName> names;

  Directory() {
    for (auto group : {ConnectionMembers(), TableMembers(), FieldMembers(), DiagnosticMembers()}) {
      for (const MemberDef& member : group) {
        byId.at(static_cast<size_t>(member.id)) = &member;  // a number beyond the table throws
        names.push_back({member.name, member.id});
      }
    }
  }
};

const Directory& TheDirectory() {
  static const Directory directory;
  return directory;
}

}  // namespace

const MemberDef* FindMember(automation::DispId id) noexcept {
  if (id < 0 || id > kMaxMemberId) return nullptr;
  return TheDirectory().byId[id];
}

std::span<const automation::MemberName> MemberNames() noexcept { return TheDirectory().names; }

}  // namespace dbclient::binding
