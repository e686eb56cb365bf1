#include "binding/session.h"

#include <atomic>
#include <string>
#include <utility>

#include "automation/text.h"
#include "binding/client_failure.h"
#include "binding/members.h"
#include "error_codes.h"

namespace dbclient::binding {
namespace {

// Closed cursors and freed buffers kept for reuse, of each.
constexpr size_t kSpares = 16;

// The failures are kept out of line, so that the look-ups they end stay small.
[[noreturn, gnu::cold, gnu::noinline]] void UnknownHandle(const char* kind, int32_t handle) {
  Fail(errc::kUnknownHandle, std::string(kind) + " " + std::to_string(handle));
}

[[noreturn, gnu::cold, gnu::noinline]] void RecordOfOtherTable(int32_t handle, int32_t tableNo) {
  Fail(errc::kWrongTable,
       "record " + std::to_string(handle) + " belongs to table " + std::to_string(tableNo));
}

// One counter for every session of the process: a number is never handed out twice in a
// process, so a handle kept past its connection (a reconnect makes a new client object) can
// only be unknown, never another object.
constinit HandleCounter processHandles;

// Objects of each kind that every session of the process holds. Neither these nor the
// counter have a destructor, so sessions that outlive the exit handlers still find them.
struct LiveHandles {
  std::atomic<int64_t> tables{0};
  std::atomic<int64_t> records{0};
  std::atomic<int64_t> decimals{0};
};
constinit LiveHandles live;

}  // namespace

Session::Session()
    : tables_(processHandles, live.tables),
      records_(processHandles, live.records),
      decimals_(processHandles, live.decimals) {}

Session::~Session() { CloseDatabase(); }

diagnostics::HandleCounts Session::OpenHandlesInProcess() {
  return {live.tables.load(std::memory_order_relaxed), live.records.load(std::memory_order_relaxed),
          live.decimals.load(std::memory_order_relaxed)};
}

void Session::OpenDatabase(const std::u16string& path, int32_t cacheKiB, bool commitCache) {
  CloseDatabase();
  OpenOptions options;
  if (cacheKiB > 0) options.cacheKiB = cacheKiB;
  options.commitCache = commitCache;
  Check(Database::Open(automation::ToUtf8(path), options, ApplicationSchema(), &database_));
}

void Session::ConnectServer(const std::u16string& user, const std::u16string& password) {
  CloseDatabase();
  ServerLogin login = *server;
  login.user = automation::ToUtf8(user);
  login.password = automation::ToUtf8(password);
  Check(Database::Connect(login, serverOptions, ApplicationSchema(), &database_));
}

void Session::CloseDatabase() {
  keyLookups_.clear();
  spareCursors_.clear();
  spareRecords_.clear();
  tables_.Clear();
  records_.Clear();
  decimals_.Clear();
  if (database_) database_->CloseCompany();
  database_.reset();
}

Database& Session::database() {
  if (!database_) Fail(errc::kNoDatabase);
  return *database_;
}

int32_t Session::Checked(int32_t handle) {
  if (handle == 0) Fail(errc::kStorageError, "every handle number is in use");
  return handle;
}

std::unique_ptr<Cursor> Session::OpenCursor(int32_t tableNo) {
  Database& db = database();
  for (auto spare = spareCursors_.begin(); spare != spareCursors_.end(); ++spare) {
    if ((*spare)->table().number != tableNo) continue;
    std::unique_ptr<Cursor> cursor = std::move(*spare);
    spareCursors_.erase(spare);
    if (cursor->usable()) return cursor;
    break;  // its company was closed: open anew
  }
  std::unique_ptr<Cursor> cursor;
  Check(db.OpenTable(tableNo, &cursor));
  return cursor;
}

int32_t Session::AddTable(std::unique_ptr<Cursor> cursor) {
  return Checked(tables_.Add(std::move(cursor)));
}

Cursor& Session::Table(int32_t handle) {
  std::unique_ptr<Cursor>* cursor = tables_.Find(handle);
  if (!cursor) UnknownHandle("table", handle);
  return **cursor;
}

void Session::CloseTable(int32_t handle) {
  std::optional<std::unique_ptr<Cursor>> cursor = tables_.Take(handle);
  if (!cursor) UnknownHandle("table", handle);
  if (spareCursors_.size() < kSpares && (*cursor)->usable() && (*cursor)->asOpened()) {
    spareCursors_.push_back(std::move(*cursor));
  }
}

Session::KeyLookup& Session::KeyLookupOf(int32_t tableNo) {
  if (auto kept = keyLookups_.find(tableNo);
      kept != keyLookups_.end() && kept->second.cursor->usable()) {
    return kept->second;
  }
  std::unique_ptr<Cursor> cursor = OpenCursor(tableNo);
  KeyLookup& lookup = keyLookups_[tableNo];
  lookup.buffer.emplace(cursor->NewRecord());
  lookup.cursor = std::move(cursor);
  return lookup;
}

Record Session::NewRecord(const Cursor& table) {
  for (auto spare = spareRecords_.begin(); spare != spareRecords_.end(); ++spare) {
    if (&spare->table() != &table.table()) continue;
    Record record = std::move(*spare);
    spareRecords_.erase(spare);
    record.Init();
    return record;
  }
  return table.NewRecord();
}

int32_t Session::AddRecord(Record record) { return Checked(records_.Add(std::move(record))); }

Record& Session::RecordOf(const Cursor& table, int32_t handle) {
  Record* record = records_.Find(handle);
  if (!record) UnknownHandle("record", handle);
  if (record->table().number != table.table().number) {
    RecordOfOtherTable(handle, record->table().number);
  }
  return *record;
}

void Session::FreeRecord(int32_t handle) {
  std::optional<Record> record = records_.Take(handle);
  if (!record) UnknownHandle("record", handle);
  if (spareRecords_.size() < kSpares) spareRecords_.push_back(std::move(*record));
}

int32_t Session::AddDecimal(double value) { return Checked(decimals_.Add(value)); }

double& Session::Decimal(int32_t handle) {
  double* value = decimals_.Find(handle);
  if (!value) UnknownHandle("decimal", handle);
  return *value;
}

void Session::FreeDecimal(int32_t handle) {
  if (!decimals_.Remove(handle)) UnknownHandle("decimal", handle);
}

}  // namespace dbclient::binding
