#include "company_copy.h"

#include <memory>
#include <vector>

namespace dbtool {
namespace {

using dbclient::Cursor;
using dbclient::Record;
using dbclient::Status;

// Records sent to the target in one load.
constexpr size_t kBatch = 1000;

Status CopyTable(dbclient::Database& from, dbclient::Database& to, int32_t tableNo) {
  std::unique_ptr<Cursor> source, target;
  Status status = from.OpenTable(tableNo, &source);
  if (status.ok()) status = to.OpenTable(tableNo, &target);
  if (!status.ok()) return status;
  std::vector<Record> batch;
  Record rec = source->NewRecord();
  status = source->Find(rec, u"-");
  if (status.code() == dbclient::kCodeNoRecordInFilter) return Status();
  int32_t moved = 1;
  while (status.ok() && moved != 0) {
    batch.push_back(rec);
    if (batch.size() == kBatch) {
      status = target->InsertAll(batch);
      batch.clear();
    }
    if (status.ok()) status = source->Next(rec, 1, &moved);
  }
  if (status.ok() && !batch.empty()) status = target->InsertAll(batch);
  return status;
}

}  // namespace

Status CopyCompany(dbclient::Database& from, dbclient::Database& to) {
  Status status = to.BeginWrite();
  if (!status.ok()) return status;
  for (const dbclient::TableDef& table : to.schema().tables()) {
    if (table.number == dbclient::kFieldTableNo) continue;
    status = CopyTable(from, to, table.number);
    if (!status.ok()) {
      to.Rollback();
      return status;
    }
  }
  return to.Commit();
}

}  // namespace dbtool
