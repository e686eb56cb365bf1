// The storage interface of the engine: where records live. One backend per database engine
// (a SQLite file, a PostgreSQL server); the Database and cursors above it know nothing of SQL.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dbclient/record.h"
#include "dbclient/schema.h"
#include "dbclient/status.h"
#include "engine/filter.h"

namespace dbclient {

// A set of records of one table of one company in one total order: what a cursor sees.
// `plan` is a slot where a backend may keep what it derived from the query (statements,
// SQL text, filter values); whoever changes order or filters resets it. Whoever changes only
// the values of filters (each new filter SameTerms as the old) may set `newValues` instead:
// the backend then takes the values anew and keeps the rest.
struct Query {
  int64_t company = 0;
  const TableDef* table = nullptr;
  std::vector<int32_t> order;        // key fields, then the remaining primary-key fields
  std::vector<FieldFilter> filters;  // on stored fields only
  mutable std::shared_ptr<void> plan;
  mutable bool newValues = false;
};

// kAfter and kBefore are the cursor's: a step of one. Storage::Seek is asked only for the
// first, the last or the equal record.
enum class SeekMode { kFirst, kLast, kEqual, kAfter, kBefore };

enum class Aggregate { kSum, kCount, kExist };

struct CompanyEntry {
  int64_t id = 0;
  std::u16string name;
};

struct UserEntry {
  // The password hash in the text form of libsodium's crypto_pwhash_str (algorithm,
  // parameters and salt included).
  std::string passwordHash;
};

// Reads outside a write transaction may be served from one snapshot until EndReadSnapshot.
// Writes are only made between BeginWrite and Commit/Rollback; the caller brackets writes
// made outside a transaction itself. Calls report failures as Status, never throw.
class Storage {
 public:
  virtual ~Storage() = default;

  // Write transactions. BeginWrite takes the database's write lock, waiting up to the busy
  // timeout when `wait`, not at all otherwise; running out is kLockTimeout (or kTableLocked
  // without waiting).
  virtual Status BeginWrite(bool wait) = 0;
  virtual Status Commit() = 0;
  virtual Status Rollback() = 0;
  virtual void EndReadSnapshot() = 0;
  // Whether the write lock could be taken now (wait: within the busy timeout); takes nothing.
  virtual Status ProbeWriteLock(bool wait) = 0;
  // The lock the storage's calls run under, where another thread calls it too; given once,
  // before any other call. A backend that lends rows to record buffers (RowSource) hands the
  // buffers' reads of them this lock.
  virtual void ShareCallLock(std::recursive_mutex* lock) { static_cast<void>(lock); }

  // Users (names compare ignoring case; ListUsers gives them in order) and companies.
  virtual Status CountUsers(int64_t* count) = 0;
  virtual Status FindUser(std::u16string_view name, bool* found, UserEntry* user) = 0;
  virtual Status AddUser(std::u16string_view name, const UserEntry& user) = 0;
  virtual Status RemoveUser(std::u16string_view name, bool* found) = 0;
  virtual Status ListUsers(std::vector<std::u16string>* names) = 0;
  virtual Status ListCompanies(std::vector<CompanyEntry>* companies) = 0;
  virtual Status CreateCompany(std::u16string_view name, int64_t* id) = 0;

  // Records. `from` gives the key values for kEqual and for Step.
  // Seek: `*found` false leaves `*out` untouched. Step: moves up to |steps| (non-zero)
  // records from `from` in the query's order (backward for steps < 0); `*moved` is the number
  // of records actually passed, with sign, and `*out` the record reached (untouched for 0).
  virtual Status Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
                      bool* found) = 0;
  virtual Status Step(const Query& query, const Record& from, int32_t steps, Record* out,
                      int32_t* moved) = 0;
  virtual Status Count(const Query& query, int64_t* count) = 0;
  virtual Status Compute(const Query& query, Aggregate aggregate, const FieldDef* field,
                         Value* out) = 0;

  // Changes by primary key; they only store the table's normal fields.
  virtual Status Insert(int64_t company, const Record& rec, bool* duplicate) = 0;
  virtual Status Update(int64_t company, const Record& rec, bool* found) = 0;
  virtual Status Delete(int64_t company, const Record& rec, bool* found) = 0;
  virtual Status DeleteAll(const Query& query) = 0;
  // Inserts records of one table that must all be new, in as few requests as the backend
  // can (a bulk load). A key that exists is kRecordExists; what the call wrote before it is
  // undone only by rolling back the transaction, which the caller then must do.
  virtual Status InsertAll(int64_t company, std::span<const Record> records) = 0;
};

// Forwards every call to another storage; tests override single calls to inject faults.
class StorageWrapper : public Storage {
 public:
  explicit StorageWrapper(std::unique_ptr<Storage> target) : target_(std::move(target)) {}

  Status BeginWrite(bool wait) override { return target_->BeginWrite(wait); }
  Status Commit() override { return target_->Commit(); }
  Status Rollback() override { return target_->Rollback(); }
  void EndReadSnapshot() override { target_->EndReadSnapshot(); }
  Status ProbeWriteLock(bool wait) override { return target_->ProbeWriteLock(wait); }
  void ShareCallLock(std::recursive_mutex* lock) override { target_->ShareCallLock(lock); }
  Status CountUsers(int64_t* count) override { return target_->CountUsers(count); }
  Status FindUser(std::u16string_view name, bool* found, UserEntry* user) override {
    return target_->FindUser(name, found, user);
  }
  Status AddUser(std::u16string_view name, const UserEntry& user) override {
    return target_->AddUser(name, user);
  }
  Status RemoveUser(std::u16string_view name, bool* found) override {
    return target_->RemoveUser(name, found);
  }
  Status ListUsers(std::vector<std::u16string>* names) override {
    return target_->ListUsers(names);
  }
  Status ListCompanies(std::vector<CompanyEntry>* companies) override {
    return target_->ListCompanies(companies);
  }
  Status CreateCompany(std::u16string_view name, int64_t* id) override {
    return target_->CreateCompany(name, id);
  }
  Status Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
              bool* found) override {
    return target_->Seek(query, mode, from, out, found);
  }
  Status Step(const Query& query, const Record& from, int32_t steps, Record* out,
              int32_t* moved) override {
    return target_->Step(query, from, steps, out, moved);
  }
  Status Count(const Query& query, int64_t* count) override { return target_->Count(query, count); }
  Status Compute(const Query& query, Aggregate aggregate, const FieldDef* field,
                 Value* out) override {
    return target_->Compute(query, aggregate, field, out);
  }
  Status Insert(int64_t company, const Record& rec, bool* duplicate) override {
    return target_->Insert(company, rec, duplicate);
  }
  Status Update(int64_t company, const Record& rec, bool* found) override {
    return target_->Update(company, rec, found);
  }
  Status Delete(int64_t company, const Record& rec, bool* found) override {
    return target_->Delete(company, rec, found);
  }
  Status DeleteAll(const Query& query) override { return target_->DeleteAll(query); }
  Status InsertAll(int64_t company, std::span<const Record> records) override {
    return target_->InsertAll(company, records);
  }

 private:
  std::unique_ptr<Storage> target_;
};

// Test-only: while set, every Database::Open of the process passes its new storage through
// `hook` and works on what it returns (typically a StorageWrapper that fails chosen calls).
// It reaches the storage of a database that code the test does not control opens, such as
// the client object a component creates. Null, the default, leaves storage as opened.
using StorageHook = std::unique_ptr<Storage> (*)(std::unique_ptr<Storage> storage);
void SetStorageHookForTesting(StorageHook hook) noexcept;

}  // namespace dbclient
