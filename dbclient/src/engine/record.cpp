#include "dbclient/record.h"

#include <algorithm>

#include "engine/text_util.h"
#include "error_codes.h"

namespace dbclient {

namespace {

// A field's declared initial value, or the blank value of its type.
Value InitialValue(const FieldDef& field) {
  if (!field.initValue.empty()) {
    const std::u16string text = text::FromUtf8(field.initValue);
    Value converted;
    if (ConvertInput(field, std::u16string_view(text), &converted).ok()) return converted;
  }
  return Value(field.type);
}

}  // namespace

std::vector<Value> InitialValues(const TableDef& table) {
  std::vector<Value> values;
  values.reserve(table.fields.size());
  for (const FieldDef& field : table.fields) values.push_back(InitialValue(field));
  return values;
}

Record::Record(const TableDef& table)
    : table_(&table),
      values_(table.initialValues ? *table.initialValues : InitialValues(table)) {}

void Record::Init() {
  DropAllPending();
  // A moved-from buffer has lost its values whatever the flag says.
  if (initial_ && values_.size() == table_->fields.size()) return;
  if (table_->initialValues) {
    values_ = *table_->initialValues;
  } else {
    values_.resize(table_->fields.size());
    for (size_t i = 0; i < values_.size(); ++i) InitAt(i);
  }
  initial_ = true;
}

void Record::InitAt(size_t index) {
  initial_ = false;
  DropPending(index);
  values_[index] = table_->initialValues ? (*table_->initialValues)[index]
                                         : InitialValue(table_->fields[index]);
}

Status Record::Set(int32_t fieldNo, const Input& input) {
  const int index = IndexOf(fieldNo);
  if (index < 0) return Status::Error(errc::kUnknownField, std::to_string(fieldNo));
  // A conversion that fails leaves the value as it was.
  const auto i = static_cast<size_t>(index);
  Status status = ConvertInput(table_->fields[i], input, &at(i));
  if (status.ok()) initial_ = false;
  return status;
}

Status Record::SetValue(int32_t fieldNo, Value value) {
  const int index = IndexOf(fieldNo);
  if (index < 0) return Status::Error(errc::kUnknownField, std::to_string(fieldNo));
  if (table_->fields[static_cast<size_t>(index)].type != value.type()) {
    return Status::Error(errc::kTypeMismatch, table_->fields[static_cast<size_t>(index)].name);
  }
  DropPending(static_cast<size_t>(index));
  values_[static_cast<size_t>(index)] = std::move(value);
  initial_ = false;
  return Status();
}

Status Record::CopyFrom(const Record& source) {
  if (source.table_ != table_) return Status::Error(errc::kWrongTable, table_->name);
  values_ = source.values_;
  utf8_ = source.utf8_;
  pending_ = source.pending_;
  pendingTexts_ = source.pendingTexts_;
  initial_ = source.initial_;
  return Status();
}

Status Record::SwapWith(Record& other) {
  if (other.table_ != table_) return Status::Error(errc::kWrongTable, table_->name);
  values_.swap(other.values_);
  utf8_.swap(other.utf8_);
  pending_.swap(other.pending_);
  std::swap(pendingTexts_, other.pendingTexts_);
  std::swap(initial_, other.initial_);
  return Status();
}

void Record::StartStoredRow() {
  DropAllPending();
  initial_ = false;
}

void Record::AssignStoredUtf8(size_t index, std::string_view utf8) {
  initial_ = false;
  // An empty text costs nothing to decode; a span must fit its 32-bit offsets.
  if (utf8.empty() || utf8_.size() + utf8.size() > UINT32_MAX) {
    DropPending(index);
    values_[index].AssignStoredUtf8(utf8);
    return;
  }
  if (pending_.size() != values_.size()) pending_.assign(values_.size(), Utf8Span{});
  Utf8Span& span = pending_[index];
  if (!IsPending(index)) ++pendingTexts_;
  span.begin = static_cast<uint32_t>(utf8_.size());
  utf8_.append(utf8);
  span.end = static_cast<uint32_t>(utf8_.size());
}

void Record::Decode(size_t index) const {
  Utf8Span& span = pending_[index];
  values_[index].AssignStoredUtf8(
      std::string_view(utf8_).substr(span.begin, span.end - span.begin));
  span = {};
  --pendingTexts_;
}

void Record::DropAllPending() {
  if (pendingTexts_ != 0) {
    std::fill(pending_.begin(), pending_.end(), Utf8Span{});
    pendingTexts_ = 0;
  }
  utf8_.clear();
}

}  // namespace dbclient
