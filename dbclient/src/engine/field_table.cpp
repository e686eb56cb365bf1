#include "engine/field_table.h"

#include <algorithm>

#include "engine/text_util.h"

namespace dbclient {

namespace {

constexpr const char* kTypeNames[] = {"Text", "Date",   "Time",    "Boolean", "Integer",
                                      "Code", "Option", "Decimal", "BLOB"};

FieldDef Field(int32_t number, const char* name, FieldType type, int16_t length = 0,
               const char* options = "") {
  FieldDef field;
  field.number = number;
  field.name = name;
  field.type = type;
  field.length = length;
  field.optionString = options;
  return field;
}

TableDef MakeFieldTable() {
  using namespace field_table;
  TableDef table;
  table.number = kFieldTableNo;
  table.name = "Field";
  table.fields = {
      Field(kTableNo, "TableNo", FieldType::kInteger),
      Field(kNo, "No.", FieldType::kInteger),
      Field(kTableName, "TableName", FieldType::kText, 80),
      Field(kFieldName, "FieldName", FieldType::kText, 80),
      Field(kType, "Type", FieldType::kOption, 0,
            "Text,Date,Time,Boolean,Integer,Code,Option,Decimal,BLOB"),
      Field(kLength, "Len", FieldType::kInteger),
      Field(kClass, "Class", FieldType::kOption, 0, "Normal,FlowField,FlowFilter"),
      Field(kEnabled, "Enabled", FieldType::kBoolean),
      Field(kTypeName, "Type Name", FieldType::kText, 30),
      Field(kOptionString, "OptionString", FieldType::kText, 250),
      Field(kRelationTableNo, "RelationTableNo", FieldType::kInteger),
  };
  table.keys = {KeyDef{{kTableNo, kNo}}};
  return table;
}

void Describe(const TableDef& table, std::vector<Record>* rows) {
  using namespace field_table;
  for (const FieldDef& field : table.fields) {
    Record row(FieldTableDef());
    const int type = static_cast<int>(field.type);
    std::string type_name = type >= 0 && type <= 8 ? kTypeNames[type] : "";
    if (field.length > 0) type_name += std::to_string(field.length);
    row.SetValue(kTableNo, Value::Integer(table.number));
    row.SetValue(kNo, Value::Integer(field.number));
    row.SetValue(kTableName, Value::Text(text::FromUtf8(table.name)));
    row.SetValue(kFieldName, Value::Text(text::FromUtf8(field.name)));
    row.SetValue(kType, Value::Option(type));
    row.SetValue(kLength, Value::Integer(field.length));
    row.SetValue(kClass, Value::Option(static_cast<int>(field.fieldClass)));
    row.SetValue(kEnabled, Value::Boolean(true));
    row.SetValue(kTypeName, Value::Text(text::FromUtf8(type_name)));
    row.SetValue(kOptionString, Value::Text(text::FromUtf8(field.optionString)));
    row.SetValue(kRelationTableNo, Value::Integer(field.relatedTable));
    rows->push_back(std::move(row));
  }
}

}  // namespace

const TableDef& FieldTableDef() {
  static const TableDef table = MakeFieldTable();
  return table;
}

std::vector<Record> FieldTableRows(const Schema& schema) {
  std::vector<Record> rows;
  for (const TableDef& table : schema.tables()) {
    // The field table is described as the engine defines it, whatever a schema says of it.
    if (table.number != kFieldTableNo) Describe(table, &rows);
  }
  Describe(FieldTableDef(), &rows);
  std::stable_sort(rows.begin(), rows.end(), [](const Record& a, const Record& b) {
    const int c = a.Find(field_table::kTableNo)->Compare(*b.Find(field_table::kTableNo));
    return c != 0 ? c < 0
                  : a.Find(field_table::kNo)->integer() < b.Find(field_table::kNo)->integer();
  });
  return rows;
}

}  // namespace dbclient
