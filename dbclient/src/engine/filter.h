// Field filters: the client's filter expressions parsed into a tree of terms on one field,
// with values already converted to the field's type. The tree is evaluated in memory (the
// virtual tables) or compiled to a parameterised condition by a storage backend; the text
// of an expression never reaches a query.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "dbclient/schema.h"
#include "dbclient/status.h"
#include "dbclient/value.h"

namespace dbclient {

// Limits of the language. They keep the parser's recursion within a small stack and any
// accepted filter runnable by every backend as one parameterised statement: PostgreSQL takes
// at most 65535 parameters a statement (SQLite 32766 by default); SQLite builds expression
// trees at most 1000 levels deep (a chain of n alternatives is n levels), matches GLOB
// patterns of at most 50000 bytes, and its parser runs out of stack at 17 levels of a
// filter's parentheses in the statements of a cursor.
// Parentheses nested inside one another.
inline constexpr int kMaxFilterNesting = 10;
// Values (one for v, <v, a pattern...; one or two for a range) in the filters of one table
// view together, so also in one expression.
inline constexpr size_t kMaxFilterValues = 500;
// Characters of one wildcard pattern, wildcards included.
inline constexpr size_t kMaxPatternLength = 1000;

struct PatternChar {
  enum class Kind : uint8_t { kLiteral, kAnyRun, kAnyOne };  // c, *, ?
  char16_t ch = 0;
  Kind kind = Kind::kLiteral;
};

struct FilterTerm {
  enum class Op {
    kEqual,
    kNotEqual,
    kLess,
    kLessEqual,
    kGreater,
    kGreaterEqual,
    kRange,     // low..high; one of them may be missing
    kMatch,     // wildcard pattern, Text and Code only
    kNotMatch,  // <> with a wildcard pattern
  };
  Op op = Op::kEqual;
  // Case-insensitive (@): values and pattern are held folded and compared with the folded
  // field value. Only ever set for Text and Code fields.
  bool ignoreCase = false;
  std::optional<Value> low;  // the value of every operator but kMatch/kNotMatch
  std::optional<Value> high;
  std::vector<PatternChar> pattern;
};

struct FilterNode {
  enum class Kind { kTerm, kAnd, kOr };
  Kind kind = Kind::kTerm;
  FilterTerm term;                   // kTerm
  std::vector<FilterNode> children;  // kAnd, kOr: two or more
};

class FieldFilter {
 public:
  // Parses a filter expression on `field`: v, a..b, a.., ..b, <v, <=v, >v, >=v, <>v, =v, a|b,
  // a&b, parentheses, * and ? (Text and Code), @ for case-insensitive, '...' quoting (two
  // quotes inside stand for one). Blanks around values are ignored. A malformed expression, a
  // value that does not convert, a wildcard on another type, an expression beyond the limits
  // above, or one holding the character NUL (which no backend can compare as written) is an
  // error.
  static Status Parse(const FieldDef& field, std::u16string_view expression, FieldFilter* out);

  // The range low..high (a single value when both are equal); values of the field's type.
  static FieldFilter Range(const FieldDef& field, Value low, Value high);
  static FieldFilter Equal(const FieldDef& field, Value value);

  // The same conditions on another field of the same type (a flow field's source field).
  FieldFilter OnField(int32_t fieldNo) const {
    FieldFilter copy = *this;
    copy.fieldNo_ = fieldNo;
    return copy;
  }

  int32_t fieldNo() const noexcept { return fieldNo_; }
  const FilterNode& root() const noexcept { return root_; }
  // How many values the conditions hold (see kMaxFilterValues).
  size_t valueCount() const noexcept { return valueCount_; }

  bool Matches(const Value& value) const;
  // The same field and terms, only values may differ: one condition text serves both.
  bool SameTerms(const FieldFilter& other) const;

 private:
  int32_t fieldNo_ = 0;
  FilterNode root_;
  size_t valueCount_ = 0;
};

// Wildcard matching by code point: * any run, ? one character.
bool MatchPattern(const std::vector<PatternChar>& pattern, std::u16string_view text);

}  // namespace dbclient
