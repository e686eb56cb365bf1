// Short constructors for the tables of the built-in application schema, so that each table
// reads as a list of fields and keys.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "dbclient/schema.h"

namespace dbclient::schema_builder {

inline FieldDef Field(int32_t number, std::string name, FieldType type, int16_t length = 0) {
  FieldDef field;
  field.number = number;
  field.name = std::move(name);
  field.type = type;
  field.length = length;
  return field;
}

// A Code field; relatedTable names the table whose primary key the value must exist in.
inline FieldDef Code(int32_t number, std::string name, int16_t length, int32_t relatedTable = 0) {
  FieldDef field = Field(number, std::move(name), FieldType::kCode, length);
  field.relatedTable = relatedTable;
  return field;
}

inline FieldDef Text(int32_t number, std::string name, int16_t length) {
  return Field(number, std::move(name), FieldType::kText, length);
}

inline FieldDef Integer(int32_t number, std::string name) {
  return Field(number, std::move(name), FieldType::kInteger);
}

inline FieldDef Decimal(int32_t number, std::string name) {
  return Field(number, std::move(name), FieldType::kDecimal);
}

inline FieldDef Boolean(int32_t number, std::string name) {
  return Field(number, std::move(name), FieldType::kBoolean);
}

inline FieldDef Date(int32_t number, std::string name) {
  return Field(number, std::move(name), FieldType::kDate);
}

// An Option field with its captions, comma-separated; the first caption is value 0.
inline FieldDef Option(int32_t number, std::string name, std::string captions) {
  FieldDef field = Field(number, std::move(name), FieldType::kOption);
  field.optionString = std::move(captions);
  return field;
}

// The field with an initial value other than its type's blank value.
inline FieldDef InitValue(FieldDef field, std::string value) {
  field.initValue = std::move(value);
  return field;
}

// A decimal flow field: the sum of sourceField over the records of sourceTable whose link
// fields equal the given fields of the record being calculated.
inline FieldDef SumFlowField(int32_t number, std::string name, int32_t sourceTable,
                             int32_t sourceField, std::vector<FlowFieldDef::Link> links) {
  FieldDef field = Field(number, std::move(name), FieldType::kDecimal);
  field.fieldClass = FieldClass::kFlowField;
  FlowFieldDef flow;
  flow.method = FlowFieldDef::Method::kSum;
  flow.sourceTable = sourceTable;
  flow.sourceField = sourceField;
  flow.links = std::move(links);
  field.flow = std::move(flow);
  return field;
}

// A table; keys[0] is the primary key, the others are secondary keys.
inline TableDef Table(int32_t number, std::string name, std::vector<FieldDef> fields,
                      std::initializer_list<std::initializer_list<int32_t>> keys) {
  TableDef table;
  table.number = number;
  table.name = std::move(name);
  table.fields = std::move(fields);
  for (const auto& key : keys) table.keys.push_back(KeyDef{std::vector<int32_t>(key)});
  return table;
}

}  // namespace dbclient::schema_builder
