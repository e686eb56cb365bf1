// The member table of the DbClient object: every member by its dispatch number.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "automation/dispatch.h"
#include "automation/variant.h"
#include "binding/call_args.h"
#include "binding/session.h"

namespace dbclient::binding {

// Runs one member: reads its arguments, works on the session and returns the result. A
// failure throws ClientFailure.
using MemberHandler = automation::Variant (*)(Session& session, const CallArgs& args);

struct MemberDef {
  automation::DispId id;
  std::u16string_view name;  // descriptive name for late binding by name
  uint8_t minArgs;
  uint8_t maxArgs;
  // Type of the zero result a failed call answers with: Empty, Long 0, Integer 0, "".
  automation::VarType failureType;
  MemberHandler handler;
};

// The members of each group, defined beside their handlers.
std::span<const MemberDef> ConnectionMembers() noexcept;
std::span<const MemberDef> TableMembers() noexcept;
std::span<const MemberDef> FieldMembers() noexcept;
std::span<const MemberDef> DiagnosticMembers() noexcept;

// The highest dispatch number a member may have.
inline constexpr automation::DispId kMaxMemberId = 127;

// The member with dispatch number `id`, or nullptr.
const MemberDef* FindMember(automation::DispId id) noexcept;
// Names and numbers of every member, for GetIDsOfNames.
std::span<const automation::MemberName> MemberNames() noexcept;

}  // namespace dbclient::binding
