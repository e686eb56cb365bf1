// Members on tables and record buffers: opening and closing, buffers, searching and
// stepping, writing records, counting, locking, filters and keys.
#include <algorithm>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "automation/automation_error.h"
#include "automation/text.h"
#include "binding/client_failure.h"
#include "binding/field_access.h"
#include "binding/members.h"
#include "binding/table_access.h"
#include "binding/variant_values.h"
#include "error_codes.h"

namespace dbclient::binding {
namespace {

using automation::Variant;
using automation::VarType;

constexpr int32_t kFlagTrue = -1;

// 47: opens table number (argument 2) and writes the new handle into argument 1. The handle
// is also the result, for callers that cannot pass an argument by reference.
Variant OpenTable(Session& session, const CallArgs& args) {
  const int32_t handle = OpenTableHandle(session, args.Long(1));
  args.Store(0, Variant(handle));
  return Variant(handle);
}

Variant CloseTable(Session& session, const CallArgs& args) {
  session.CloseTable(args.Long(0));
  return Variant();
}

Variant TableName(Session& session, const CallArgs& args) {
  return Variant(automation::FromUtf8(session.Table(args.Long(0)).table().name));
}

Variant AllocRecord(Session& session, const CallArgs& args) {
  return Variant(AllocRecordBuffer(session, args.Long(0)));
}

Variant FreeRecord(Session& session, const CallArgs& args) {
  session.FreeRecord(args.Long(0));
  return Variant();
}

Variant InitRecord(Session& session, const CallArgs& args) {
  InitRecordBuffer(session, args.Long(0), args.Long(1));
  return Variant();
}

// 17: table, target buffer, source buffer.
Variant CopyRecord(Session& session, const CallArgs& args) {
  CopyRecordBuffer(session, args.Long(0), args.Long(1), args.Long(2));
  return Variant();
}

// 63: called before inserts; nothing needs preparing here.
Variant Prepare(Session&, const CallArgs&) { return Variant(); }

// 62: the next search is a key look-up that answers "not found" with 0 and no error.
Variant PrepareLookup(Session& session, const CallArgs&) {
  session.quietLookup = true;
  return Variant();
}

Variant Find(Session& session, const CallArgs& args) {
  const bool found = FindRecord(session, args.Long(0), args.Long(1), args.String(2));
  return Variant(found ? kFlagTrue : int32_t{0});
}

// 20: steps and the result are 16-bit.
Variant Next(Session& session, const CallArgs& args) {
  return Variant(StepRecord(session, args.Long(0), args.Long(1), args.Integer(2)));
}

Variant Insert(Session& session, const CallArgs& args) {
  return Variant(InsertRecord(session, args.Long(0), args.Long(1)) ? kFlagTrue : int32_t{0});
}

Variant Modify(Session& session, const CallArgs& args) {
  ModifyRecord(session, args.Long(0), args.Long(1));
  return Variant(kFlagTrue);
}

Variant Delete(Session& session, const CallArgs& args) {
  DeleteRecord(session, args.Long(0), args.Long(1));
  return Variant(kFlagTrue);
}

Variant DeleteAll(Session& session, const CallArgs& args) {
  Check(session.Table(args.Long(0)).DeleteAll());
  return Variant();
}

Variant Count(Session& session, const CallArgs& args) {
  int32_t count = 0;
  Check(session.Table(args.Long(0)).Count(&count));
  return Variant(count);
}

// 43: table, wait (-1 or 0).
Variant LockTable(Session& session, const CallArgs& args) {
  Cursor& table = session.Table(args.Long(0));
  Check(table.LockTable(args.Boolean(1)));
  return Variant();
}

// 44: table, field, filter expression; "" removes the field's filter.
Variant SetFilter(Session& session, const CallArgs& args) {
  Cursor& table = session.Table(args.Long(0));
  Check(table.SetFilter(args.Long(1), args.String(2)));
  return Variant();
}

// 50: table, field, lowest and highest value; without a highest value the range is the
// single lowest value.
Variant SetRange(Session& session, const CallArgs& args) {
  Cursor& table = session.Table(args.Long(0));
  const int32_t field = args.Long(1);
  const Variant& min = args.Value(2);
  const Variant* max = args.Optional(3);
  std::u16string minText;
  std::u16string maxText;
  const Input minInput = ToInput(min, minText);
  const Input maxInput = ToInput(max ? *max : min, maxText);
  Check(table.SetRange(field, minInput, maxInput));
  return Variant();
}

// 51: the current key's fields as a zero-based array of Long.
Variant GetCurrentKey(Session& session, const CallArgs& args) {
  return CurrentKeyFields(session, args.Long(0));
}

// 53: table, an array of field numbers (a single number stands for a one-field key).
Variant SetCurrentKey(Session& session, const CallArgs& args) {
  Cursor& table = session.Table(args.Long(0));
  const Variant& key = args.Value(1);
  std::vector<int32_t> fields;
  try {
    if (key.IsArray()) {
      for (const Variant& item : key.ToArray().items()) fields.push_back(item.ToLong());
    } else {
      fields.push_back(key.ToLong());
    }
  } catch (const automation::AutomationError& e) {
    Fail(errc::kBadArgument, std::string("key: ") + e.what());
  }
  Check(table.SetCurrentKey(fields));
  return Variant(kFlagTrue);
}

constexpr VarType kNone = VarType::kEmpty;

constexpr MemberDef kMembers[] = {
    {47, u"OpenTable", 2, 2, VarType::kLong, OpenTable},
    {13, u"CloseTable", 1, 1, kNone, CloseTable},
    {14, u"TableName", 1, 1, VarType::kString, TableName},
    {15, u"AllocRecord", 1, 1, VarType::kLong, AllocRecord},
    {16, u"FreeRecord", 1, 1, kNone, FreeRecord},
    {25, u"InitRecord", 2, 2, kNone, InitRecord},
    {17, u"CopyRecord", 3, 3, kNone, CopyRecord},
    {kBeforeLookupMember, u"BeforeLookup", 0, 0, kNone, PrepareLookup},
    {63, u"BeforeInsert", 0, 0, kNone, Prepare},
    {kFindMember, u"Find", 3, 3, VarType::kLong, Find},
    {20, u"Next", 3, 3, VarType::kInteger, Next},
    {21, u"Insert", 2, 2, VarType::kLong, Insert},
    {23, u"Modify", 2, 2, VarType::kLong, Modify},
    {22, u"Delete", 2, 2, VarType::kLong, Delete},
    {78, u"DeleteAll", 1, 1, kNone, DeleteAll},
    {24, u"Count", 1, 1, VarType::kLong, Count},
    {43, u"LockTable", 2, 2, kNone, LockTable},
    {44, u"SetFilter", 3, 3, kNone, SetFilter},
    {50, u"SetRange", 3, 4, kNone, SetRange},
    {51, u"GetCurrentKey", 1, 1, kNone, GetCurrentKey},
    {53, u"SetCurrentKey", 2, 2, VarType::kLong, SetCurrentKey},
};

}  // namespace

std::span<const MemberDef> TableMembers() noexcept { return kMembers; }

int32_t OpenTableHandle(Session& session, int32_t tableNo) {
  return session.AddTable(session.OpenCursor(tableNo));
}

int32_t AllocRecordBuffer(Session& session, int32_t table) {
  return session.AddRecord(session.NewRecord(session.Table(table)));
}

void InitRecordBuffer(Session& session, int32_t table, int32_t record) {
  session.RecordOf(session.Table(table), record).Init();
}

void CopyRecordBuffer(Session& session, int32_t table, int32_t target, int32_t source) {
  const Cursor& cursor = session.Table(table);
  Record& to = session.RecordOf(cursor, target);
  const Record& from = session.RecordOf(cursor, source);
  if (&to != &from) Check(to.CopyFrom(from));
}

Variant CurrentKeyFields(Session& session, int32_t table) {
  const std::vector<int32_t> fields = session.Table(table).CurrentKey();
  std::vector<Variant> items;
  items.reserve(fields.size());
  for (int32_t field : fields) items.emplace_back(field);
  return Variant(automation::VariantArray(std::move(items), 0));
}

bool FindRecord(Session& session, int32_t table, int32_t record, std::u16string_view method) {
  const bool quiet = std::exchange(session.quietLookup, false);
  Cursor& cursor = session.Table(table);
  Status status = cursor.Find(session.RecordOf(cursor, record), method);
  if (quiet &&
      (status.code() == errc::kRecordNotFound || status.code() == errc::kNoRecordInFilter)) {
    return false;
  }
  Check(std::move(status));
  return true;
}

bool LookUpRecordByKey(Session& session, int32_t tableNo, std::span<const Variant> keyValues,
                       int32_t record, std::vector<int32_t>* keyFields) {
  // The members are counted as they would be made; the kept cursor and buffer stand in for
  // the fresh ones that 47, 15 and 25 would give, and the found record is exchanged into the
  // target instead of copied, since the kept buffer is initialised before its next use.
  Session::KeyLookup& lookup = session.KeyLookupOf(tableNo);
  Cursor& cursor = *lookup.cursor;
  Record& buffer = *lookup.buffer;
  session.BeginCall(15);
  session.BeginCall(25);
  buffer.Init();
  session.BeginCall(51);
  const std::vector<int32_t>& primaryKey = cursor.table().PrimaryKey().fields;
  keyFields->assign(primaryKey.begin(), primaryKey.end());
  const size_t given = std::min(keyValues.size(), primaryKey.size());
  for (size_t i = 0; i < given; ++i) {
    session.BeginCall(56);
    StoreInput(buffer, primaryKey[i], keyValues[i].Deref());
  }
  if (keyValues.size() > primaryKey.size()) return false;
  session.BeginCall(kBeforeLookupMember);
  session.BeginCall(kFindMember);
  Status status = cursor.Find(buffer, u"=");
  const bool found =
      status.code() != errc::kRecordNotFound && status.code() != errc::kNoRecordInFilter;
  if (found) {
    Check(std::move(status));
    session.BeginCall(17);
    Check(session.RecordOf(cursor, record).SwapWith(buffer));
  }
  session.BeginCall(16);
  session.BeginCall(13);
  return found;
}

void InitRecordKeepingKey(Session& session, int32_t tableNo, int32_t table, int32_t record) {
  // The kept look-up cursor stands in for the fresh handle of 47, which reports the primary
  // key, and the key's values are read from the buffer itself before 25 instead of from a
  // copy of it: both hold the same.
  const Cursor& scratch = *session.KeyLookupOf(tableNo).cursor;
  session.BeginCall(15);
  session.BeginCall(17);
  const Record& source = session.RecordOf(scratch, record);
  session.BeginCall(51);
  const std::vector<int32_t>& primaryKey = scratch.table().PrimaryKey().fields;
  std::vector<Variant> keyValues;
  keyValues.reserve(primaryKey.size());
  for (int32_t field : primaryKey) keyValues.push_back(ToVariant(*source.Find(field)));
  session.BeginCall(25);
  Record& target = session.RecordOf(session.Table(table), record);
  target.Init();
  for (size_t i = 0; i < primaryKey.size(); ++i) {
    session.BeginCall(55);
    session.BeginCall(56);
    StoreInput(target, primaryKey[i], keyValues[i]);
  }
  session.BeginCall(16);
  session.BeginCall(13);
}

int16_t StepRecord(Session& session, int32_t table, int32_t record, int16_t steps) {
  Cursor& cursor = session.Table(table);
  int32_t moved = 0;
  Check(cursor.Next(session.RecordOf(cursor, record), steps, &moved));
  return static_cast<int16_t>(moved);
}

bool InsertRecord(Session& session, int32_t table, int32_t record) {
  Cursor& cursor = session.Table(table);
  Status status = cursor.Insert(session.RecordOf(cursor, record));
  if (status.code() == errc::kRecordExists) return false;
  Check(std::move(status));
  return true;
}

void ModifyRecord(Session& session, int32_t table, int32_t record) {
  Cursor& cursor = session.Table(table);
  Check(cursor.Modify(session.RecordOf(cursor, record)));
}

void DeleteRecord(Session& session, int32_t table, int32_t record) {
  Cursor& cursor = session.Table(table);
  Check(cursor.Delete(session.RecordOf(cursor, record)));
}

}  // namespace dbclient::binding
