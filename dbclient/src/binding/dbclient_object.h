// The DbClient automation object: the database client's members by dispatch number.
#pragma once

#include <span>
#include <string>

#include "automation/dispatch.h"
#include "binding/native_members.h"
#include "binding/session.h"

namespace dbclient::binding {

// Class id and ProgID under which the client is registered.
inline constexpr std::string_view kClassId = "{9F78D5E3-A1B3-11CF-AF9F-00030F8047D7}";
inline constexpr std::string_view kProgId = "DbClient.Application";

// Every member call except 45 first clears the last error. A call that fails stores its
// error code for member 45 and answers with an empty or zero result; Invoke itself fails
// only for an unknown member number (438). Wrong argument counts, arguments that do not
// convert, stale handles and every database condition are client errors.
class DbClientObject final : public automation::DispatchObject {
 public:
  DbClientObject();
  ~DbClientObject() override;

  std::u16string ClassName() const override { return u"DbClient"; }
  // Answers the native interface (dbclient/native_client.h).
  void* QueryNative(std::string_view interfaceId) noexcept override;

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;

 private:
  Session session_;
  NativeMembers native_{session_};
};

}  // namespace dbclient::binding
