#include "storage/sqlite/statement_cache.h"

#include <utility>

#include "engine/text_util.h"

namespace dbclient::sqlite {

StatementCache::Lease& StatementCache::Lease::operator=(Lease&& other) noexcept {
  if (this != &other) {
    Release();
    kept_ = std::exchange(other.kept_, {});
    cache_ = std::exchange(other.cache_, nullptr);
    home_ = std::exchange(other.home_, nullptr);
  }
  return *this;
}

int StatementCache::Lease::Bind(int index, const Value& value) {
  sqlite3_stmt* statement = kept_.statement;
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode: {
      // Sized when the statement was prepared, so binding never moves a buffer bound before.
      if (index < 1 || static_cast<size_t>(index) > kept_.texts.size()) return SQLITE_RANGE;
      std::string& utf8 = kept_.texts[static_cast<size_t>(index - 1)];
      text::AssignToUtf8(value.text(), &utf8);
      return sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()),
                               SQLITE_STATIC);
    }
    case FieldType::kDecimal:
      return sqlite3_bind_double(statement, index, value.decimal());
    case FieldType::kBoolean:
      return sqlite3_bind_int(statement, index, value.boolean() ? 1 : 0);
    case FieldType::kBlob:
      // An empty blob must stay a value, not NULL.
      if (value.blob().empty()) return sqlite3_bind_zeroblob(statement, index, 0);
      return sqlite3_bind_blob(statement, index, value.blob().data(),
                               static_cast<int>(value.blob().size()), SQLITE_TRANSIENT);
    default:
      return sqlite3_bind_int(statement, index, value.integer());
  }
}

void StatementCache::Lease::Release() {
  if (kept_.statement == nullptr) return;
  sqlite3_reset(kept_.statement);
  sqlite3_clear_bindings(kept_.statement);
  home_->push_back(std::exchange(kept_, {}));
  --cache_->onLoan_;
  cache_ = nullptr;
  home_ = nullptr;
}

StatementCache::~StatementCache() { Clear(); }

void StatementCache::Clear() {
  for (auto& [sql, statements] : idle_) {
    for (Kept& kept : statements) sqlite3_finalize(kept.statement);
  }
  idle_.clear();
  byAddress_.clear();
}

int StatementCache::Acquire(const std::string& sql, Lease* lease) {
  if (onLoan_ == 0 && idle_.size() > kMaxTexts) Clear();
  if (byAddress_.size() > 4 * kMaxTexts) byAddress_.clear();  // texts built afresh each time
  IdleMap::value_type*& known = byAddress_[sql.data()];
  if (known == nullptr || known->first != sql) known = &*idle_.try_emplace(sql).first;
  std::vector<Kept>& idle = known->second;
  Kept kept;
  if (!idle.empty()) {
    kept = std::move(idle.back());
    idle.pop_back();
  } else {
    const int rc = sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size() + 1),
                                      SQLITE_PREPARE_PERSISTENT, &kept.statement, nullptr);
    if (rc != SQLITE_OK) {
      sqlite3_finalize(kept.statement);
      return rc;
    }
    kept.texts.resize(static_cast<size_t>(sqlite3_bind_parameter_count(kept.statement)));
  }
  *lease = Lease();
  lease->kept_ = std::move(kept);
  lease->cache_ = this;
  lease->home_ = &idle;
  ++onLoan_;
  return SQLITE_OK;
}

}  // namespace dbclient::sqlite
