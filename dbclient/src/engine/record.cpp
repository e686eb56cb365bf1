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

Record::Record(const Record& other)
    : table_(other.table_), values_(other.SettledValues()), initial_(other.initial_) {}

Record::Record(Record&& other) noexcept
    : table_(other.table_), values_(other.TakeSettledValues()), initial_(other.initial_) {}

Record& Record::operator=(const Record& other) {
  if (this != &other) {
    EndLoan();
    table_ = other.table_;
    values_ = other.SettledValues();
    initial_ = other.initial_;
  }
  return *this;
}

Record& Record::operator=(Record&& other) noexcept {
  if (this != &other) {
    EndLoan();
    table_ = other.table_;
    values_ = other.TakeSettledValues();
    initial_ = other.initial_;
  }
  return *this;
}

Record::~Record() { EndLoan(); }

void Record::Init() {
  EndLoan();
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
  SettleBefore(index);
  initial_ = false;
  ResetAt(index);
}

void Record::ResetAt(size_t index) {
  values_[index] = table_->initialValues ? (*table_->initialValues)[index]
                                         : InitialValue(table_->fields[index]);
}

Status Record::Set(int32_t fieldNo, const Input& input) {
  const int index = IndexOf(fieldNo);
  if (index < 0) return Status::Error(errc::kUnknownField, std::to_string(fieldNo));
  // A conversion that fails leaves the value as it was.
  const auto i = static_cast<size_t>(index);
  SettleBefore(i);
  Status status = ConvertInput(table_->fields[i], input, &values_[i]);
  if (status.ok()) initial_ = false;
  return status;
}

Status Record::SetValue(int32_t fieldNo, Value value) {
  const int index = IndexOf(fieldNo);
  if (index < 0) return Status::Error(errc::kUnknownField, std::to_string(fieldNo));
  if (table_->fields[static_cast<size_t>(index)].type != value.type()) {
    return Status::Error(errc::kTypeMismatch, table_->fields[static_cast<size_t>(index)].name);
  }
  SettleBefore(static_cast<size_t>(index));
  values_[static_cast<size_t>(index)] = std::move(value);
  initial_ = false;
  return Status();
}

Status Record::CopyFrom(const Record& source) {
  if (source.table_ != table_) return Status::Error(errc::kWrongTable, table_->name);
  if (&source == this) return Status();
  EndLoan();
  values_ = source.SettledValues();
  initial_ = source.initial_;
  return Status();
}

Status Record::SwapWith(Record& other) {
  if (other.table_ != table_) return Status::Error(errc::kWrongTable, table_->name);
  Settle();
  other.Settle();
  values_.swap(other.values_);
  std::swap(initial_, other.initial_);
  return Status();
}

}  // namespace dbclient
