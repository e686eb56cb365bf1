#include "storage/sqlite/statement_cache.h"

namespace dbclient::sqlite {

StatementCache::Lease& StatementCache::Lease::operator=(Lease&& other) noexcept {
  if (this != &other) {
    Release();
    statement_ = other.statement_;
    cache_ = other.cache_;
    home_ = other.home_;
    other.statement_ = nullptr;
    other.cache_ = nullptr;
    other.home_ = nullptr;
  }
  return *this;
}

void StatementCache::Lease::Release() {
  if (statement_ == nullptr) return;
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
  home_->push_back(statement_);
  --cache_->onLoan_;
  statement_ = nullptr;
  cache_ = nullptr;
  home_ = nullptr;
}

StatementCache::~StatementCache() { Clear(); }

void StatementCache::Clear() {
  for (auto& [sql, statements] : idle_) {
    for (sqlite3_stmt* statement : statements) sqlite3_finalize(statement);
  }
  idle_.clear();
  byAddress_.clear();
}

int StatementCache::Acquire(const std::string& sql, Lease* lease) {
  if (onLoan_ == 0 && idle_.size() > kMaxTexts) Clear();
  if (byAddress_.size() > 4 * kMaxTexts) byAddress_.clear();  // texts built afresh each time
  IdleMap::value_type*& known = byAddress_[sql.data()];
  if (known == nullptr || known->first != sql) known = &*idle_.try_emplace(sql).first;
  std::vector<sqlite3_stmt*>& idle = known->second;
  sqlite3_stmt* statement = nullptr;
  if (!idle.empty()) {
    statement = idle.back();
    idle.pop_back();
  } else {
    const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size() + 1),
                                      SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(statement);
      return rc;
    }
  }
  *lease = Lease();
  lease->statement_ = statement;
  lease->cache_ = this;
  lease->home_ = &idle;
  ++onLoan_;
  return SQLITE_OK;
}

}  // namespace dbclient::sqlite
