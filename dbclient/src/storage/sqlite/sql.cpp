#include "storage/sqlite/sql.h"

#include <charconv>

#include "engine/text_util.h"

namespace dbclient::sqlite {

std::string TableName(int64_t company, int32_t tableNo) {
  return "c" + std::to_string(company) + "_t" + std::to_string(tableNo);
}

std::string ColumnName(int32_t fieldNo) { return "f" + std::to_string(fieldNo); }

const char* ColumnType(FieldType type) {
  switch (type) {
    case FieldType::kText:
    case FieldType::kCode:
      return "TEXT";
    case FieldType::kDecimal:
      return "REAL";
    case FieldType::kBlob:
      return "BLOB";
    default:
      return "INTEGER";
  }
}

std::string Literal(const Value& value) {
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode: {
      std::string out = "'";
      for (char c : text::ToUtf8(value.text())) {
        out += c;
        if (c == '\'') out += '\'';
      }
      return out + "'";
    }
    case FieldType::kDecimal: {
      char buffer[40];
      const auto end = std::to_chars(buffer, buffer + sizeof buffer, value.decimal()).ptr;
      std::string text(buffer, end);
      if (text.find_first_of(".e") == std::string::npos) text += ".0";
      return text;
    }
    case FieldType::kBoolean:
      return value.boolean() ? "1" : "0";
    case FieldType::kBlob: {
      static constexpr char kHex[] = "0123456789ABCDEF";
      std::string out = "X'";
      for (unsigned char c : value.blob()) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
      return out + "'";
    }
    default:
      return std::to_string(value.integer());
  }
}

bool IsStored(const FieldDef& field) { return field.fieldClass == FieldClass::kNormal; }

std::vector<size_t> StoredFields(const TableDef& table) {
  std::vector<size_t> indexes;
  for (size_t i = 0; i < table.fields.size(); ++i) {
    if (IsStored(table.fields[i])) indexes.push_back(i);
  }
  return indexes;
}

int Bind(sqlite3_stmt* statement, int index, const Value& value) {
  switch (value.type()) {
    case FieldType::kText:
    case FieldType::kCode: {
      const std::string utf8 = text::ToUtf8(value.text());
      return sqlite3_bind_text(statement, index, utf8.data(), static_cast<int>(utf8.size()),
                               SQLITE_TRANSIENT);
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

std::string GlobPattern(const std::vector<PatternChar>& pattern) {
  std::u16string glob;
  for (const PatternChar& c : pattern) {
    switch (c.kind) {
      case PatternChar::Kind::kAnyRun:
        glob += u'*';
        break;
      case PatternChar::Kind::kAnyOne:
        glob += u'?';
        break;
      case PatternChar::Kind::kLiteral:
        if (c.ch == u'*' || c.ch == u'?' || c.ch == u'[') {
          glob += u'[';
          glob += c.ch;
          glob += u']';
        } else {
          glob += c.ch;
        }
        break;
    }
  }
  return text::ToUtf8(glob);
}

namespace {

// Appends the condition of `node`; in parentheses only when it is an OR that stands inside an
// AND. Lists stay flat chains, so a statement nests no deeper than the filter's own
// parentheses (SQLite's parser gives up at about 30 levels) and its expression tree grows
// with the number of values, not with their nesting (SQLite allows 1000 levels).
void AppendNode(const FilterNode& node, const std::string& column, bool insideAnd, std::string* sql,
                std::vector<Value>* parameters) {
  if (node.kind != FilterNode::Kind::kTerm) {
    const bool isAnd = node.kind == FilterNode::Kind::kAnd;
    const bool enclose = insideAnd && !isAnd;
    if (enclose) *sql += '(';
    for (size_t i = 0; i < node.children.size(); ++i) {
      if (i > 0) *sql += isAnd ? " AND " : " OR ";
      AppendNode(node.children[i], column, isAnd, sql, parameters);
    }
    if (enclose) *sql += ')';
    return;
  }
  const FilterTerm& term = node.term;
  const std::string operand = term.ignoreCase ? "talmo_fold(" + column + ")" : column;
  const auto compare = [&](const char* op) {
    *sql += operand + op + "?";
    parameters->push_back(*term.low);
  };
  switch (term.op) {
    case FilterTerm::Op::kEqual:
      return compare("=");
    case FilterTerm::Op::kNotEqual:
      return compare("<>");
    case FilterTerm::Op::kLess:
      return compare("<");
    case FilterTerm::Op::kLessEqual:
      return compare("<=");
    case FilterTerm::Op::kGreater:
      return compare(">");
    case FilterTerm::Op::kGreaterEqual:
      return compare(">=");
    case FilterTerm::Op::kRange:
      if (term.low && term.high) {
        *sql += "(" + operand + " BETWEEN ? AND ?)";
        parameters->push_back(*term.low);
        parameters->push_back(*term.high);
      } else if (term.low) {
        compare(">=");
      } else {
        *sql += operand + "<=?";
        parameters->push_back(*term.high);
      }
      return;
    case FilterTerm::Op::kMatch:
    case FilterTerm::Op::kNotMatch:
      // "+?", not a bare "?": SQLite prepares a statement whose GLOB pattern is a bare
      // parameter again each time the parameter is bound (to try the pattern's prefix as an
      // index range), which would cost a full prepare on every step of a filtered cursor.
      *sql += (term.op == FilterTerm::Op::kNotMatch ? "NOT (" : "(") + operand + " GLOB +?)";
      parameters->push_back(Value::Text(text::FromUtf8(GlobPattern(term.pattern))));
      return;
  }
}

}  // namespace

void AppendFilter(const FieldFilter& filter, std::string* sql, std::vector<Value>* parameters) {
  AppendNode(filter.root(), ColumnName(filter.fieldNo()), true, sql, parameters);
}

QueryPlan& PlanOf(const Query& query) {
  if (query.plan != nullptr) return *static_cast<QueryPlan*>(query.plan.get());
  auto plan = std::make_shared<QueryPlan>();
  const TableDef& table = *query.table;
  for (size_t index : StoredFields(table)) {
    if (!plan->columns.empty()) plan->columns += ',';
    plan->columns += ColumnName(table.fields[index].number);
  }
  plan->table = TableName(query.company, table.number);
  for (const FieldFilter& filter : query.filters) {
    if (!plan->condition.empty()) plan->condition += " AND ";
    AppendFilter(filter, &plan->condition, &plan->parameters);
  }
  query.plan = plan;
  return *plan;
}

const std::string& QueryPlan::Text(const Query& query, QueryStatement statement) {
  std::string& text = texts[static_cast<int>(statement)];
  if (!text.empty()) return text;
  std::string ascending, descending, row, markers, key_equals;
  for (size_t i = 0; i < query.order.size(); ++i) {
    const std::string column = ColumnName(query.order[i]);
    const char* comma = i == 0 ? "" : ",";
    ascending += comma + column;
    descending += comma + column + " DESC";
    row += comma + column;
    markers += i == 0 ? "?" : ",?";
    key_equals += (i == 0 ? "" : " AND ") + column + "=?";
  }
  const std::string select = "SELECT " + columns + " FROM " + table;
  const std::string filters = condition.empty() ? "" : " AND " + condition;
  const std::string where = condition.empty() ? "" : " WHERE " + condition;
  const std::string after = " WHERE (" + row + ")>(" + markers + ")" + filters;
  const std::string before = " WHERE (" + row + ")<(" + markers + ")" + filters;
  switch (statement) {
    case QueryStatement::kFirst:
      text = select + where + " ORDER BY " + ascending + " LIMIT 1";
      break;
    case QueryStatement::kLast:
      text = select + where + " ORDER BY " + descending + " LIMIT 1";
      break;
    case QueryStatement::kEqual:
      text = select + " WHERE " + key_equals + filters + " LIMIT 1";
      break;
    case QueryStatement::kForward:
      text = select + after + " ORDER BY " + ascending + " LIMIT 1 OFFSET ?";
      break;
    case QueryStatement::kBackward:
      text = select + before + " ORDER BY " + descending + " LIMIT 1 OFFSET ?";
      break;
    case QueryStatement::kCountForward:
      text = "SELECT count(*) FROM (SELECT 1 FROM " + table + after + " ORDER BY " + ascending +
             " LIMIT ?)";
      break;
    case QueryStatement::kCountBackward:
      text = "SELECT count(*) FROM (SELECT 1 FROM " + table + before + " ORDER BY " + descending +
             " LIMIT ?)";
      break;
    case QueryStatement::kCount:
      text = "SELECT count(*) FROM " + table + where;
      break;
    case QueryStatement::kExists:
      text = "SELECT EXISTS(SELECT 1 FROM " + table + where + ")";
      break;
    case QueryStatement::kDelete:
      text = "DELETE FROM " + table + where;
      break;
    case QueryStatement::kEnd:
      break;
  }
  return text;
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
