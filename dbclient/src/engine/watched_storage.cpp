#include "engine/watched_storage.h"

#include <pthread.h>

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "error_codes.h"

namespace dbclient {
namespace {

using Clock = std::chrono::steady_clock;

// The watchdog looks at the open storages twice per the shortest snapshot limit among them,
// but not more often than this.
constexpr std::chrono::milliseconds kShortestWatchPeriod{10};

// The open storages of the process, the watchdog thread that visits them and the exit
// handler that closes them. Never destroyed: storages may go in static destructors that run
// after the exit handlers.
class Watchdog {
 public:
  static Watchdog& Instance() {
    static Watchdog& instance = *new Watchdog;
    return instance;
  }

  void Add(WatchedStorage* storage) {
    const std::lock_guard lock(mutex_);
    storages_.push_back(storage);
    if (!running_ && !exiting_) Start();
    wake_.notify_one();
  }

  void Remove(WatchedStorage* storage) {
    std::unique_lock lock(mutex_);
    std::erase(storages_, storage);
    if (storages_.empty()) Stop(lock);
  }

 private:
  // Under mutex_. The thread runs while storages are open: it is told to stop and waited for
  // when the last one goes and at exit, so that what libraries keep per thread (a TLS
  // library's state from ending a snapshot on a server) is released while they still can.
  void Start() {
    if (!handlersInstalled_) {
      handlersInstalled_ = true;
      std::atexit([] { Instance().CloseAll(); });
      // A child of fork has no watchdog thread and does not own its parent's connections
      // (SQLite forbids using them across fork): it starts afresh with storages of its own.
      pthread_atfork([] { Instance().mutex_.lock(); }, [] { Instance().mutex_.unlock(); },
                     [] {
                       Watchdog& self = Instance();
                       self.running_ = false;  // the parent's thread is not this process's
                       self.storages_.clear();
                       self.mutex_.unlock();
                     });
    }
    ++generation_;
    running_ = pthread_create(&thread_, nullptr, &ThreadMain,
                              reinterpret_cast<void*>(static_cast<uintptr_t>(generation_))) == 0;
  }

  static void* ThreadMain(void* generation) {
    Instance().Run(reinterpret_cast<uintptr_t>(generation));
    return nullptr;
  }

  // Until Stop ends this generation of the thread.
  void Run(uint64_t generation) {
    std::unique_lock lock(mutex_);
    while (generation == generation_ && running_) {
      wake_.wait_for(lock, Period());
      const Clock::time_point now = Clock::now();
      for (WatchedStorage* storage : storages_) storage->EndStaleSnapshot(now);
    }
  }

  // Under `lock` (of mutex_), which it releases: ends the running thread and waits for it.
  void Stop(std::unique_lock<std::mutex>& lock) {
    if (!running_) return;
    running_ = false;
    wake_.notify_all();
    const pthread_t thread = thread_;
    lock.unlock();
    pthread_join(thread, nullptr);
  }

  std::chrono::milliseconds Period() const {  // under mutex_
    if (storages_.empty()) return kShortestWatchPeriod;
    std::chrono::milliseconds shortest = storages_.front()->snapshotLimit();
    for (const WatchedStorage* storage : storages_) {
      shortest = std::min(shortest, storage->snapshotLimit());
    }
    return std::max(shortest / 2, kShortestWatchPeriod);
  }

  void CloseAll() {
    std::unique_lock lock(mutex_);
    exiting_ = true;
    for (WatchedStorage* storage : storages_) storage->Close();
    Stop(lock);
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<WatchedStorage*> storages_;
  pthread_t thread_{};
  bool running_ = false;     // thread_ runs
  uint64_t generation_ = 0;  // of thread_
  bool exiting_ = false;
  bool handlersInstalled_ = false;
};

Status Closed() { return Status::Error(errc::kNoDatabase, "closed when the process ended"); }

}  // namespace

WatchedStorage::WatchedStorage(std::unique_ptr<Storage> target,
                               std::chrono::milliseconds snapshotLimit)
    : target_(std::move(target)), snapshotLimit_(snapshotLimit) {
  target_->ShareCallLock(&mutex_);
  Watchdog::Instance().Add(this);
}

WatchedStorage::~WatchedStorage() { Watchdog::Instance().Remove(this); }

template <typename Call>
Status WatchedStorage::Forward(Call call) {
  const std::lock_guard lock(mutex_);
  return target_ ? call(*target_) : Closed();
}

template <typename Call>
Status WatchedStorage::Read(Call call) {
  const std::lock_guard lock(mutex_);
  if (!target_) return Closed();
  if (!inWrite_ && !snapshotSince_) snapshotSince_ = Clock::now();
  return call(*target_);
}

void WatchedStorage::EndStaleSnapshot(Clock::time_point now) {
  const std::unique_lock lock(mutex_, std::try_to_lock);
  if (!lock || !target_ || inWrite_ || !snapshotSince_ || now - *snapshotSince_ < snapshotLimit_) {
    return;
  }
  target_->EndReadSnapshot();
  snapshotSince_.reset();
}

void WatchedStorage::Close() {
  const std::lock_guard lock(mutex_);
  target_.reset();
}

Status WatchedStorage::BeginWrite(bool wait) {
  return Forward([&](Storage& s) {
    Status status = s.BeginWrite(wait);
    inWrite_ = inWrite_ || status.ok();
    return status;
  });
}

Status WatchedStorage::Commit() {
  return Forward([&](Storage& s) {
    inWrite_ = false;
    return s.Commit();
  });
}

Status WatchedStorage::Rollback() {
  return Forward([&](Storage& s) {
    inWrite_ = false;
    return s.Rollback();
  });
}

void WatchedStorage::EndReadSnapshot() {
  const std::lock_guard lock(mutex_);
  if (!target_) return;
  target_->EndReadSnapshot();
  if (!inWrite_) snapshotSince_.reset();
}

Status WatchedStorage::ProbeWriteLock(bool wait) {
  return Forward([&](Storage& s) { return s.ProbeWriteLock(wait); });
}

Status WatchedStorage::CountUsers(int64_t* count) {
  return Read([&](Storage& s) { return s.CountUsers(count); });
}

Status WatchedStorage::FindUser(std::u16string_view name, bool* found, UserEntry* user) {
  return Read([&](Storage& s) { return s.FindUser(name, found, user); });
}

Status WatchedStorage::AddUser(std::u16string_view name, const UserEntry& user) {
  return Forward([&](Storage& s) { return s.AddUser(name, user); });
}

Status WatchedStorage::RemoveUser(std::u16string_view name, bool* found) {
  return Forward([&](Storage& s) { return s.RemoveUser(name, found); });
}

Status WatchedStorage::ListUsers(std::vector<std::u16string>* names) {
  return Read([&](Storage& s) { return s.ListUsers(names); });
}

Status WatchedStorage::ListCompanies(std::vector<CompanyEntry>* companies) {
  return Read([&](Storage& s) { return s.ListCompanies(companies); });
}

Status WatchedStorage::CreateCompany(std::u16string_view name, int64_t* id) {
  return Forward([&](Storage& s) { return s.CreateCompany(name, id); });
}

Status WatchedStorage::Seek(const Query& query, SeekMode mode, const Record& from, Record* out,
                            bool* found) {
  return Read([&](Storage& s) { return s.Seek(query, mode, from, out, found); });
}

Status WatchedStorage::Step(const Query& query, const Record& from, int32_t steps, Record* out,
                            int32_t* moved) {
  return Read([&](Storage& s) { return s.Step(query, from, steps, out, moved); });
}

Status WatchedStorage::Count(const Query& query, int64_t* count) {
  return Read([&](Storage& s) { return s.Count(query, count); });
}

Status WatchedStorage::Compute(const Query& query, Aggregate aggregate, const FieldDef* field,
                               Value* out) {
  return Read([&](Storage& s) { return s.Compute(query, aggregate, field, out); });
}

Status WatchedStorage::Insert(int64_t company, const Record& rec, bool* duplicate) {
  return Forward([&](Storage& s) { return s.Insert(company, rec, duplicate); });
}

Status WatchedStorage::Update(int64_t company, const Record& rec, bool* found) {
  return Forward([&](Storage& s) { return s.Update(company, rec, found); });
}

Status WatchedStorage::Delete(int64_t company, const Record& rec, bool* found) {
  return Forward([&](Storage& s) { return s.Delete(company, rec, found); });
}

Status WatchedStorage::DeleteAll(const Query& query) {
  return Forward([&](Storage& s) { return s.DeleteAll(query); });
}

Status WatchedStorage::InsertAll(int64_t company, std::span<const Record> records) {
  return Forward([&](Storage& s) { return s.InsertAll(company, records); });
}

}  // namespace dbclient
