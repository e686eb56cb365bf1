// Filter expressions on a field of each type. An expression is either refused with a filter or
// value error, or accepted; an accepted one must select exactly the same of a few stored values
// in memory (the matcher of the virtual tables) as in SQLite (the condition the storage
// backend pushes down, with its parameters bound).
//
// Input, read with FuzzedDataProvider: the last byte picks the field (low three bits) and
// whether the texts are UTF-16 code units rather than UTF-8 (bit 3); then the expression and
// up to eight values, each a string that ends at a backslash followed by another character.
#include <fuzzer/FuzzedDataProvider.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/filter.h"
#include "engine/text_util.h"
#include "error_codes.h"
#include "storage/sqlite/sql.h"
#include "storage/sqlite/statement_cache.h"

namespace dbclient {
namespace {

constexpr int32_t kFieldNo = 7;

const FieldDef kFields[] = {
    {.number = kFieldNo, .name = "F", .type = FieldType::kText, .length = 30},
    {.number = kFieldNo, .name = "F", .type = FieldType::kCode, .length = 20},
    {.number = kFieldNo, .name = "F", .type = FieldType::kInteger},
    {.number = kFieldNo, .name = "F", .type = FieldType::kDecimal},
    {.number = kFieldNo, .name = "F", .type = FieldType::kDate},
    {.number = kFieldNo, .name = "F", .type = FieldType::kTime},
    {.number = kFieldNo, .name = "F", .type = FieldType::kBoolean},
    {.number = kFieldNo,
     .name = "F",
     .type = FieldType::kOption,
     .optionString = "Quote,Order,Invoice"},
};

// The errors an expression may be refused with.
bool IsRefusal(int32_t code) {
  static const std::set<int32_t> kRefusals = {errc::kMalformedFilter, errc::kWildcardNotAllowed,
                                              errc::kFilterTooDeep,   errc::kTooManyFilterValues,
                                              errc::kPatternTooLong,  errc::kNulInFilter,
                                              errc::kTextTooLong,     errc::kBadOption,
                                              errc::kBadDate,         errc::kBadTime,
                                              errc::kBadNumber,       errc::kNumberOutOfRange,
                                              errc::kBadBoolean,      errc::kTypeMismatch};
  return kRefusals.count(code) != 0;
}

[[noreturn]] void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
  std::abort();
}

std::u16string TextOf(const std::string& bytes, bool utf16) {
  if (!utf16) return text::FromUtf8(bytes);
  std::u16string units;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                          static_cast<unsigned char>(bytes[i + 1]) << 8));
  }
  return units;
}

// One in-memory database for the whole run, with a one-column table for each field.
class Tables {
 public:
  Tables() {
    if (sqlite3_open(":memory:", &db_) != SQLITE_OK ||
        sqlite::RegisterFunctions(db_) != SQLITE_OK) {
      Fail("sqlite", "cannot open");
    }
    statements_.emplace(db_);
    for (size_t i = 0; i < std::size(kFields); ++i) {
      Exec("CREATE TABLE " + Name(i) + "(" + sqlite::ColumnName(kFieldNo) + " " +
           sqlite::ColumnType(kFields[i].type) + " NOT NULL)");
    }
  }
  ~Tables() {
    statements_.reset();
    sqlite3_close(db_);
  }

  static std::string Name(size_t field) { return "t" + std::to_string(field); }

  void Exec(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK) {
      Fail("sqlite", sql + ": " + sqlite3_errmsg(db_));
    }
  }

  // Runs `sql` with `values` bound; returns the first column of every row.
  std::vector<Value> Query(const std::string& sql, const std::vector<Value>& values,
                           FieldType column) {
    sqlite::StatementCache::Lease statement;
    if (statements_->Acquire(sql, &statement) != SQLITE_OK) {
      Fail("SQLite refuses", sql + ": " + sqlite3_errmsg(db_));
    }
    for (size_t i = 0; i < values.size(); ++i) {
      statement.Bind(static_cast<int>(i) + 1, values[i]);
    }
    std::vector<Value> rows;
    int rc;
    while ((rc = sqlite3_step(statement.get())) == SQLITE_ROW) {
      rows.push_back(sqlite::Read(statement.get(), 0, column));
    }
    if (rc != SQLITE_DONE) Fail("SQLite fails", sql + ": " + sqlite3_errmsg(db_));
    return rows;
  }

 private:
  sqlite3* db_ = nullptr;
  std::optional<sqlite::StatementCache> statements_;
};

}  // namespace
}  // namespace dbclient

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace dbclient;
  static Tables tables;
  FuzzedDataProvider input(data, size);
  const uint8_t pick = input.ConsumeIntegral<uint8_t>();
  const size_t index = pick % std::size(kFields);
  const FieldDef& field = kFields[index];
  const bool utf16 = (pick & 8) != 0;
  const std::u16string expression = TextOf(input.ConsumeRandomLengthString(), utf16);

  FieldFilter filter;
  const Status status = FieldFilter::Parse(field, expression, &filter);
  if (!status.ok()) {
    if (!IsRefusal(status.code())) Fail("unexpected refusal", status.ToString());
    return 0;
  }
  if (filter.valueCount() > kMaxFilterValues) {
    Fail("too many values", std::to_string(filter.valueCount()));
  }

  // The stored values: those of the inputs that convert, as the storage reads them back.
  const std::string table = Tables::Name(index);
  const std::string column = sqlite::ColumnName(kFieldNo);
  tables.Exec("DELETE FROM " + table);
  std::vector<Value> inputs;
  for (int i = 0; i < 8 && input.remaining_bytes() > 0; ++i) {
    const std::u16string text = TextOf(input.ConsumeRandomLengthString(), utf16);
    Value value;
    if (ConvertInput(field, std::u16string_view(text), &value).ok()) inputs.push_back(value);
  }
  std::string insert = "INSERT INTO " + table + " VALUES(?)";
  for (size_t i = 1; i < inputs.size(); ++i) insert += ",(?)";
  if (!inputs.empty()) tables.Query(insert, inputs, field.type);
  const std::vector<Value> stored =
      tables.Query("SELECT " + column + " FROM " + table + " ORDER BY rowid", {}, field.type);

  std::string condition;
  std::vector<Value> parameters;
  int position = 1;
  sql::AppendFilter(sql::kSqliteDialect, filter, &position, &condition, &parameters);
  const std::vector<Value> selected = tables.Query(
      "SELECT " + column + " FROM " + table + " WHERE " + condition + " ORDER BY rowid", parameters,
      field.type);
  std::vector<Value> matched;
  for (const Value& value : stored) {
    if (filter.Matches(value)) matched.push_back(value);
  }
  if (matched != selected) {
    std::string detail = text::ToUtf8(expression) + " | SQL " + condition + " | stored";
    for (const Value& value : stored) {
      detail += " [" + value.DebugString() + (filter.Matches(value) ? "]+" : "]-");
    }
    Fail("memory and SQLite select differently",
         detail + " | SQLite selects " + std::to_string(selected.size()));
  }
  return 0;
}
