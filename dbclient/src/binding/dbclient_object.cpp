#include "binding/dbclient_object.h"

#include <string>

#include "automation/automation_error.h"
#include "binding/call_args.h"
#include "binding/client_failure.h"
#include "binding/library_usage.h"
#include "binding/members.h"
#include "error_codes.h"

namespace dbclient::binding {
namespace {

using automation::Variant;
using automation::VarType;

Variant ZeroOf(VarType type) {
  switch (type) {
    case VarType::kLong:
      return Variant(int32_t{0});
    case VarType::kInteger:
      return Variant(int16_t{0});
    case VarType::kDouble:
      return Variant(0.0);
    case VarType::kString:
      return Variant(std::u16string());
    default:
      return Variant();
  }
}

}  // namespace

DbClientObject::DbClientObject() { LibraryObjects().Add(); }

DbClientObject::~DbClientObject() { LibraryObjects().Remove(); }

void DbClientObject::InvokeMember(automation::DispId id, automation::InvokeKind,
                                  std::span<Variant> args, Variant& result) {
  const MemberDef* member = FindMember(id);
  if (!member) automation::RaiseMemberNotFound();
  session_.BeginCall(id);
  try {
    if (args.size() < member->minArgs || args.size() > member->maxArgs) {
      Fail(errc::kBadArgument,
           "member " + std::to_string(id) + " takes " + std::to_string(member->minArgs) + " to " +
               std::to_string(member->maxArgs) + " arguments, not " + std::to_string(args.size()));
    }
    result = member->handler(session_, CallArgs(args));
  } catch (const ClientFailure& failure) {
    session_.lastError = failure.status().code();
    result = ZeroOf(member->failureType);
  } catch (const automation::AutomationError&) {
    // A coercion of the automation layer that a handler did not expect: still the
    // caller's argument, so still a client error.
    session_.lastError = errc::kBadArgument;
    result = ZeroOf(member->failureType);
  }
}

void* DbClientObject::QueryNative(std::string_view interfaceId) noexcept {
  return interfaceId == NativeClient::kInterfaceId ? static_cast<NativeClient*>(&native_)
                                                   : nullptr;
}

std::span<const automation::MemberName> DbClientObject::MemberNames() const noexcept {
  return binding::MemberNames();
}

}  // namespace dbclient::binding
