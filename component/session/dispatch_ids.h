// Dispatch ids of `_Database`. They are part of the interface (early-bound clients keep
// them), so they never change: members are numbered from 1 in interface slot order and a
// property's get and put share one id. `Table` numbers its interface the same way
// (records/table.h); the record-rule classes keep the ids of their own interfaces.
//
//   id  member
//    1  NavisionPath (get/let)
//    2  About
//    3  Version
//    4  AutoConnect
//    5  OpenCompany
//    6  CompanyName
//    7  BWT
//    8  EWT
//    9  AWT
//   10  SelectLatestVersion
//   11  AllocTable
//   12  TableNo
//   13  IncStr
//   14  ViewErrors (get/let)
//   15  GetStat (get)
//   16  Disconnect
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

}  // namespace talmo
