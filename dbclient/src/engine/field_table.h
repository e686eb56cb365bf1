// The virtual field-description table 2000000041: one read-only record per field of every
// table, keyed by (table number, field number), answered from the schema in memory.
#pragma once

#include <vector>

#include "dbclient/record.h"
#include "dbclient/schema.h"

namespace dbclient {

// Field numbers of the field-description table.
namespace field_table {
inline constexpr int32_t kTableNo = 1;
inline constexpr int32_t kNo = 2;
inline constexpr int32_t kTableName = 3;
inline constexpr int32_t kFieldName = 4;
inline constexpr int32_t kType = 5;
inline constexpr int32_t kLength = 6;
inline constexpr int32_t kClass = 7;
inline constexpr int32_t kEnabled = 8;
inline constexpr int32_t kTypeName = 9;
inline constexpr int32_t kOptionString = 10;
inline constexpr int32_t kRelationTableNo = 21;
}  // namespace field_table

const TableDef& FieldTableDef();

// The records describing every field of `schema`'s tables and of the field table itself,
// in key order.
std::vector<Record> FieldTableRows(const Schema& schema);

}  // namespace dbclient
