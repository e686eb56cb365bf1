#include "storage/sql_text.h"

#include <algorithm>
#include <charconv>
#include <optional>

#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient::sql {

std::string TableName(int64_t company, int32_t tableNo) {
  return "c" + std::to_string(company) + "_t" + std::to_string(tableNo);
}

std::string ColumnName(int32_t fieldNo) { return "f" + std::to_string(fieldNo); }

std::string Literal(const Dialect& dialect, const Value& value) {
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
      return value.boolean() ? dialect.trueLiteral : dialect.falseLiteral;
    case FieldType::kBlob:
      return dialect.blobLiteral(value.blob());
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

std::vector<int> StoredColumns(const TableDef& table) {
  std::vector<int> columns(table.fields.size(), -1);
  int column = 0;
  for (size_t i = 0; i < table.fields.size(); ++i) {
    if (IsStored(table.fields[i])) columns[i] = column++;
  }
  return columns;
}

namespace {

// The texts that begin with a wildcard pattern's literal prefix form a range in code-point
// order, the order both backends keep texts in: column>=prefix AND column<raised, where
// raised is the prefix with its last character one higher (none when nothing sorts above
// it). Implied by the match itself, it lets an index serve the match (K0* reads only the K0
// part of the key). No bounds without a literal prefix.
void PrefixBounds(const std::vector<PatternChar>& pattern, std::optional<Value>* low,
                  std::optional<Value>* high) {
  std::u16string prefix;
  for (const PatternChar& c : pattern) {
    if (c.kind != PatternChar::Kind::kLiteral) break;
    prefix += c.ch;
  }
  if (prefix.empty()) return;
  // As stored and as the pattern is bound: a lone surrogate reads as U+FFFD.
  prefix = text::FromUtf8(text::ToUtf8(prefix));
  *low = Value::Text(prefix);
  size_t cut = prefix.size() - 1;
  char32_t last = prefix[cut];
  if (cut > 0 && last >= 0xDC00 && last <= 0xDFFF) {
    --cut;
    last = 0x10000 + ((static_cast<char32_t>(prefix[cut]) - 0xD800) << 10) + (last - 0xDC00);
  }
  if (last == 0x10FFFF) return;
  last = last + 1 == 0xD800 ? 0xE000 : last + 1;
  prefix.resize(cut);
  if (last >= 0x10000) {
    prefix += static_cast<char16_t>(0xD800 + ((last - 0x10000) >> 10));
    prefix += static_cast<char16_t>(0xDC00 + ((last - 0x10000) & 0x3FF));
  } else {
    prefix += static_cast<char16_t>(last);
  }
  *high = Value::Text(prefix);
}

Value BoundPattern(const Dialect& dialect, const FilterTerm& term) {
  return Value::Text(text::FromUtf8(dialect.matchPattern(term.pattern)));
}

// Whether a match also gets the bounds of its literal prefix.
bool BoundsPrefix(const FilterTerm& term) {
  return term.op == FilterTerm::Op::kMatch && !term.ignoreCase;
}

// A literal prefix and one trailing * ("K0*"): the bounds of the prefix alone select exactly
// the texts that match, so a row needs no pattern test.
bool IsPrefixPattern(const std::vector<PatternChar>& pattern) {
  return pattern.size() >= 2 && pattern.back().kind == PatternChar::Kind::kAnyRun &&
         std::all_of(pattern.begin(), pattern.end() - 1, [](const PatternChar& c) {
           return c.kind == PatternChar::Kind::kLiteral;
         });
}

// The parameters of a match: its pattern unless the bounds alone decide, then the bounds.
std::vector<Value> MatchParameters(const Dialect& dialect, const FilterTerm& term,
                                   bool* patternTested) {
  std::vector<Value> values;
  std::optional<Value> low, high;
  if (BoundsPrefix(term)) PrefixBounds(term.pattern, &low, &high);
  *patternTested = !(low && high && IsPrefixPattern(term.pattern));
  if (*patternTested) values.push_back(BoundPattern(dialect, term));
  if (low) values.push_back(std::move(*low));
  if (high) values.push_back(std::move(*high));
  return values;
}

// Appends the condition of `node`; in parentheses only when it is an OR that stands inside an
// AND. Lists stay flat chains, so a statement nests no deeper than the filter's own
// parentheses (SQLite's parser gives up at about 30 levels) and its expression tree grows
// with the number of values, not with their nesting.
void AppendNode(const Dialect& dialect, const FilterNode& node, const std::string& column,
                bool insideAnd, int* position, std::string* sql, std::vector<Value>* parameters) {
  if (node.kind != FilterNode::Kind::kTerm) {
    const bool isAnd = node.kind == FilterNode::Kind::kAnd;
    const bool enclose = insideAnd && !isAnd;
    if (enclose) *sql += '(';
    for (size_t i = 0; i < node.children.size(); ++i) {
      if (i > 0) *sql += isAnd ? " AND " : " OR ";
      AppendNode(dialect, node.children[i], column, isAnd, position, sql, parameters);
    }
    if (enclose) *sql += ')';
    return;
  }
  const FilterTerm& term = node.term;
  const std::string operand = term.ignoreCase ? "talmo_fold(" + column + ")" : column;
  const auto parameter = [&](const Value& value) {
    parameters->push_back(value);
    return dialect.Parameter((*position)++);
  };
  const auto compare = [&](const char* op, const Value& value) {
    *sql += operand + op + parameter(value);
  };
  switch (term.op) {
    case FilterTerm::Op::kEqual:
      return compare("=", *term.low);
    case FilterTerm::Op::kNotEqual:
      return compare("<>", *term.low);
    case FilterTerm::Op::kLess:
      return compare("<", *term.low);
    case FilterTerm::Op::kLessEqual:
      return compare("<=", *term.low);
    case FilterTerm::Op::kGreater:
      return compare(">", *term.low);
    case FilterTerm::Op::kGreaterEqual:
      return compare(">=", *term.low);
    case FilterTerm::Op::kRange:
      if (term.low && term.high) {
        *sql += "(" + operand + " BETWEEN " + parameter(*term.low);
        *sql += " AND " + parameter(*term.high) + ")";
      } else if (term.low) {
        compare(">=", *term.low);
      } else {
        compare("<=", *term.high);
      }
      return;
    case FilterTerm::Op::kMatch:
    case FilterTerm::Op::kNotMatch: {
      bool patternTested = true;
      std::vector<Value> values = MatchParameters(dialect, term, &patternTested);
      auto value = values.begin();
      *sql += term.op == FilterTerm::Op::kNotMatch ? "NOT (" : "(";
      if (patternTested) {
        *sql += operand + dialect.matchOperator + parameter(*value++) + dialect.matchSuffix;
      }
      if (value != values.end()) {
        *sql += (patternTested ? " AND " : "") + column + ">=" + parameter(*value++);
      }
      if (value != values.end()) *sql += " AND " + column + "<" + parameter(*value++);
      *sql += ")";
      return;
    }
  }
}

// The parameters AppendNode gives `node`, in the same order, without its text.
void AppendNodeParameters(const Dialect& dialect, const FilterNode& node,
                          std::vector<Value>* parameters) {
  for (const FilterNode& child : node.children) AppendNodeParameters(dialect, child, parameters);
  if (node.kind != FilterNode::Kind::kTerm) return;
  const FilterTerm& term = node.term;
  if (term.op != FilterTerm::Op::kMatch && term.op != FilterTerm::Op::kNotMatch) {
    if (term.low) parameters->push_back(*term.low);
    if (term.high) parameters->push_back(*term.high);
    return;
  }
  bool patternTested = true;
  for (Value& value : MatchParameters(dialect, term, &patternTested)) {
    parameters->push_back(std::move(value));
  }
}

// The filters joined by AND ("" for none), markers numbered from `first`.
std::string Condition(const Dialect& dialect, const Query& query, int first,
                      std::vector<Value>* parameters) {
  std::string condition;
  for (const FieldFilter& filter : query.filters) {
    if (!condition.empty()) condition += " AND ";
    AppendFilter(dialect, filter, &first, &condition, parameters);
  }
  return condition;
}

}  // namespace

void AppendFilter(const Dialect& dialect, const FieldFilter& filter, int* position,
                  std::string* sql, std::vector<Value>* parameters) {
  AppendNode(dialect, filter.root(), ColumnName(filter.fieldNo()), true, position, sql,
             parameters);
}

void AppendFilterParameters(const Dialect& dialect, const FieldFilter& filter,
                            std::vector<Value>* parameters) {
  AppendNodeParameters(dialect, filter.root(), parameters);
}

const std::string& QueryPlan::Sum(int32_t fieldNo, bool each) {
  auto [it, made] = shape->sums.try_emplace({fieldNo, each});
  if (made) {
    const std::string column = ColumnName(fieldNo);
    it->second = (each ? "SELECT " + column : "SELECT coalesce(sum(" + column + "),0)") + " FROM " +
                 shape->table + (shape->condition.empty() ? "" : " WHERE " + shape->condition);
  }
  return it->second;
}

const std::string& QueryPlan::Text(const Query& query, QueryStatement statement) {
  std::string& text = shape->texts[static_cast<int>(statement)];
  if (!text.empty()) return text;
  const Dialect* dialect = shape->dialect;
  const std::string& table = shape->table;
  // Markers: the key's first (for the statements that take it), the filters' next, the
  // offset or limit last.
  const int keys = static_cast<int>(query.order.size());
  std::string ascending, descending, row, markers, key_equals;
  for (int i = 0; i < keys; ++i) {
    const std::string column = ColumnName(query.order[i]);
    const char* comma = i == 0 ? "" : ",";
    ascending += comma + column;
    descending += comma + column + " DESC";
    row += comma + column;
    markers += comma + dialect->Parameter(i + 1);
    key_equals += (i == 0 ? "" : " AND ") + column + "=" + dialect->Parameter(i + 1);
  }
  std::vector<Value> unused;
  const std::string& alone = shape->condition;
  const std::string after_key = Condition(*dialect, query, keys + 1, &unused);
  const int filterCount = shape->filterCount;
  const std::string last = dialect->Parameter(keys + filterCount + 1);
  const std::string limit = dialect->Parameter(filterCount + 1);  // of statements without key
  const std::string select = "SELECT " + shape->columns + " FROM " + table;
  const std::string filters = after_key.empty() ? "" : " AND " + after_key;
  const std::string where = alone.empty() ? "" : " WHERE " + alone;
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
      text = select + after + " ORDER BY " + ascending + " LIMIT 1 OFFSET " + last;
      break;
    case QueryStatement::kBackward:
      text = select + before + " ORDER BY " + descending + " LIMIT 1 OFFSET " + last;
      break;
    case QueryStatement::kFirstRows:
      text = select + where + " ORDER BY " + ascending + " LIMIT " + limit;
      break;
    case QueryStatement::kLastRows:
      text = select + where + " ORDER BY " + descending + " LIMIT " + limit;
      break;
    case QueryStatement::kForwardRows:
      text = select + after + " ORDER BY " + ascending + " LIMIT " + last;
      break;
    case QueryStatement::kBackwardRows:
      text = select + before + " ORDER BY " + descending + " LIMIT " + last;
      break;
    case QueryStatement::kCountForward:
      text = "SELECT count(*) FROM (SELECT 1 FROM " + table + after + " ORDER BY " + ascending +
             " LIMIT " + last + ") AS counted";
      break;
    case QueryStatement::kCountBackward:
      text = "SELECT count(*) FROM (SELECT 1 FROM " + table + before + " ORDER BY " + descending +
             " LIMIT " + last + ") AS counted";
      break;
    case QueryStatement::kCount:
      text = "SELECT count(*) FROM " + table + where;
      break;
    case QueryStatement::kExists:
      text = "SELECT count(*) FROM (SELECT 1 FROM " + table + where + " LIMIT 1) AS found";
      break;
    case QueryStatement::kDelete:
      text = "DELETE FROM " + table + where;
      break;
    case QueryStatement::kEnd:
      break;
  }
  return text;
}

TableStatements BuildTableStatements(const Dialect& dialect, int64_t company,
                                     const TableDef& table) {
  TableStatements sql;
  const std::string name = TableName(company, table.number);
  sql.stored = StoredFields(table);
  for (int32_t field : table.PrimaryKey().fields) {
    sql.key.push_back(static_cast<size_t>(table.FindField(field) - table.fields.data()));
  }
  for (size_t i : sql.stored) {
    if (std::find(sql.key.begin(), sql.key.end(), i) == sql.key.end()) sql.nonKey.push_back(i);
  }
  std::string columns, markers, set, where;
  int position = 1;
  for (size_t i : sql.stored) {
    columns += (columns.empty() ? "" : ",") + ColumnName(table.fields[i].number);
    markers += (markers.empty() ? "" : ",") + dialect.Parameter(position++);
  }
  sql.insert = "INSERT INTO " + name + "(" + columns + ") VALUES(" + markers +
               ") ON CONFLICT DO NOTHING";
  // UPDATE binds the non-key fields first; the other statements bind only the key.
  const auto key_condition = [&](int first) {
    std::string condition;
    for (size_t i = 0; i < sql.key.size(); ++i) {
      condition += (i == 0 ? "" : " AND ") + ColumnName(table.fields[sql.key[i]].number) + "=" +
                   dialect.Parameter(first + static_cast<int>(i));
    }
    return condition;
  };
  position = 1;
  for (size_t i : sql.nonKey) {
    set += (set.empty() ? "" : ",") + ColumnName(table.fields[i].number) + "=" +
           dialect.Parameter(position++);
  }
  if (!set.empty()) sql.update = "UPDATE " + name + " SET " + set + " WHERE " + key_condition(position);
  sql.exists = "SELECT 1 FROM " + name + " WHERE " + key_condition(1);
  sql.remove = "DELETE FROM " + name + " WHERE " + key_condition(1);
  return sql;
}

QueryPlan& StatementTexts::Plan(const Query& query) {
  if (query.plan != nullptr && !query.newValues) return *static_cast<QueryPlan*>(query.plan.get());
  if (query.plan != nullptr) {
    // Only values changed: the texts hold. The plan is renewed in place only when the query
    // alone holds it; a copied query or a running statement may still read the old one.
    if (query.plan.use_count() > 1) {
      auto plan = std::make_shared<QueryPlan>();
      plan->shape = static_cast<QueryPlan*>(query.plan.get())->shape;
      query.plan = std::move(plan);
    }
    auto& plan = *static_cast<QueryPlan*>(query.plan.get());
    plan.records.reset();
    plan.parameters.clear();
    for (const FieldFilter& filter : query.filters) {
      AppendFilterParameters(dialect_, filter, &plan.parameters);
    }
    query.newValues = false;
    return plan;
  }
  query.newValues = false;
  std::shared_ptr<void>* shared = nullptr;
  if (query.filters.empty()) {
    shared = &sharedPlans_[{query.company, query.table, query.order}];
    if (*shared != nullptr) {
      query.plan = *shared;
      return *static_cast<QueryPlan*>(query.plan.get());
    }
  }
  auto plan = std::make_shared<QueryPlan>();
  std::string condition = Condition(dialect_, query, 1, &plan->parameters);
  if (shapes_.size() >= kMaxShapes) shapes_.clear();  // plans made keep theirs
  auto [entry, made] =
      shapes_.try_emplace({query.company, query.table, query.order, std::move(condition)});
  std::shared_ptr<QueryTexts>& shape = entry->second;
  if (made) {
    shape = std::make_shared<QueryTexts>();
    shape->dialect = &dialect_;
    const TableDef& table = *query.table;
    for (size_t index : StoredFields(table)) {
      if (!shape->columns.empty()) shape->columns += ',';
      shape->columns += ColumnName(table.fields[index].number);
    }
    shape->table = TableName(query.company, table.number);
    shape->condition = std::get<3>(entry->first);
    shape->filterCount = static_cast<int>(plan->parameters.size());
  }
  plan->shape = shape;
  query.plan = plan;
  if (shared != nullptr) *shared = plan;
  return *plan;
}

const TableStatements& StatementTexts::Table(int64_t company, const TableDef& table) {
  const auto key = std::make_pair(company, &table);
  auto it = tables_.find(key);
  if (it == tables_.end()) {
    it = tables_.emplace(key, BuildTableStatements(dialect_, company, table)).first;
  }
  return it->second;
}

Status CountValue(Aggregate aggregate, int64_t number, const FieldDef* field, Value* out) {
  if (aggregate == Aggregate::kExist) {
    *out = Value::Boolean(number != 0);
  } else if (number > INT32_MAX) {
    return Status::Error(errc::kNumberOutOfRange, field == nullptr ? "" : field->name);
  } else {
    *out = Value::Integer(static_cast<int32_t>(number));
  }
  return Status();
}

Status IntegerSumValue(int64_t sum, const FieldDef& field, Value* out) {
  if (sum < INT32_MIN || sum > INT32_MAX) return Status::Error(errc::kNumberOutOfRange, field.name);
  *out = Value::Integer(static_cast<int32_t>(sum));
  return Status();
}

std::string ColumnDefinition(const Dialect& dialect, const TableDef& table, size_t index) {
  const FieldDef& field = table.fields[index];
  const Record initial(table);
  return ColumnName(field.number) + " " + dialect.columnType(field.type) + " NOT NULL DEFAULT " +
         Literal(dialect, initial.at(index));
}

Status CreateTableText(const Dialect& dialect, const TableDef& table, int64_t company,
                       std::string* out) {
  std::string sql = "CREATE TABLE " + TableName(company, table.number) + "(";
  for (size_t i = 0; i < table.fields.size(); ++i) {
    if (IsStored(table.fields[i])) sql += ColumnDefinition(dialect, table, i) + ",";
  }
  sql += "PRIMARY KEY(";
  for (size_t i = 0; i < table.PrimaryKey().fields.size(); ++i) {
    const FieldDef* field = table.FindField(table.PrimaryKey().fields[i]);
    if (field == nullptr || !IsStored(*field)) {
      return Status::Error(errc::kSchemaIncompatible, table.name + ": key field not stored");
    }
    sql += (i == 0 ? "" : ",") + ColumnName(field->number);
  }
  *out = sql + "))" + dialect.tableOptions;
  return Status();
}

std::vector<std::string> CreateIndexTexts(const TableDef& table, int64_t company) {
  const std::string name = TableName(company, table.number);
  std::vector<std::string> texts;
  for (size_t k = 1; k < table.keys.size(); ++k) {
    std::vector<int32_t> columns = table.keys[k].fields;
    for (int32_t field : table.PrimaryKey().fields) {
      if (std::find(columns.begin(), columns.end(), field) == columns.end()) {
        columns.push_back(field);
      }
    }
    std::string index_name = name + "_k";
    std::string list;
    for (int32_t field : columns) {
      index_name += "_" + std::to_string(field);
      list += (list.empty() ? "" : ",") + ColumnName(field);
    }
    texts.push_back("CREATE INDEX IF NOT EXISTS " + index_name + " ON " + name + "(" + list + ")");
  }
  return texts;
}

std::string KeyText(const KeyDef& key) {
  std::string text;
  for (int32_t field : key.fields) text += (text.empty() ? "" : ",") + std::to_string(field);
  return text;
}

}  // namespace dbclient::sql
