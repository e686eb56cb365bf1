#include "engine/filter.h"

#include <algorithm>

#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient {

namespace {

bool IsTextType(FieldType type) { return type == FieldType::kText || type == FieldType::kCode; }

// One value of an expression before conversion: its characters (quoted ones always literal)
// and whether it was written at all ('' is a written, empty value).
struct RawValue {
  std::vector<PatternChar> chars;
  bool written = false;
  bool ignoreCase = false;

  bool HasWildcard() const {
    for (const PatternChar& c : chars) {
      if (c.kind != PatternChar::Kind::kLiteral) return true;
    }
    return false;
  }
  std::u16string Literal() const {
    std::u16string text;
    for (const PatternChar& c : chars) text.push_back(c.ch);
    return text;
  }
};

class Parser {
 public:
  Parser(const FieldDef& field, std::u16string_view text) : field_(field), text_(text) {}

  Status Run(FilterNode* root) {
    if (text_.find(u'\0') != std::u16string_view::npos) {
      return Status::Error(errc::kNulInFilter, field_.name);
    }
    Status status = ParseOr(root);
    if (!status.ok()) return status;
    SkipBlanks();
    if (pos_ != text_.size()) return Malformed();
    return Status();
  }

  size_t valueCount() const noexcept { return values_; }

 private:
  Status Malformed() const { return Status::Error(errc::kMalformedFilter, text::ToUtf8(text_)); }

  // Counts `count` more values; past the limit the expression is refused before more of it
  // is parsed.
  Status AddValues(size_t count) {
    values_ += count;
    if (values_ > kMaxFilterValues) return Status::Error(errc::kTooManyFilterValues, field_.name);
    return Status();
  }

  void SkipBlanks() {
    while (pos_ < text_.size() && (text_[pos_] == u' ' || text_[pos_] == u'\t')) ++pos_;
  }
  bool At(std::u16string_view token) const { return text_.substr(pos_, token.size()) == token; }
  bool AtTerminator() const {
    return pos_ >= text_.size() || text_[pos_] == u'|' || text_[pos_] == u'&' ||
           text_[pos_] == u')' || At(u"..");
  }

  Status ParseOr(FilterNode* out) { return ParseList(FilterNode::Kind::kOr, u'|', out); }
  Status ParseAnd(FilterNode* out) { return ParseList(FilterNode::Kind::kAnd, u'&', out); }

  Status ParseList(FilterNode::Kind kind, char16_t separator, FilterNode* out) {
    FilterNode first;
    Status status = kind == FilterNode::Kind::kOr ? ParseAnd(&first) : ParseTerm(&first);
    if (!status.ok()) return status;
    SkipBlanks();
    if (pos_ >= text_.size() || text_[pos_] != separator) {
      *out = std::move(first);
      return Status();
    }
    FilterNode list;
    list.kind = kind;
    list.children.push_back(std::move(first));
    while (pos_ < text_.size() && text_[pos_] == separator) {
      ++pos_;
      FilterNode next;
      status = kind == FilterNode::Kind::kOr ? ParseAnd(&next) : ParseTerm(&next);
      if (!status.ok()) return status;
      list.children.push_back(std::move(next));
      SkipBlanks();
    }
    *out = std::move(list);
    return Status();
  }

  Status ParseTerm(FilterNode* out) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == u'(') {
      if (nesting_ == kMaxFilterNesting) return Status::Error(errc::kFilterTooDeep, field_.name);
      ++pos_;
      ++nesting_;
      Status status = ParseOr(out);
      if (!status.ok()) return status;
      --nesting_;
      SkipBlanks();
      if (pos_ >= text_.size() || text_[pos_] != u')') return Malformed();
      ++pos_;
      return Status();
    }
    out->kind = FilterNode::Kind::kTerm;
    static constexpr struct {
      std::u16string_view token;
      FilterTerm::Op op;
    } kOperators[] = {{u"<>", FilterTerm::Op::kNotEqual},     {u"<=", FilterTerm::Op::kLessEqual},
                      {u">=", FilterTerm::Op::kGreaterEqual}, {u"<", FilterTerm::Op::kLess},
                      {u">", FilterTerm::Op::kGreater},       {u"=", FilterTerm::Op::kEqual}};
    for (const auto& candidate : kOperators) {
      if (At(candidate.token)) {
        pos_ += candidate.token.size();
        RawValue value;
        Status status = ParseValue(&value);
        if (!status.ok()) return status;
        return MakeTerm(candidate.op, value, &out->term);
      }
    }
    if (At(u"..")) {
      pos_ += 2;
      RawValue high;
      Status status = ParseValue(&high);
      if (!status.ok()) return status;
      return MakeRange(nullptr, &high, &out->term);
    }
    RawValue value;
    Status status = ParseValue(&value);
    if (!status.ok()) return status;
    SkipBlanks();
    if (!At(u"..")) return MakeTerm(FilterTerm::Op::kEqual, value, &out->term);
    pos_ += 2;
    SkipBlanks();
    if (AtTerminator()) return MakeRange(&value, nullptr, &out->term);
    RawValue high;
    status = ParseValue(&high);
    if (!status.ok()) return status;
    return MakeRange(&value, &high, &out->term);
  }

  // A value runs to the next | & ) or .. outside quotes; bare blanks at its ends are dropped.
  Status ParseValue(RawValue* value) {
    SkipBlanks();
    if (pos_ < text_.size() && text_[pos_] == u'@') {
      value->ignoreCase = true;
      ++pos_;
    }
    size_t trailing_bare_blanks = 0;
    while (!AtTerminator()) {
      const char16_t c = text_[pos_];
      if (c == u'(') return Malformed();
      if (c == u'\'') {
        ++pos_;
        value->written = true;
        trailing_bare_blanks = 0;
        while (true) {
          if (pos_ >= text_.size()) return Malformed();  // unterminated quote
          if (text_[pos_] == u'\'') {
            if (pos_ + 1 < text_.size() && text_[pos_ + 1] == u'\'') {
              value->chars.push_back({u'\'', PatternChar::Kind::kLiteral});
              pos_ += 2;
              continue;
            }
            ++pos_;
            break;
          }
          value->chars.push_back({text_[pos_++], PatternChar::Kind::kLiteral});
        }
        continue;
      }
      ++pos_;
      if ((c == u' ' || c == u'\t') && !value->written) continue;  // leading blanks
      value->written = true;
      PatternChar pc{c, PatternChar::Kind::kLiteral};
      if (c == u'*') pc.kind = PatternChar::Kind::kAnyRun;
      if (c == u'?') pc.kind = PatternChar::Kind::kAnyOne;
      value->chars.push_back(pc);
      trailing_bare_blanks = (c == u' ' || c == u'\t') ? trailing_bare_blanks + 1 : 0;
    }
    value->chars.resize(value->chars.size() - trailing_bare_blanks);
    if (!value->written) return Malformed();
    return Status();
  }

  Status Convert(const RawValue& raw, Value* out) const {
    const std::u16string literal = raw.Literal();
    Status status = ConvertInput(field_, std::u16string_view(literal), out);
    if (!status.ok()) return status;
    if (raw.ignoreCase && IsTextType(field_.type)) {
      *out = field_.type == FieldType::kCode ? Value::Code(text::Fold(out->text()))
                                             : Value::Text(text::Fold(out->text()));
    }
    return Status();
  }

  Status MakeTerm(FilterTerm::Op op, const RawValue& raw, FilterTerm* term) {
    Status status = AddValues(1);
    if (!status.ok()) return status;
    term->op = op;
    term->ignoreCase = raw.ignoreCase && IsTextType(field_.type);
    if (!raw.HasWildcard()) {
      Value value;
      status = Convert(raw, &value);
      if (!status.ok()) return status;
      term->low = std::move(value);
      return Status();
    }
    if (!IsTextType(field_.type)) {
      return Status::Error(errc::kWildcardNotAllowed, field_.name);
    }
    if (op != FilterTerm::Op::kEqual && op != FilterTerm::Op::kNotEqual) return Malformed();
    if (raw.chars.size() > kMaxPatternLength) {
      return Status::Error(errc::kPatternTooLong, field_.name);
    }
    term->op = op == FilterTerm::Op::kEqual ? FilterTerm::Op::kMatch : FilterTerm::Op::kNotMatch;
    // Pattern characters take the form values take: Code upper-cased, @ folded.
    for (PatternChar c : raw.chars) {
      if (c.kind == PatternChar::Kind::kLiteral) {
        if (field_.type == FieldType::kCode) c.ch = text::ToUpper(c.ch);
        if (term->ignoreCase) c.ch = text::ToLower(c.ch);
      }
      term->pattern.push_back(c);
    }
    return Status();
  }

  Status MakeRange(const RawValue* low, const RawValue* high, FilterTerm* term) {
    Status status = AddValues((low != nullptr) + (high != nullptr));
    if (!status.ok()) return status;
    term->op = FilterTerm::Op::kRange;
    term->ignoreCase = IsTextType(field_.type) && ((low != nullptr && low->ignoreCase) ||
                                                   (high != nullptr && high->ignoreCase));
    for (const RawValue* raw : {low, high}) {
      if (raw == nullptr) continue;
      if (raw->HasWildcard()) return Malformed();
      RawValue bound = *raw;
      bound.ignoreCase = term->ignoreCase;
      Value value;
      status = Convert(bound, &value);
      if (!status.ok()) return status;
      (raw == low ? term->low : term->high) = std::move(value);
    }
    return Status();
  }

  const FieldDef& field_;
  std::u16string_view text_;
  size_t pos_ = 0;
  int nesting_ = 0;
  size_t values_ = 0;
};

bool TermMatches(const FilterTerm& term, const Value& stored) {
  Value folded;
  const Value* value = &stored;
  if (term.ignoreCase) {
    folded = stored.type() == FieldType::kCode ? Value::Code(text::Fold(stored.text()))
                                               : Value::Text(text::Fold(stored.text()));
    value = &folded;
  }
  switch (term.op) {
    case FilterTerm::Op::kEqual:
      return value->Compare(*term.low) == 0;
    case FilterTerm::Op::kNotEqual:
      return value->Compare(*term.low) != 0;
    case FilterTerm::Op::kLess:
      return value->Compare(*term.low) < 0;
    case FilterTerm::Op::kLessEqual:
      return value->Compare(*term.low) <= 0;
    case FilterTerm::Op::kGreater:
      return value->Compare(*term.low) > 0;
    case FilterTerm::Op::kGreaterEqual:
      return value->Compare(*term.low) >= 0;
    case FilterTerm::Op::kRange:
      return (!term.low || value->Compare(*term.low) >= 0) &&
             (!term.high || value->Compare(*term.high) <= 0);
    case FilterTerm::Op::kMatch:
      return MatchPattern(term.pattern, value->text());
    case FilterTerm::Op::kNotMatch:
      return !MatchPattern(term.pattern, value->text());
  }
  return false;
}

bool NodeMatches(const FilterNode& node, const Value& value) {
  switch (node.kind) {
    case FilterNode::Kind::kTerm:
      return TermMatches(node.term, value);
    case FilterNode::Kind::kAnd:
      for (const FilterNode& child : node.children) {
        if (!NodeMatches(child, value)) return false;
      }
      return true;
    case FilterNode::Kind::kOr:
      for (const FilterNode& child : node.children) {
        if (NodeMatches(child, value)) return true;
      }
      return false;
  }
  return false;
}

// Terms alike but for their values: patterns count as terms, as their literal prefix
// shapes a query's condition.
bool SameNodeTerms(const FilterNode& a, const FilterNode& b) {
  if (a.kind != b.kind || a.children.size() != b.children.size()) return false;
  for (size_t i = 0; i < a.children.size(); ++i) {
    if (!SameNodeTerms(a.children[i], b.children[i])) return false;
  }
  const FilterTerm& x = a.term;
  const FilterTerm& y = b.term;
  return x.op == y.op && x.ignoreCase == y.ignoreCase && x.low.has_value() == y.low.has_value() &&
         x.high.has_value() == y.high.has_value() &&
         std::equal(x.pattern.begin(), x.pattern.end(), y.pattern.begin(), y.pattern.end(),
                    [](const PatternChar& p, const PatternChar& q) {
                      return p.ch == q.ch && p.kind == q.kind;
                    });
}

// Length in UTF-16 units of the character starting at text[i].
size_t CharLength(std::u16string_view text, size_t i) {
  return (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
          text[i + 1] <= 0xDFFF)
             ? 2
             : 1;
}

}  // namespace

bool FieldFilter::SameTerms(const FieldFilter& other) const {
  return fieldNo_ == other.fieldNo_ && SameNodeTerms(root_, other.root_);
}

Status FieldFilter::Parse(const FieldDef& field, std::u16string_view expression, FieldFilter* out) {
  if (field.type == FieldType::kBlob) return Status::Error(errc::kTypeMismatch, field.name);
  FieldFilter filter;
  filter.fieldNo_ = field.number;
  // Pattern characters, like values, take the form stored texts have.
  const std::u16string wellFormed = text::WellFormed(expression);
  Parser parser(field, wellFormed);
  Status status = parser.Run(&filter.root_);
  if (!status.ok()) return status;
  filter.valueCount_ = parser.valueCount();
  *out = std::move(filter);
  return status;
}

FieldFilter FieldFilter::Range(const FieldDef& field, Value low, Value high) {
  if (low == high) return Equal(field, std::move(low));
  FieldFilter filter;
  filter.fieldNo_ = field.number;
  filter.valueCount_ = 2;
  FilterTerm& term = filter.root_.term;
  term.op = FilterTerm::Op::kRange;
  term.low = std::move(low);
  term.high = std::move(high);
  return filter;
}

FieldFilter FieldFilter::Equal(const FieldDef& field, Value value) {
  FieldFilter filter;
  filter.fieldNo_ = field.number;
  filter.valueCount_ = 1;
  filter.root_.term.op = FilterTerm::Op::kEqual;
  filter.root_.term.low = std::move(value);
  return filter;
}

bool FieldFilter::Matches(const Value& value) const { return NodeMatches(root_, value); }

// Greedy matching with backtracking to the last *, which is linear for one * and at worst
// quadratic; patterns are short.
bool MatchPattern(const std::vector<PatternChar>& pattern, std::u16string_view text) {
  size_t p = 0;
  size_t t = 0;
  size_t star = std::string::npos;
  size_t star_text = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p].kind == PatternChar::Kind::kAnyRun) {
      star = p++;
      star_text = t;
    } else if (p < pattern.size() && pattern[p].kind == PatternChar::Kind::kAnyOne) {
      ++p;
      t += CharLength(text, t);
    } else if (p < pattern.size() && pattern[p].ch == text[t]) {
      ++p;
      ++t;
    } else if (star != std::string::npos) {
      p = star + 1;
      star_text += CharLength(text, star_text);
      t = star_text;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p].kind == PatternChar::Kind::kAnyRun) ++p;
  return p == pattern.size();
}

}  // namespace dbclient
