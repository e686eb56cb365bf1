// The record engine of the database client: a database (an embedded file or a database on a
// server) with companies, users, write transactions and table cursors. Independent of the
// automation layer; the DbClient binding translates its members to these calls.
//
// Every call returns a Status (or a value plus a Status out-parameter); none throws for a
// database condition. A Database and the cursors opened on it belong to one thread.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dbclient/record.h"
#include "dbclient/schema.h"
#include "dbclient/server.h"
#include "dbclient/status.h"
#include "dbclient/value.h"

namespace dbclient {

class Cursor;
class Storage;

struct OpenOptions {
  int32_t cacheKiB = 8192;  // page cache of the connection, and bound of the records it keeps
  // On: commits are durable at the next checkpoint (WAL, synchronous=NORMAL); off: every
  // commit is on disk before it returns (synchronous=FULL).
  bool commitCache = true;
  // How long a write (or a table lock that waits) waits for another session's write lock
  // before it fails with the lock-timeout error.
  std::chrono::milliseconds busyTimeout{10000};
  // A read snapshot kept between calls (see SelectLatestVersion) is let go once it is this old
  // and no call runs, so a client that sits idle holds back no old version of the data.
  std::chrono::milliseconds snapshotLimit{1000};
};

// One open database file: one connection, at most one open company, at most one write
// transaction. The schema must outlive the Database. Cursors keep the connection's state
// alive; once the Database is closed or its company closed, they answer with an error. A
// Database still open when the process exits is closed by the exit handlers (an open write
// transaction rolls back, committed work is written into the file); calls made after that,
// from the destructor of a global say, answer kNoDatabase.
class Database {
 public:
  // Creates a new, empty database file (no companies, no users) with the schema's version.
  // An existing file is an error.
  static Status Create(const std::string& path, const Schema& schema);

  // Opens an existing database file (a bare name is relative to the current folder; a
  // missing file is an error, never created). A database written with an older schema
  // version is upgraded (new tables, fields and keys added); a newer one, or one whose fields
  // changed type, is refused.
  static Status Open(const std::string& path, const OpenOptions& options, const Schema& schema,
                     std::unique_ptr<Database>* out);

  // Connects to the database `login.database` on a server, logged in as `login.user` with
  // the server's own authentication; the Database is logged in. A refused login is
  // kLoginFailed, a server that cannot be reached kServerUnavailable, a database the server
  // lacks kServerDatabaseNotFound, one without this client's catalogue kNotADatabase. Its
  // schema is brought up to `schema` as Open does.
  static Status Connect(const ServerLogin& login, const OpenOptions& options,
                        const Schema& schema, std::unique_ptr<Database>* out);

  // Creates the database `login.database` on a server (UTF-8; names compare by code point)
  // with an empty catalogue for `schema`, connecting to the server's maintenance database
  // "postgres" as `login.user` to do so. One that exists is kServerDatabaseExists.
  static Status CreateOnServer(const ServerLogin& login, const Schema& schema);

  // Opens a database over a storage backend that the caller made (tests: a wrapper that fails
  // chosen calls). Of `options` only the snapshot limit applies; the rest is the backend's.
  static std::unique_ptr<Database> OnStorage(std::unique_ptr<Storage> storage, const Schema& schema,
                                             const OpenOptions& options = {});

  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const Schema& schema() const noexcept;

  // Users. With no users defined any log-in is accepted; otherwise the name (case-insensitive)
  // must exist and the password match. Companies open only after a log-in. Removing an
  // unknown user is kUserNotFound; Users lists the names upper-cased, in order.
  Status AddUser(std::u16string_view user, std::u16string_view password);
  Status RemoveUser(std::u16string_view user);
  Status Users(std::vector<std::u16string>* names);
  Status Login(std::u16string_view user, std::u16string_view password);

  // Companies: each has its own set of tables.
  Status CreateCompany(std::u16string_view name);
  Status Companies(std::vector<std::u16string>* names);
  // Opens a company (exact name first, else ignoring case), closing the open one; an unknown
  // name is an error and keeps the open company.
  Status OpenCompany(std::u16string_view name);
  void CloseCompany();  // aborts an open write transaction
  bool companyOpen() const noexcept;
  const std::u16string& companyName() const noexcept;  // "" when none is open

  // Write transactions. Begin waits up to the busy timeout for other sessions' write lock.
  // Beginning a second one, or ending / aborting when none is open, is an error. Rollback
  // leaves the database exactly as it was at Begin. A write made outside a transaction
  // commits on its own.
  Status BeginWrite();
  Status Commit();
  Status Rollback();
  bool inWriteTransaction() const noexcept;

  // Lets the next read see the latest committed data. Between two calls reads may be served
  // from one consistent snapshot.
  void SelectLatestVersion();

  // Table definitions, including the virtual field-description table 2000000041.
  const TableDef* FindTable(int32_t tableNo) const noexcept;
  // Table number of a name (case-insensitive); unknown name -> error whose detail is the name.
  Status TableNoOfName(std::u16string_view name, int32_t* tableNo) const;

  // Opens a cursor on a table of the open company: primary key current, no filters.
  Status OpenTable(int32_t tableNo, std::unique_ptr<Cursor>* out);

 private:
  friend class Cursor;
  struct Impl;
  struct PassKey {};

 public:
  Database(PassKey, std::shared_ptr<Impl> impl);  // made only by the factories above

 private:
  std::shared_ptr<Impl> impl_;
};

// A view of one table: its own current key and field filters. The position lives in the
// record buffer passed to each call, so any buffer of the table can be used with any cursor.
class Cursor {
 public:
  ~Cursor();
  Cursor(const Cursor&) = delete;
  Cursor& operator=(const Cursor&) = delete;

  const TableDef& table() const noexcept { return *table_; }
  // False once the cursor's database or company has been closed: every call then fails.
  bool usable() const noexcept;
  // True while the primary key is current and no field has a filter or range: the state
  // OpenTable hands a cursor out in.
  bool asOpened() const noexcept;
  Record NewRecord() const { return Record(table()); }

  // Sets the current key from the fields of a defined key or a prefix of one; the sort order
  // is that key's fields, then the remaining primary-key fields. Anything else is an error and
  // keeps the key.
  Status SetCurrentKey(std::span<const int32_t> fields);
  // The fields of the current key (the full defined key); the primary key on a new cursor.
  std::vector<int32_t> CurrentKey() const;

  // Filters, one per field; a new one replaces the field's filter or range. An empty
  // expression removes it. A malformed expression or a value that does not convert to the
  // field's type is an error and keeps the previous filter.
  Status SetFilter(int32_t fieldNo, std::u16string_view expression);
  Status SetRange(int32_t fieldNo, const Input& min, const Input& max);
  void ClearFilters();

  // Finds a record within the filters by a method of the characters = > < (several are tried
  // in the order =, >, <), or - (first) or + (last) alone, starting from the key values held
  // in `rec`. Found: the record goes into `rec` (flow fields back to 0). Not found: `rec` is
  // unchanged and the status is kCodeRecordNotFound ("=" alone) or kCodeNoRecordInFilter.
  // Any other method is a search-method error whose detail is the method.
  Status Find(Record& rec, std::u16string_view method);

  // Moves up to |steps| records forward (steps > 0) or backward (< 0) within the filters from
  // the key values in `rec`; `*moved` is the number moved, with sign (0 at the end, when `rec`
  // is unchanged).
  Status Next(Record& rec, int32_t steps, int32_t* moved);

  Status Count(int32_t* count);

  // Locks the table for the write transaction; with wait false fails at once when another
  // session holds the write lock.
  Status LockTable(bool wait);

  // Insert: a record with the same primary key -> kCodeRecordExists, nothing written.
  // Modify and Delete: the record with `rec`'s primary key must exist, else
  // kCodeRecordNotFound. DeleteAll removes every record within the filters.
  Status Insert(const Record& rec);
  // Inserts records that must all be new in as few requests as the backend can (loading a
  // company). A key that exists is kCodeRecordExists; inside a write transaction the caller
  // must then roll it back, outside one nothing is written.
  Status InsertAll(std::span<const Record> records);
  Status Modify(const Record& rec);
  Status Delete(const Record& rec);
  Status DeleteAll();

  // Calculates flow field `fieldNo` into `rec` from its definition: the link fields take the
  // buffer's values, or this cursor's filter when the own field is a flow filter.
  Status CalcFlowField(Record& rec, int32_t fieldNo);

 private:
  friend class Database;
  struct Impl;
  struct PassKey {};

 public:
  Cursor(PassKey, std::unique_ptr<Impl> impl);  // made only by Database::OpenTable

 private:
  std::unique_ptr<Impl> impl_;
  const TableDef* table_;  // the schema's; inline, as every field call checks its buffer's table
};

}  // namespace dbclient
