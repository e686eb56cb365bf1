// The state a Database shares with its cursors. Cursors hold it by shared pointer, so a
// cursor that outlives its company or database answers kClosed instead of touching freed
// state.
#pragma once

#include <memory>
#include <string>

#include "dbclient/engine.h"
#include "engine/memory_rows.h"
#include "engine/storage.h"

namespace dbclient {

struct Database::Impl {
  const Schema* schema = nullptr;
  std::unique_ptr<Storage> storage;
  bool open = true;
  bool loggedIn = false;
  bool companyOpen = false;
  int64_t company = 0;
  std::u16string companyName;
  uint64_t generation = 0;  // changes whenever the open company changes
  bool inWrite = false;
  std::unique_ptr<MemoryRows> fieldRows;  // table 2000000041, built on first use

  const TableDef* FindTable(int32_t tableNo) const;
  const MemoryRows& FieldRows();

  // Runs a write: inside the open write transaction, or in one of its own that commits when
  // `work` succeeds and rolls back when it fails.
  template <typename Work>
  Status Write(Work work) {
    if (inWrite) return work();
    Status status = storage->BeginWrite(true);
    if (!status.ok()) return status;
    status = work();
    Status end = status.ok() ? storage->Commit() : storage->Rollback();
    return status.ok() ? end : status;
  }
};

}  // namespace dbclient
