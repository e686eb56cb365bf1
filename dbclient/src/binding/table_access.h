// Tables and record buffers: the work of the table members that a caller makes most often,
// shared by their dispatch handlers and the native interface. Failures throw ClientFailure.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "automation/variant.h"
#include "binding/session.h"

namespace dbclient::binding {

int32_t OpenTableHandle(Session& session, int32_t tableNo);             // 47
int32_t AllocRecordBuffer(Session& session, int32_t table);             // 15
void InitRecordBuffer(Session& session, int32_t table, int32_t record);  // 25
// 17: copies buffer `source` into buffer `target`, both of `table`.
void CopyRecordBuffer(Session& session, int32_t table, int32_t target, int32_t source);
// 51: the current key's fields as a zero-based array of Long.
automation::Variant CurrentKeyFields(Session& session, int32_t table);
// 19: false only for "not found" right after member 62; any other failure throws.
bool FindRecord(Session& session, int32_t table, int32_t record, std::u16string_view method);
// A key look-up of table `tableNo` into buffer `record`, with the effects of 47, 15, 25, 51,
// 56 for each key value, 62, 19 "=", 17 when found, 16 and 13 (see NativeClient).
bool LookUpRecordByKey(Session& session, int32_t tableNo,
                       std::span<const automation::Variant> keyValues, int32_t record,
                       std::vector<int32_t>* keyFields);
// Member 25 on `table` and `record` with the primary key's values kept, with the effects of
// 47 on `tableNo`, 15, 17, 51, 25, 55 and 56 for each key field, 16 and 13 (see NativeClient).
void InitRecordKeepingKey(Session& session, int32_t tableNo, int32_t table, int32_t record);
// 20: the number of records moved.
int16_t StepRecord(Session& session, int32_t table, int32_t record, int16_t steps);
// 21: false when a record with the key already exists (no error: the caller decides).
bool InsertRecord(Session& session, int32_t table, int32_t record);
void ModifyRecord(Session& session, int32_t table, int32_t record);  // 23
void DeleteRecord(Session& session, int32_t table, int32_t record);  // 22

}  // namespace dbclient::binding
