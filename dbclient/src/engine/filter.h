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
  // value that does not convert, or a wildcard on another type is an error.
  static Status Parse(const FieldDef& field, std::u16string_view expression, FieldFilter* out);

  // The range low..high (a single value when both are equal); values of the field's type.
  static FieldFilter Range(const FieldDef& field, Value low, Value high);

  // The same conditions on another field of the same type (a flow field's source field).
  FieldFilter OnField(int32_t fieldNo) const {
    FieldFilter copy = *this;
    copy.fieldNo_ = fieldNo;
    return copy;
  }

  int32_t fieldNo() const noexcept { return fieldNo_; }
  const FilterNode& root() const noexcept { return root_; }

  bool Matches(const Value& value) const;

 private:
  int32_t fieldNo_ = 0;
  FilterNode root_;
};

// Wildcard matching by code point: * any run, ? one character.
bool MatchPattern(const std::vector<PatternChar>& pattern, std::u16string_view text);

}  // namespace dbclient
