#include "storage/sql_dialect.h"

#include "engine/text_util.h"

namespace dbclient::sql {
namespace {

const char* SqliteColumnType(FieldType type) {
  switch (type) {
    case FieldType::kText:
    case FieldType::kCode:
      return "TEXT";  // BINARY collation: UTF-8 bytes, which is code-point order
    case FieldType::kDecimal:
      return "REAL";
    case FieldType::kBlob:
      return "BLOB";
    default:
      return "INTEGER";
  }
}

const char* PostgresColumnType(FieldType type) {
  switch (type) {
    case FieldType::kText:
    case FieldType::kCode:
      return "text COLLATE \"C\"";
    case FieldType::kDecimal:
      return "numeric";  // exact: sums of decimals need no care of ours
    case FieldType::kBlob:
      return "bytea";
    case FieldType::kBoolean:
      return "boolean";
    default:
      return "integer";
  }
}

// GLOB: * and ? stay wildcards, literal * ? [ are bracketed.
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

// LIKE with \ as escape: * and ? become % and _, literal % _ \ are escaped.
std::string LikePattern(const std::vector<PatternChar>& pattern) {
  std::u16string like;
  for (const PatternChar& c : pattern) {
    switch (c.kind) {
      case PatternChar::Kind::kAnyRun:
        like += u'%';
        break;
      case PatternChar::Kind::kAnyOne:
        like += u'_';
        break;
      case PatternChar::Kind::kLiteral:
        if (c.ch == u'%' || c.ch == u'_' || c.ch == u'\\') like += u'\\';
        like += c.ch;
        break;
    }
  }
  return text::ToUtf8(like);
}

std::string HexDigits(const std::string& bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

std::string SqliteBlob(const std::string& bytes) { return "X'" + HexDigits(bytes) + "'"; }
std::string PostgresBlob(const std::string& bytes) {
  return "'\\x" + HexDigits(bytes) + "'::bytea";
}

}  // namespace

// "GLOB +?", not a bare "?": SQLite prepares a statement whose GLOB pattern is a bare
// parameter again each time the parameter is bound (to try the pattern's prefix as an index
// range), which would cost a full prepare on every step of a filtered cursor.
const Dialect kSqliteDialect = {false, SqliteColumnType, " GLOB +", "",  GlobPattern,
                                "0",   "1",              SqliteBlob, " WITHOUT ROWID"};

const Dialect kPostgresDialect = {true,  PostgresColumnType, " LIKE ", " ESCAPE '\\'",
                                  LikePattern, "false", "true", PostgresBlob, ""};

}  // namespace dbclient::sql
