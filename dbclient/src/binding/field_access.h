// Reading and writing fields of a record buffer: the work of the field members, shared by
// their dispatch handlers and the native interface. Failures throw ClientFailure.
#pragma once

#include <cstdint>

#include "automation/variant.h"
#include "binding/session.h"

namespace dbclient::binding {

// Type and class codes of a field of an open table (unknown field: kUnknownField).
int16_t FieldTypeCode(Session& session, int32_t table, int32_t field);
int16_t FieldClassCode(Session& session, int32_t table, int32_t field);

// The value of a field of a record buffer as a Variant of the field's type.
automation::Variant FieldValue(Session& session, int32_t table, int32_t record, int32_t field);
// Converts `value` to the field's type and stores it; nothing is stored on failure.
void StoreInput(Record& buffer, int32_t field, const automation::Variant& value);
void StoreFieldValue(Session& session, int32_t table, int32_t record, int32_t field,
                     const automation::Variant& value);

// Calculates a flow field of the record buffer.
void CalcFieldValue(Session& session, int32_t table, int32_t record, int32_t field);

// A Decimal or Integer field as a double (any other type: kTypeMismatch).
double DecimalFieldValue(Session& session, int32_t table, int32_t record, int32_t field);
// Stores a double with the field's conversion rules.
void StoreDecimalField(Session& session, int32_t table, int32_t record, int32_t field,
                       double value);

}  // namespace dbclient::binding
