// Prepared statements kept for reuse: each distinct SQL text is prepared once and handed out
// again after it is reset, so hot paths (key look-ups, scans) never re-prepare.
#pragma once

#include <sqlite3.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "dbclient/value.h"

namespace dbclient::sqlite {

class StatementCache {
  // A prepared statement and the UTF-8 of the texts bound to it, one buffer a parameter.
  struct Kept {
    sqlite3_stmt* statement = nullptr;
    std::vector<std::string> texts;
  };

 public:
  // A statement on loan; going out of scope resets it, clears its bindings and returns it to
  // the cache.
  class Lease {
   public:
    Lease() = default;
    Lease(Lease&& other) noexcept { *this = std::move(other); }
    Lease& operator=(Lease&& other) noexcept;
    ~Lease() { Release(); }

    sqlite3_stmt* get() const noexcept { return kept_.statement; }

    // Binds `value` to parameter `index` (from 1). A text is bound from the statement's own
    // buffer for that parameter, which keeps it until the bindings are cleared, so SQLite
    // need not copy it; the buffers keep their storage from one use of the statement to the
    // next.
    int Bind(int index, const Value& value);

   private:
    friend class StatementCache;
    void Release();
    Kept kept_;
    StatementCache* cache_ = nullptr;
    std::vector<Kept>* home_ = nullptr;
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

  using IdleMap = std::unordered_map<std::string, std::vector<Kept>>;

  sqlite3* db_;
  IdleMap idle_;
  // The entry of idle_ last found for a text at a given address: callers keep their texts
  // (query plans), so most look-ups skip hashing the text and only compare it.
  std::unordered_map<const char*, IdleMap::value_type*> byAddress_;
  size_t onLoan_ = 0;
};

}  // namespace dbclient::sqlite
