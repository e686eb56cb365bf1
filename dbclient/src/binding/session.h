// The state behind one DbClient object: its switches, the last error, the open database and
// the handles of its tables, record buffers and decimal work values.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "binding/diagnostics.h"
#include "binding/handle_table.h"
#include "dbclient/engine.h"
#include "dbclient/record.h"

namespace dbclient::binding {

// Dispatch numbers the object itself treats specially.
inline constexpr int32_t kLastErrorMember = 45;
inline constexpr int32_t kBeforeLookupMember = 62;
inline constexpr int32_t kFindMember = 19;

// Lookups that fail end the member call with a client error (ClientFailure): an unknown or
// freed handle with the unknown-handle error, a record buffer of another table with the
// wrong-table error, a missing database with the no-database error.
class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Member 1 (show errors) and member 2 (set before the object is released).
  bool errorDisplay = false;
  bool releasing = false;
  // Member 76: the client's library folder.
  std::u16string libraryFolder;
  // Member 45: the code of the last failed call, 0 after a call that succeeded.
  int32_t lastError = 0;
  // Member 62, called right before the search of a key look-up: that search (19) reports a
  // missing record by its result alone, so the caller can tell "not found" from a failure.
  bool quietLookup = false;

  // Member 7: the server whose database members 5 and 42 open (none: a database file), with
  // the database name and options member 5 gave.
  std::optional<ServerLogin> server;
  OpenOptions serverOptions;

  // Starts a call of member `member`: counts it and, unless it only reads the last error
  // (45), clears the last error; any member but the search (19) and its preparation (62)
  // ends the quiet look-up that 62 arms.
  void BeginCall(int32_t member) noexcept {
    calls_.Count(member);
    if (member == kLastErrorMember) return;
    lastError = 0;
    if (member != kBeforeLookupMember && member != kFindMember) quietLookup = false;
  }

  // Opens the embedded database file `path`, closing one that is open first. A cache of 0
  // or less keeps the default page cache.
  void OpenDatabase(const std::u16string& path, int32_t cacheKiB, bool commitCache);
  // Connects to the database of `server` as `user`, closing one that is open first.
  void ConnectServer(const std::u16string& user, const std::u16string& password);
  // Closes the database: aborts an open write transaction and frees every handle.
  void CloseDatabase();
  // The open database.
  Database& database();
  bool databaseOpen() const noexcept { return database_ != nullptr; }

  // A cursor on table `tableNo` as Database::OpenTable gives it (a closed one of that table
  // is used again); fails as that does.
  std::unique_ptr<Cursor> OpenCursor(int32_t tableNo);
  int32_t AddTable(std::unique_ptr<Cursor> cursor);
  Cursor& Table(int32_t handle);
  void CloseTable(int32_t handle);

  // A cursor and a buffer of one table, kept for the key look-ups of the native interface so
  // that a look-up opens and allocates nothing. The cursor stays as opened (primary key, no
  // filters) and belongs to no handle; the buffer holds whatever the last look-up left.
  struct KeyLookup {
    std::unique_ptr<Cursor> cursor;
    std::optional<Record> buffer;
  };
  // The look-up of table `tableNo`, opened anew when there is none or its company was closed;
  // fails as opening the table fails.
  KeyLookup& KeyLookupOf(int32_t tableNo);

  // A buffer of `table`'s table at its initial values (a freed one is used again).
  Record NewRecord(const Cursor& table);
  int32_t AddRecord(Record record);
  // The buffer `handle`, which must belong to the table of `table`.
  Record& RecordOf(const Cursor& table, int32_t handle);
  void FreeRecord(int32_t handle);

  int32_t AddDecimal(double value);
  double& Decimal(int32_t handle);
  void FreeDecimal(int32_t handle);

  // The handles held by every Session of the process.
  static diagnostics::HandleCounts OpenHandlesInProcess();

 private:
  int32_t Checked(int32_t handle);

  diagnostics::CallCounter calls_;
  // Declared before the handle tables, so cursors and buffers go before their database.
  std::unique_ptr<Database> database_;
  HandleTable<std::unique_ptr<Cursor>> tables_;
  HandleTable<Record> records_;
  HandleTable<double> decimals_;
  std::unordered_map<int32_t, KeyLookup> keyLookups_;
  // Closed cursors (only those still as opened) and freed buffers, a few of each, so that
  // tables opened and closed again and again cost no allocation.
  std::vector<std::unique_ptr<Cursor>> spareCursors_;
  std::vector<Record> spareRecords_;
};

}  // namespace dbclient::binding
