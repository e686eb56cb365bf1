// Members on fields: names and numbers, metadata, reading and assigning values, flow-field
// calculation, and the decimal work values through which decimals travel as doubles.
#include <string>

#include "automation/text.h"
#include "binding/client_failure.h"
#include "binding/field_access.h"
#include "binding/members.h"
#include "binding/variant_values.h"
#include "error_codes.h"

namespace dbclient::binding {
namespace {

using automation::Variant;
using automation::VarType;

// Out of line, so that the look-ups it ends stay small.
[[noreturn, gnu::cold, gnu::noinline]] void UnknownField(const TableDef& table, int32_t fieldNo) {
  Fail(errc::kUnknownField, table.name + " " + std::to_string(fieldNo));
}

const FieldDef& FieldOf(const Cursor& table, int32_t fieldNo) {
  const FieldDef* field = table.table().FindField(fieldNo);
  if (!field) UnknownField(table.table(), fieldNo);
  return *field;
}

// The value of `fieldNo` in the buffer (the schema and the buffer agree on the fields).
const Value& ValueOf(const Record& record, int32_t fieldNo) {
  const Value* value = record.Find(fieldNo);
  if (!value) UnknownField(record.table(), fieldNo);
  return *value;
}

// 31: table, field name; the number of the field.
Variant FieldNumber(Session& session, const CallArgs& args) {
  const Cursor& table = session.Table(args.Long(0));
  const std::string name = automation::ToUtf8(args.String(1));
  const FieldDef* field = table.table().FindField(name);
  if (!field) Fail(errc::kUnknownFieldName, table.table().name + ": " + name);
  return Variant(field->number);
}

Variant FieldName(Session& session, const CallArgs& args) {
  return Variant(automation::FromUtf8(FieldOf(session.Table(args.Long(0)), args.Long(1)).name));
}

Variant TypeOfField(Session& session, const CallArgs& args) {
  return Variant(FieldTypeCode(session, args.Long(0), args.Long(1)));
}

Variant ClassOfField(Session& session, const CallArgs& args) {
  return Variant(FieldClassCode(session, args.Long(0), args.Long(1)));
}

Variant FieldLength(Session& session, const CallArgs& args) {
  return Variant(FieldOf(session.Table(args.Long(0)), args.Long(1)).length);
}

Variant FieldOptionString(Session& session, const CallArgs& args) {
  const FieldDef& field = FieldOf(session.Table(args.Long(0)), args.Long(1));
  return Variant(automation::FromUtf8(field.optionString));
}

// 55: table, record, field; the value as a Variant of the field's type.
Variant GetField(Session& session, const CallArgs& args) {
  return FieldValue(session, args.Long(0), args.Long(1), args.Long(2));
}

// 56: table, record, field, value; converted to the field's type, or nothing is stored.
Variant SetField(Session& session, const CallArgs& args) {
  StoreFieldValue(session, args.Long(0), args.Long(1), args.Long(2), args.Value(3));
  return Variant();
}

// 59: table, record, field.
Variant CalcField(Session& session, const CallArgs& args) {
  CalcFieldValue(session, args.Long(0), args.Long(1), args.Long(2));
  return Variant();
}

Variant AllocDecimal(Session& session, const CallArgs&) { return Variant(session.AddDecimal(0.0)); }

Variant FreeDecimal(Session& session, const CallArgs& args) {
  session.FreeDecimal(args.Long(0));
  return Variant();
}

// 83: table, record, field, decimal handle; loads a Decimal (or Integer) field.
Variant LoadDecimal(Session& session, const CallArgs& args) {
  const double value = DecimalFieldValue(session, args.Long(0), args.Long(1), args.Long(2));
  session.Decimal(args.Long(3)) = value;
  return Variant();
}

// 82: table, record, field, decimal handle; stores with the field's conversion rules.
Variant StoreDecimal(Session& session, const CallArgs& args) {
  const Cursor& table = session.Table(args.Long(0));
  Record& record = session.RecordOf(table, args.Long(1));
  const int32_t field = args.Long(2);
  Check(record.Set(field, Input(session.Decimal(args.Long(3)))));
  return Variant();
}

Variant GetDecimal(Session& session, const CallArgs& args) {
  return Variant(session.Decimal(args.Long(0)));
}

// 89: the double comes first, then the handle.
Variant SetDecimal(Session& session, const CallArgs& args) {
  const double value = args.Double(0);
  session.Decimal(args.Long(1)) = value;
  return Variant();
}

constexpr VarType kNone = VarType::kEmpty;

constexpr MemberDef kMembers[] = {
    {31, u"FieldNo", 2, 2, VarType::kLong, FieldNumber},
    {32, u"FieldName", 2, 2, VarType::kString, FieldName},
    {29, u"FieldType", 2, 2, VarType::kInteger, TypeOfField},
    {34, u"FieldClass", 2, 2, VarType::kInteger, ClassOfField},
    {67, u"FieldLength", 2, 2, VarType::kInteger, FieldLength},
    {33, u"FieldOptionString", 2, 2, VarType::kString, FieldOptionString},
    {55, u"GetField", 3, 3, kNone, GetField},
    {56, u"SetField", 4, 4, kNone, SetField},
    {59, u"CalcField", 3, 3, kNone, CalcField},
    {80, u"AllocDecimal", 0, 0, VarType::kLong, AllocDecimal},
    {81, u"FreeDecimal", 1, 1, kNone, FreeDecimal},
    {83, u"LoadDecimal", 4, 4, kNone, LoadDecimal},
    {82, u"StoreDecimal", 4, 4, kNone, StoreDecimal},
    {88, u"GetDecimal", 1, 1, VarType::kDouble, GetDecimal},
    {89, u"SetDecimal", 2, 2, kNone, SetDecimal},
};

}  // namespace

void CalcFieldValue(Session& session, int32_t table, int32_t record, int32_t field) {
  Cursor& cursor = session.Table(table);
  Check(cursor.CalcFlowField(session.RecordOf(cursor, record), field));
}

int16_t FieldTypeCode(Session& session, int32_t table, int32_t field) {
  return static_cast<int16_t>(FieldOf(session.Table(table), field).type);
}

int16_t FieldClassCode(Session& session, int32_t table, int32_t field) {
  return static_cast<int16_t>(FieldOf(session.Table(table), field).fieldClass);
}

Variant FieldValue(Session& session, int32_t table, int32_t record, int32_t field) {
  const Cursor& cursor = session.Table(table);
  return ToVariant(ValueOf(session.RecordOf(cursor, record), field));
}

void StoreInput(Record& buffer, int32_t field, const Variant& value) {
  std::u16string text;
  Check(buffer.Set(field, ToInput(value, text)));
}

void StoreFieldValue(Session& session, int32_t table, int32_t record, int32_t field,
                     const Variant& value) {
  const Cursor& cursor = session.Table(table);
  StoreInput(session.RecordOf(cursor, record), field, value);
}

double DecimalFieldValue(Session& session, int32_t table, int32_t record, int32_t field) {
  const Cursor& cursor = session.Table(table);
  const Value& value = ValueOf(session.RecordOf(cursor, record), field);
  switch (value.type()) {
    case FieldType::kDecimal:
      return value.decimal();
    case FieldType::kInteger:
      return static_cast<double>(value.integer());
    default:
      Fail(errc::kTypeMismatch, "not a number field");
  }
}

void StoreDecimalField(Session& session, int32_t table, int32_t record, int32_t field,
                       double value) {
  const Cursor& cursor = session.Table(table);
  Check(session.RecordOf(cursor, record).Set(field, Input(value)));
}

std::span<const MemberDef> FieldMembers() noexcept { return kMembers; }

}  // namespace dbclient::binding
