#include "storage/sqlite/sql.h"

#include "engine/text_util.h"

namespace dbclient::sqlite {

Value Read(sqlite3_stmt* statement, int column, FieldType type) {
  switch (type) {
    case FieldType::kText:
    case FieldType::kCode: {
      const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      const int size = sqlite3_column_bytes(statement, column);
      std::u16string text =
          data == nullptr ? std::u16string() : text::FromUtf8(std::string_view(data, size));
      return type == FieldType::kCode ? Value::Code(std::move(text)) : Value::Text(std::move(text));
    }
    case FieldType::kDecimal:
      return Value::Decimal(sqlite3_column_double(statement, column));
    case FieldType::kBoolean:
      return Value::Boolean(sqlite3_column_int(statement, column) != 0);
    case FieldType::kBlob: {
      const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, column));
      const int size = sqlite3_column_bytes(statement, column);
      return Value::Blob(data == nullptr ? std::string() : std::string(data, size));
    }
    case FieldType::kInteger:
      return Value::Integer(sqlite3_column_int(statement, column));
    case FieldType::kOption:
      return Value::Option(sqlite3_column_int(statement, column));
    case FieldType::kDate:
      return Value::Date(sqlite3_column_int(statement, column));
    case FieldType::kTime:
      return Value::Time(sqlite3_column_int(statement, column));
  }
  return Value(type);
}

void ReadInto(sqlite3_stmt* statement, int column, Value* value) {
  // One look-up of the column's value serves the reads of its text and length.
  sqlite3_value* stored = sqlite3_column_value(statement, column);
  switch (value->type()) {
    case FieldType::kText:
    case FieldType::kCode: {
      const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(stored));
      const int size = sqlite3_value_bytes(stored);
      value->AssignStoredUtf8(data == nullptr ? std::string_view() : std::string_view(data, size));
      return;
    }
    case FieldType::kInteger:
    case FieldType::kOption:
    case FieldType::kDate:
    case FieldType::kTime:
      value->AssignStoredInteger(sqlite3_value_int(stored));
      return;
    case FieldType::kBoolean:
      value->AssignStoredBoolean(sqlite3_value_int(stored) != 0);
      return;
    case FieldType::kDecimal:
      value->AssignStoredDecimal(sqlite3_value_double(stored));
      return;
    case FieldType::kBlob:
      *value = Read(statement, column, FieldType::kBlob);
      return;
  }
}

namespace {

void FoldFunction(sqlite3_context* context, int, sqlite3_value** argv) {
  const auto* data = reinterpret_cast<const char*>(sqlite3_value_text(argv[0]));
  if (data == nullptr) {
    sqlite3_result_null(context);
    return;
  }
  const std::string folded = text::ToUtf8(
      text::Fold(text::FromUtf8(std::string_view(data, sqlite3_value_bytes(argv[0])))));
  sqlite3_result_text(context, folded.data(), static_cast<int>(folded.size()), SQLITE_TRANSIENT);
}

}  // namespace

int RegisterFunctions(sqlite3* db) {
  const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  return sqlite3_create_function_v2(db, "talmo_fold", 1, flags, nullptr, FoldFunction, nullptr,
                                    nullptr, nullptr);
}

}  // namespace dbclient::sqlite
