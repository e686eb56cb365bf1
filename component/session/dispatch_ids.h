// Dispatch ids of the component's own classes. They are part of the interface (early-bound
// clients keep them), so they never change: members are numbered from 1 in interface slot
// order, a property's get and put share one id, and a default member has id 0. The record
// rule classes keep the ids of their own interfaces (see component/rules).
//
//   id  Database             Table
//    0  -                    Field (default member)
//    1  NavisionPath         cfHTable
//    2  About                cfHRec
//    3  Version              EntryProcess
//    4  AutoConnect          tmpCountGet
//    5  OpenCompany          tmpCountFind
//    6  CompanyName          tmpCountFieldGet
//    7  BWT                  tmpCountFieldLet
//    8  EWT                  tmpCountModify
//    9  AWT                  tmpCountInsert
//   10  SelectLatestVersion  tmpCountDelete
//   11  AllocTable           AutoCalcFields
//   12  TableNo              Alloc
//   13  IncStr               GetRec
//   14  ViewErrors           GetRecT
//   15  GetStat              Find
//   16  Disconnect           NextRec
//   17                       Modify
//   18                       Insert
//   19                       Delete
//   20                       DeleteAll
//   21                       Init
//   22                       Reset
//   23                       LockTable
//   24                       SetRange
//   25                       SetFilter
//   26                       Count
//   27                       SetCurrentKey
//   28                       GetCurrentKey
//   29                       FieldNo
//   30                       Name
//   31                       TableNo
//   32                       Validate
//   33                       TestField
//   34                       CalcFields
//   35                       FieldName
//   36                       FieldType
//   37                       FieldClass
//   38                       FieldLen
//   39                       FieldOptionStr
#pragma once

#include "automation/dispatch.h"

namespace talmo {

namespace database_id {
inline constexpr automation::DispId kNavisionPath = 1;
inline constexpr automation::DispId kAbout = 2;
inline constexpr automation::DispId kVersion = 3;
inline constexpr automation::DispId kAutoConnect = 4;
inline constexpr automation::DispId kOpenCompany = 5;
inline constexpr automation::DispId kCompanyName = 6;
inline constexpr automation::DispId kBWT = 7;
inline constexpr automation::DispId kEWT = 8;
inline constexpr automation::DispId kAWT = 9;
inline constexpr automation::DispId kSelectLatestVersion = 10;
inline constexpr automation::DispId kAllocTable = 11;
inline constexpr automation::DispId kTableNo = 12;
inline constexpr automation::DispId kIncStr = 13;
inline constexpr automation::DispId kViewErrors = 14;
inline constexpr automation::DispId kGetStat = 15;
inline constexpr automation::DispId kDisconnect = 16;
}  // namespace database_id

namespace table_id {
inline constexpr automation::DispId kField = 0;
inline constexpr automation::DispId kcfHTable = 1;
inline constexpr automation::DispId kcfHRec = 2;
inline constexpr automation::DispId kEntryProcess = 3;
inline constexpr automation::DispId ktmpCountGet = 4;
inline constexpr automation::DispId ktmpCountFind = 5;
inline constexpr automation::DispId ktmpCountFieldGet = 6;
inline constexpr automation::DispId ktmpCountFieldLet = 7;
inline constexpr automation::DispId ktmpCountModify = 8;
inline constexpr automation::DispId ktmpCountInsert = 9;
inline constexpr automation::DispId ktmpCountDelete = 10;
inline constexpr automation::DispId kAutoCalcFields = 11;
inline constexpr automation::DispId kAlloc = 12;
inline constexpr automation::DispId kGetRec = 13;
inline constexpr automation::DispId kGetRecT = 14;
inline constexpr automation::DispId kFind = 15;
inline constexpr automation::DispId kNextRec = 16;
inline constexpr automation::DispId kModify = 17;
inline constexpr automation::DispId kInsert = 18;
inline constexpr automation::DispId kDelete = 19;
inline constexpr automation::DispId kDeleteAll = 20;
inline constexpr automation::DispId kInit = 21;
inline constexpr automation::DispId kReset = 22;
inline constexpr automation::DispId kLockTable = 23;
inline constexpr automation::DispId kSetRange = 24;
inline constexpr automation::DispId kSetFilter = 25;
inline constexpr automation::DispId kCount = 26;
inline constexpr automation::DispId kSetCurrentKey = 27;
inline constexpr automation::DispId kGetCurrentKey = 28;
inline constexpr automation::DispId kFieldNo = 29;
inline constexpr automation::DispId kName = 30;
inline constexpr automation::DispId kTableNo = 31;
inline constexpr automation::DispId kValidate = 32;
inline constexpr automation::DispId kTestField = 33;
inline constexpr automation::DispId kCalcFields = 34;
inline constexpr automation::DispId kFieldName = 35;
inline constexpr automation::DispId kFieldType = 36;
inline constexpr automation::DispId kFieldClass = 37;
inline constexpr automation::DispId kFieldLen = 38;
inline constexpr automation::DispId kFieldOptionStr = 39;
}  // namespace table_id

}  // namespace talmo
