// The storage of every open Database as the process looks after it between calls: stale read
// snapshots are let go, and whatever is still open when the process exits is closed cleanly.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

#include "engine/storage.h"

namespace dbclient {

// Forwards every call to the backend under a lock of its own, so that two parties can act
// between the owner's calls:
// - one watchdog thread per process ends a read snapshot that began longer than the limit
//   ago while no call runs. An idle client then holds no old version of the data, so the
//   write-ahead log of an SQLite file (or a server's old row versions) cannot grow without
//   end behind it; its next read simply starts a new snapshot.
// - when the process exits (or the library holding this code is unloaded), every storage still
//   open is closed: an open write transaction rolls back, committed work reaches the database
//   file itself. Later calls, say from a client object that a global of the program releases
//   after the exit handlers, answer kNoDatabase.
class WatchedStorage final : public Storage {
 public:
  // `snapshotLimit`: the age at which an idle read snapshot is let go.
  WatchedStorage(std::unique_ptr<Storage> target, std::chrono::milliseconds snapshotLimit);
  ~WatchedStorage() override;
  WatchedStorage(const WatchedStorage&) = delete;
  WatchedStorage& operator=(const WatchedStorage&) = delete;

  Status BeginWrite(bool wait) override;
  Status Commit() override;
  Status Rollback() override;
  void EndReadSnapshot() override;
  Status ProbeWriteLock(bool wait) override;
  Status CountUsers(int64_t* count) override;
  Status FindUser(std::u16string_view name, bool* found, UserEntry* user) override;
  Status AddUser(std::u16string_view name, const UserEntry& user) override;
  Status RemoveUser(std::u16string_view name, bool* found) override;
  Status ListUsers(std::vector<std::u16string>* names) override;
  Status ListCompanies(std::vector<CompanyEntry>* companies) override;
  Status CreateCompany(std::u16string_view name, int64_t* id) override;
  Status Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
              bool* found) override;
  Status Step(const Query& query, const Record& from, int32_t steps, Record* out,
              int32_t* moved) override;
  Status Count(const Query& query, int64_t* count) override;
  Status Compute(const Query& query, Aggregate aggregate, const FieldDef* field,
                 Value* out) override;
  Status Insert(int64_t company, const Record& rec, bool* duplicate) override;
  Status Update(int64_t company, const Record& rec, bool* found) override;
  Status Delete(int64_t company, const Record& rec, bool* found) override;
  Status DeleteAll(const Query& query) override;
  Status InsertAll(int64_t company, std::span<const Record> records) override;

  std::chrono::milliseconds snapshotLimit() const noexcept { return snapshotLimit_; }

  // The watchdog's step: ends the read snapshot when it began before `now` less the limit
  // and no call is running (a running call is not waited for).
  void EndStaleSnapshot(std::chrono::steady_clock::time_point now);
  // Closes the backend (its destructor rolls back and writes committed work into the file),
  // after a call that runs has returned.
  void Close();

 private:
  // Runs `call` on the backend under the lock; a read outside a write transaction may begin
  // a snapshot, so its start is noted.
  template <typename Call>
  Status Read(Call call);
  template <typename Call>
  Status Forward(Call call);

  // Recursive: the owner's reads of fields its buffers borrow take it, inside calls or not.
  std::recursive_mutex mutex_;
  std::unique_ptr<Storage> target_;  // null once closed
  const std::chrono::milliseconds snapshotLimit_;
  bool inWrite_ = false;
  std::optional<std::chrono::steady_clock::time_point> snapshotSince_;
};

}  // namespace dbclient
