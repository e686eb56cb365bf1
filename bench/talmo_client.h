// The Talmo side of the benchmarks, used as a client program uses the component: a Database
// created through the component registry by its ProgID, tables from AllocTable, members
// reached by dispatch id (each name resolved once per class, as a compiled client does).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "late_object.h"
#include "workload.h"

namespace talmo_bench {

// One Table object.
class TalmoTable {
 public:
  explicit TalmoTable(automation::Ref<automation::Dispatch> table);

  automation::Variant Field(int32_t field) {
    return automation::GetProperty(table_.get(), ids().field, field);
  }
  void SetField(int32_t field, automation::Variant value) {
    automation::PutProperty(table_.get(), ids().field, field, std::move(value));
  }
  bool GetRecT(const automation::Variant& key) {
    return automation::CallMethod(table_.get(), ids().getRecT, key).ToBoolean();
  }
  bool GetRec(const automation::Variant& key) {
    return automation::CallMethod(table_.get(), ids().getRec, key).ToBoolean();
  }
  bool Find(std::u16string_view method) {
    return automation::CallMethod(table_.get(), ids().find, method).ToBoolean();
  }
  int32_t NextRec() {
    return automation::CallMethod(table_.get(), ids().nextRec, int16_t{1}).ToLong();
  }
  void SetFilter(int32_t field, std::u16string_view filter) {
    automation::CallMethod(table_.get(), ids().setFilter, field, filter);
  }
  void SetAutoCalcFields(bool on) {
    automation::PutProperty(table_.get(), ids().autoCalcFields, on);
  }
  void Init() { automation::CallMethod(table_.get(), ids().init); }
  bool Insert() { return automation::CallMethod(table_.get(), ids().insert, true).ToBoolean(); }

 private:
  struct Ids {
    automation::DispId field, getRecT, getRec, find, nextRec, setFilter, autoCalcFields, init,
        insert;
  };
  // Resolved from the first Table seen.
  const Ids& ids() const noexcept { return *ids_; }

  automation::Ref<automation::Dispatch> table_;
  const Ids* ids_;
};

// A connection of the component: Talmo.Database created by ProgID, AutoConnect with the
// given INI file, SelectLatestVersion. Closing it (Disconnect stopNow) is the destructor's.
class TalmoConnection {
 public:
  explicit TalmoConnection(const std::filesystem::path& connectionIni);
  ~TalmoConnection();
  TalmoConnection(const TalmoConnection&) = delete;
  TalmoConnection& operator=(const TalmoConnection&) = delete;

  talmo_demo::LateObject& database() noexcept { return database_; }
  TalmoTable AllocTable(int16_t tableNo);
  void BeginWrite() { database_.Call(u"BWT"); }
  void EndWrite() { database_.Call(u"EWT"); }

 private:
  talmo_demo::LateObject database_;
};

// A DbClient object of the benchmark's own. It holds no handles; its diagnostic members
// report on every client object of the process, the component's included.
class ClientDiagnostics {
 public:
  ClientDiagnostics();

  // Handles (tables, record buffers, decimal values) every client object holds now.
  int64_t OpenHandles();
  // Calls of one member so far, and of each member (the diagnostic members not counted).
  uint64_t Calls(int32_t member);
  CallCounts Snapshot();
  // Requests sent to database servers by every client object so far.
  uint64_t RoundTrips();

 private:
  automation::Ref<automation::Dispatch> client_;
};

}  // namespace talmo_bench
