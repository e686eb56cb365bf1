// The `_Table` dispatch interface: late-bound calls by dispatch id or by name, arguments
// coerced as the interface declares them.
#include <limits>

#include "automation/dispatch.h"
#include "records/table.h"

namespace talmo {
namespace {

using automation::InvokeKind;
using automation::Variant;
namespace id = table_dispid;

constexpr automation::MemberName kMemberNames[] = {
    {u"cfHTable", id::kcfHTable},
    {u"cfHRec", id::kcfHRec},
    {u"EntryProcess", id::kEntryProcess},
    {u"tmpCountGet", id::ktmpCountGet},
    {u"tmpCountFind", id::ktmpCountFind},
    {u"tmpCountFieldGet", id::ktmpCountFieldGet},
    {u"tmpCountFieldLet", id::ktmpCountFieldLet},
    {u"tmpCountModify", id::ktmpCountModify},
    {u"tmpCountInsert", id::ktmpCountInsert},
    {u"tmpCountDelete", id::ktmpCountDelete},
    {u"AutoCalcFields", id::kAutoCalcFields},
    {u"Alloc", id::kAlloc},
    {u"GetRec", id::kGetRec},
    {u"GetRecT", id::kGetRecT},
    {u"Find", id::kFind},
    {u"NextRec", id::kNextRec},
    {u"Modify", id::kModify},
    {u"Insert", id::kInsert},
    {u"Delete", id::kDelete},
    {u"DeleteAll", id::kDeleteAll},
    {u"Init", id::kInit},
    {u"Reset", id::kReset},
    {u"LockTable", id::kLockTable},
    {u"SetRange", id::kSetRange},
    {u"SetFilter", id::kSetFilter},
    {u"Count", id::kCount},
    {u"SetCurrentKey", id::kSetCurrentKey},
    {u"GetCurrentKey", id::kGetCurrentKey},
    {u"FieldNo", id::kFieldNo},
    {u"Name", id::kName},
    {u"TableNo", id::kTableNo},
    {u"Field", id::kField},
    {u"Validate", id::kValidate},
    {u"TestField", id::kTestField},
    {u"CalcFields", id::kCalcFields},
    {u"FieldName", id::kFieldName},
    {u"FieldType", id::kFieldType},
    {u"FieldClass", id::kFieldClass},
    {u"FieldLen", id::kFieldLen},
    {u"FieldOptionStr", id::kFieldOptionStr},
};

// A method or a property read: late-bound callers use either kind for both.
bool IsCall(InvokeKind kind) {
  return kind == InvokeKind::kMethod || kind == InvokeKind::kPropertyGet;
}

// Raises 438 unless `kind` is a call; then checks the argument count (450).
void ExpectCall(InvokeKind kind, const automation::Args& args, size_t min, size_t max) {
  if (!IsCall(kind)) automation::RaiseMemberNotFound();
  args.ExpectCount(min, max);
}

// A Long property: get, or let with one value.
void LongProperty(InvokeKind kind, const automation::Args& args, Variant& result, int32_t value,
                  void (Table::*set)(int32_t) noexcept, Table& table) {
  if (kind == InvokeKind::kPropertyPut) {
    args.ExpectCount(1, 1);
    (table.*set)(args.Required(0).ToLong());
    return;
  }
  ExpectCall(kind, args, 0, 0);
  result = value;
}

// Members with a ParamArray take any number of arguments.
constexpr size_t kAnyCount = std::numeric_limits<size_t>::max();

}  // namespace

std::span<const automation::MemberName> Table::MemberNames() const noexcept { return kMemberNames; }

void Table::InvokeMember(automation::DispId member, InvokeKind kind, std::span<Variant> argv,
                         Variant& result) {
  const automation::Args args(argv);
  switch (member) {
    case id::kcfHTable:
      return LongProperty(kind, args, result, cfHTable_, &Table::SetcfHTable, *this);
    case id::kcfHRec:
      return LongProperty(kind, args, result, cfHRec_, &Table::SetcfHRec, *this);
    case id::ktmpCountGet:
      return LongProperty(kind, args, result, tmpCountGet_, &Table::SettmpCountGet, *this);
    case id::ktmpCountFind:
      return LongProperty(kind, args, result, tmpCountFind_, &Table::SettmpCountFind, *this);
    case id::ktmpCountFieldGet:
      return LongProperty(kind, args, result, tmpCountFieldGet_, &Table::SettmpCountFieldGet,
                          *this);
    case id::ktmpCountFieldLet:
      return LongProperty(kind, args, result, tmpCountFieldLet_, &Table::SettmpCountFieldLet,
                          *this);
    case id::ktmpCountModify:
      return LongProperty(kind, args, result, tmpCountModify_, &Table::SettmpCountModify, *this);
    case id::ktmpCountInsert:
      return LongProperty(kind, args, result, tmpCountInsert_, &Table::SettmpCountInsert, *this);
    case id::ktmpCountDelete:
      return LongProperty(kind, args, result, tmpCountDelete_, &Table::SettmpCountDelete, *this);
    case id::kEntryProcess:
      if (kind == InvokeKind::kPropertyPutRef || kind == InvokeKind::kPropertyPut) {
        args.ExpectCount(1, 1);
        SetEntryProcess(args.Required(0).ToObject());
        return;
      }
      ExpectCall(kind, args, 0, 0);
      result = entryProcess_ ? Variant(entryProcess_) : Variant::Nothing();
      return;
    case id::kAutoCalcFields:
      if (kind == InvokeKind::kPropertyPut) {
        args.ExpectCount(1, 1);
        SetAutoCalcFields(args.Required(0).ToBoolean());
        return;
      }
      ExpectCall(kind, args, 0, 0);
      result = autoCalcFields_;
      return;
    case id::kAlloc:
      ExpectCall(kind, args, 1, 1);
      Alloc(args.Required(0).ToLong());
      return;
    case id::kGetRec: {
      ExpectCall(kind, args, 0, kAnyCount);
      const automation::VariantArray fieldData = args.Rest(0);
      result = GetRec(fieldData.items());
      return;
    }
    case id::kGetRecT: {
      ExpectCall(kind, args, 0, kAnyCount);
      const automation::VariantArray fieldData = args.Rest(0);
      result = GetRecT(fieldData.items());
      return;
    }
    case id::kFind:
      ExpectCall(kind, args, 1, 1);
      result = Find(args.Required(0).ToString());
      return;
    case id::kNextRec: {
      ExpectCall(kind, args, 0, 1);
      const Variant* step = args.Optional(0);
      result = NextRec(step ? step->ToInteger() : int16_t{1});
      return;
    }
    case id::kModify:
      ExpectCall(kind, args, 0, 0);
      result = Modify();
      return;
    case id::kInsert: {
      ExpectCall(kind, args, 0, 1);
      const Variant* test = args.Optional(0);
      result = Insert(test ? test->ToBoolean() : false);
      return;
    }
    case id::kDelete:
      ExpectCall(kind, args, 0, 0);
      result = Delete();
      return;
    case id::kDeleteAll:
      ExpectCall(kind, args, 0, 0);
      result = DeleteAll();
      return;
    case id::kInit:
      ExpectCall(kind, args, 0, 0);
      Init();
      return;
    case id::kReset:
      ExpectCall(kind, args, 0, 0);
      Reset();
      return;
    case id::kLockTable:
      ExpectCall(kind, args, 1, 1);
      LockTable(args.Required(0).ToBoolean());
      return;
    case id::kSetRange:
      ExpectCall(kind, args, 1, 3);
      SetRange(args.Required(0), args.Optional(1), args.Optional(2));
      return;
    case id::kSetFilter:
      ExpectCall(kind, args, 2, 2);
      SetFilter(args.Required(0), args.Required(1).ToString());
      return;
    case id::kCount:
      ExpectCall(kind, args, 0, 0);
      result = Count();
      return;
    case id::kSetCurrentKey: {
      ExpectCall(kind, args, 0, kAnyCount);
      const automation::VariantArray fields = args.Rest(0);
      result = SetCurrentKey(fields.items());
      return;
    }
    case id::kGetCurrentKey:
      ExpectCall(kind, args, 0, 0);
      result = GetCurrentKey();
      return;
    case id::kFieldNo:
      ExpectCall(kind, args, 1, 1);
      result = FieldNo(args.Required(0));
      return;
    case id::kName:
      ExpectCall(kind, args, 0, 0);
      result = Name();
      return;
    case id::kTableNo:
      ExpectCall(kind, args, 0, 0);
      result = TableNo();
      return;
    case id::kField:
      if (kind == InvokeKind::kPropertyPut) {
        // The value arrives by reference; it is read, never written back.
        args.ExpectCount(2, 2);
        SetField(args.Required(0), args.Raw(1).Deref());
        return;
      }
      ExpectCall(kind, args, 1, 1);
      result = Field(args.Required(0));
      return;
    case id::kValidate:
      ExpectCall(kind, args, 1, 2);
      Validate(args.Required(0), args.Optional(1));
      return;
    case id::kTestField:
      ExpectCall(kind, args, 1, 2);
      TestField(args.Required(0), args.Optional(1));
      return;
    case id::kCalcFields: {
      ExpectCall(kind, args, 0, kAnyCount);
      const automation::VariantArray fields = args.Rest(0);
      CalcFields(fields.items());
      return;
    }
    case id::kFieldName:
      ExpectCall(kind, args, 1, 1);
      result = FieldName(args.Required(0));
      return;
    case id::kFieldType:
      ExpectCall(kind, args, 1, 1);
      result = FieldType(args.Required(0));
      return;
    case id::kFieldClass:
      ExpectCall(kind, args, 1, 1);
      result = FieldClass(args.Required(0));
      return;
    case id::kFieldLen:
      ExpectCall(kind, args, 1, 1);
      result = FieldLen(args.Required(0));
      return;
    case id::kFieldOptionStr:
      ExpectCall(kind, args, 1, 1);
      result = FieldOptionStr(args.Required(0));
      return;
    default:
      automation::RaiseMemberNotFound();
  }
}

}  // namespace talmo
