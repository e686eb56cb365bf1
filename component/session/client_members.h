// The database client's members that the component calls, by dispatch number.
#pragma once

#include "automation/dispatch.h"

namespace talmo::client_member {

inline constexpr automation::DispId kErrorDisplay = 1;  // Boolean property put
inline constexpr automation::DispId kLifecycle = 2;     // Boolean property put
inline constexpr automation::DispId kCloseTable = 13;
inline constexpr automation::DispId kTableName = 14;
inline constexpr automation::DispId kAllocRecord = 15;
inline constexpr automation::DispId kFreeRecord = 16;
inline constexpr automation::DispId kCopyRecord = 17;
inline constexpr automation::DispId kFind = 19;
inline constexpr automation::DispId kNext = 20;
inline constexpr automation::DispId kInsert = 21;
inline constexpr automation::DispId kDelete = 22;
inline constexpr automation::DispId kModify = 23;
inline constexpr automation::DispId kCount = 24;
inline constexpr automation::DispId kInitRecord = 25;
inline constexpr automation::DispId kFieldType = 29;
inline constexpr automation::DispId kFieldNumber = 31;
inline constexpr automation::DispId kFieldName = 32;
inline constexpr automation::DispId kFieldOptionString = 33;
inline constexpr automation::DispId kFieldClass = 34;
inline constexpr automation::DispId kLockTable = 43;
inline constexpr automation::DispId kSetFilter = 44;
inline constexpr automation::DispId kLastError = 45;  // 32-bit code, 0 for none
inline constexpr automation::DispId kOpenTable = 47;
inline constexpr automation::DispId kSetRange = 50;
inline constexpr automation::DispId kGetKey = 51;
inline constexpr automation::DispId kSetKey = 53;
inline constexpr automation::DispId kGetField = 55;
inline constexpr automation::DispId kSetField = 56;
inline constexpr automation::DispId kCalcField = 59;
inline constexpr automation::DispId kBeforeKeyLookup = 62;
inline constexpr automation::DispId kBeforeInsert = 63;
inline constexpr automation::DispId kFieldLength = 67;
inline constexpr automation::DispId kDeleteAll = 78;
inline constexpr automation::DispId kAllocDecimal = 80;
inline constexpr automation::DispId kFreeDecimal = 81;
inline constexpr automation::DispId kStoreDecimal = 82;
inline constexpr automation::DispId kLoadDecimal = 83;
inline constexpr automation::DispId kDecimalValue = 88;
inline constexpr automation::DispId kSetDecimal = 89;

}  // namespace talmo::client_member
