// The schema model of the database client: tables, fields, keys and flow fields.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dbclient {

// Field type codes as member 29 reports them.
enum class FieldType : int16_t {
  kText = 0,
  kDate = 1,
  kTime = 2,
  kBoolean = 3,
  kInteger = 4,
  kCode = 5,
  kOption = 6,
  kDecimal = 7,
  kBlob = 8,
};

// Field class codes as member 34 reports them.
enum class FieldClass : int16_t {
  kNormal = 0,
  kFlowField = 1,   // calculated by member 59, never stored
  kFlowFilter = 2,  // only ever a filter, never stored
};

// How a flow field is calculated: an aggregate over the records of another table whose
// link fields equal fields of the record being calculated.
struct FlowFieldDef {
  enum class Method { kSum, kCount, kExist };
  struct Link {
    int32_t sourceField;  // field of sourceTable
    int32_t ownField;     // field of the record being calculated
  };
  Method method = Method::kSum;
  int32_t sourceTable = 0;
  int32_t sourceField = 0;  // summed field (kSum only)
  std::vector<Link> links;
};

struct FieldDef {
  int32_t number = 0;
  std::string name;  // UTF-8, as the application names it ("No.", "Unit Price")
  FieldType type = FieldType::kText;
  int16_t length = 0;  // characters for Text and Code; 0 otherwise
  FieldClass fieldClass = FieldClass::kNormal;
  std::string optionString;  // comma-separated captions for Option fields
  int32_t relatedTable = 0;  // table the value must exist in (0: none); its primary key's
                             // last field is the related field
  // Value the field takes when a record buffer is initialised, in the text form a field of
  // this type accepts ("1", "Yes"); empty means the type's blank value (empty text, 0, false,
  // undefined date). Sales lines, for example, start with a unit factor of 1.
  std::string initValue;
  std::optional<FlowFieldDef> flow;  // set exactly for kFlowField
};

// A key: its fields in sort order. Every key of a table orders by its own fields, then by
// the primary key's fields, so each key gives a total order.
struct KeyDef {
  std::vector<int32_t> fields;
};

class Value;

struct TableDef {
  int32_t number = 0;
  std::string name;  // UTF-8 ("Customer", "Sales Line")
  std::vector<FieldDef> fields;  // ascending field numbers
  std::vector<KeyDef> keys;      // keys[0] is the primary key
  // The initial value of every field, in the order of `fields`: made once when the table
  // joins a Schema, so that a new or cleared record buffer is a copy (null before).
  std::shared_ptr<const std::vector<Value>> initialValues;
  // The position in `fields` of each field number up to the table's size, -1 for none: made
  // with initialValues (empty before). Numbers beyond it are searched for.
  std::vector<int16_t> positionOfNumber;

  // The position in `fields` of a field number, or -1. Inline: every field access asks it.
  int IndexOf(int32_t fieldNo) const noexcept {
    const auto slot = static_cast<size_t>(static_cast<uint32_t>(fieldNo));
    return slot < positionOfNumber.size() ? positionOfNumber[slot] : SearchIndexOf(fieldNo);
  }
  int SearchIndexOf(int32_t fieldNo) const noexcept;  // IndexOf by binary search
  const FieldDef* FindField(int32_t fieldNo) const noexcept;
  const FieldDef* FindField(std::string_view name) const noexcept;  // case-insensitive
  const KeyDef& PrimaryKey() const noexcept { return keys.front(); }
};

class Schema {
 public:
  Schema(int32_t version, std::vector<TableDef> tables);

  int32_t version() const noexcept { return version_; }
  std::span<const TableDef> tables() const noexcept { return tables_; }
  const TableDef* FindTable(int32_t tableNo) const noexcept;
  const TableDef* FindTable(std::string_view name) const noexcept;  // case-insensitive

 private:
  int32_t version_;
  std::vector<TableDef> tables_;  // ascending table numbers
};

// The built-in application schema: every table and field that the component's record rules
// and the demo use.
const Schema& ApplicationSchema();

// The virtual field-description table: one record per field of every table, keyed by
// (table number, field number); its field 21 is the related table number.
inline constexpr int32_t kFieldTableNo = 2000000041;

}  // namespace dbclient
