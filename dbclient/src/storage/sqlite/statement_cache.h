// Prepared statements kept for reuse: each distinct SQL text is prepared once and handed out
// again after it is reset, so hot paths (key look-ups, scans) never re-prepare.
#pragma once

#include <sqlite3.h>

#include <string>
#include <unordered_map>
#include <vector>

namespace dbclient::sqlite {

class StatementCache {
 public:
  // A statement on loan; going out of scope resets it and returns it to the cache.
  class Lease {
   public:
    Lease() = default;
    Lease(Lease&& other) noexcept { *this = std::move(other); }
    Lease& operator=(Lease&& other) noexcept;
    ~Lease() { Release(); }

    sqlite3_stmt* get() const noexcept { return statement_; }

   private:
    friend class StatementCache;
    void Release();
    sqlite3_stmt* statement_ = nullptr;
    StatementCache* cache_ = nullptr;
    std::vector<sqlite3_stmt*>* home_ = nullptr;
  };

  explicit StatementCache(sqlite3* db) : db_(db) {}
  ~StatementCache();
  StatementCache(const StatementCache&) = delete;
  StatementCache& operator=(const StatementCache&) = delete;

  // SQLite's result code of preparing, SQLITE_OK when `*lease` holds the statement. Leases
  // must be returned before the cache goes.
  int Acquire(const std::string& sql, Lease* lease);

  // Finalizes every idle statement (before closing the connection).
  void Clear();

 private:
  // Beyond this many distinct texts (queries built from many different filter shapes) the
  // idle statements are dropped when none is on loan, so the cache cannot grow without end.
  static constexpr size_t kMaxTexts = 1000;

  using IdleMap = std::unordered_map<std::string, std::vector<sqlite3_stmt*>>;

  sqlite3* db_;
  IdleMap idle_;
  // The entry of idle_ last found for a text at a given address: callers keep their texts
  // (query plans), so most look-ups skip hashing the text and only compare it.
  std::unordered_map<const char*, IdleMap::value_type*> byAddress_;
  size_t onLoan_ = 0;
};

}  // namespace dbclient::sqlite
