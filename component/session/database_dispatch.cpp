// The `_Database` dispatch interface: arguments coerced as the interface declares them.
#include "automation/dispatch.h"
#include "records/table.h"
#include "session/database.h"
#include "session/dispatch_ids.h"

namespace talmo {
namespace {

using automation::InvokeKind;

constexpr automation::MemberName kMemberNames[] = {
    {u"NavisionPath", database_id::kNavisionPath},
    {u"About", database_id::kAbout},
    {u"Version", database_id::kVersion},
    {u"AutoConnect", database_id::kAutoConnect},
    {u"OpenCompany", database_id::kOpenCompany},
    {u"CompanyName", database_id::kCompanyName},
    {u"BWT", database_id::kBWT},
    {u"EWT", database_id::kEWT},
    {u"AWT", database_id::kAWT},
    {u"SelectLatestVersion", database_id::kSelectLatestVersion},
    {u"AllocTable", database_id::kAllocTable},
    {u"TableNo", database_id::kTableNo},
    {u"IncStr", database_id::kIncStr},
    {u"ViewErrors", database_id::kViewErrors},
    {u"GetStat", database_id::kGetStat},
    {u"Disconnect", database_id::kDisconnect},
};

// A method or a property read: late-bound callers use either kind for both.
bool IsCall(InvokeKind kind) {
  return kind == InvokeKind::kMethod || kind == InvokeKind::kPropertyGet;
}

// Raises 438 unless `kind` is a call, and 450 for more than `max` arguments; a required
// argument that is absent raises 449 when it is read.
void ExpectCall(InvokeKind kind, const automation::Args& args, size_t max) {
  if (!IsCall(kind)) automation::RaiseMemberNotFound();
  args.ExpectCount(0, max);
}

}  // namespace

std::span<const automation::MemberName> Database::MemberNames() const noexcept {
  return kMemberNames;
}

void Database::InvokeMember(automation::DispId id, InvokeKind kind,
                            std::span<automation::Variant> argv, automation::Variant& result) {
  const automation::Args args(argv);
  switch (id) {
    case database_id::kNavisionPath:
      if (kind == InvokeKind::kPropertyPut) {
        args.ExpectCount(0, 1);
        SetNavisionPath(args.Required(0).ToString());
      } else {
        ExpectCall(kind, args, 0);
        result = NavisionPath();
      }
      return;
    case database_id::kAbout:
      ExpectCall(kind, args, 0);
      result = About();
      return;
    case database_id::kVersion:
      ExpectCall(kind, args, 0);
      result = Version();
      return;
    case database_id::kAutoConnect: {
      ExpectCall(kind, args, 1);
      const automation::Variant* iniFileName = args.Optional(0);
      AutoConnect(iniFileName ? iniFileName->ToString() : std::u16string(u"Talmo.ini"));
      return;
    }
    case database_id::kOpenCompany:
      ExpectCall(kind, args, 1);
      result = OpenCompany(args.Required(0).ToString());
      return;
    case database_id::kCompanyName:
      ExpectCall(kind, args, 0);
      result = CompanyName();
      return;
    case database_id::kBWT:
      ExpectCall(kind, args, 0);
      BWT();
      return;
    case database_id::kEWT:
      ExpectCall(kind, args, 0);
      EWT();
      return;
    case database_id::kAWT:
      ExpectCall(kind, args, 0);
      AWT();
      return;
    case database_id::kSelectLatestVersion:
      ExpectCall(kind, args, 0);
      SelectLatestVersion();
      return;
    case database_id::kAllocTable:
      ExpectCall(kind, args, 1);
      result = automation::Ref<automation::Dispatch>(AllocTable(args.Required(0)));
      return;
    case database_id::kTableNo:
      ExpectCall(kind, args, 1);
      result = TableNo(args.Required(0));
      return;
    case database_id::kIncStr:
      ExpectCall(kind, args, 1);
      result = IncStr(args.Required(0).ToString());
      return;
    case database_id::kViewErrors:
      if (kind == InvokeKind::kPropertyPut) {
        args.ExpectCount(0, 1);
        SetViewErrors(args.Required(0).ToBoolean());
      } else {
        ExpectCall(kind, args, 0);
        result = ViewErrors();
      }
      return;
    case database_id::kGetStat:
      ExpectCall(kind, args, 1);
      result = GetStat(args.Required(0).ToLong());
      return;
    case database_id::kDisconnect:
      ExpectCall(kind, args, 1);
      Disconnect(args.Required(0).ToLong());
      return;
    default:
      automation::RaiseMemberNotFound();
  }
}

}  // namespace talmo
