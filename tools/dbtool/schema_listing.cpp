#include "schema_listing.h"

#include <string>
#include <vector>

namespace dbtool {
namespace {

using dbclient::FieldClass;
using dbclient::FieldDef;
using dbclient::FieldType;
using dbclient::Schema;
using dbclient::TableDef;

std::string TypeText(const FieldDef& field) {
  switch (field.type) {
    case FieldType::kText:
      return "Text " + std::to_string(field.length);
    case FieldType::kCode:
      return "Code " + std::to_string(field.length);
    case FieldType::kDate:
      return "Date";
    case FieldType::kTime:
      return "Time";
    case FieldType::kBoolean:
      return "Boolean";
    case FieldType::kInteger:
      return "Integer";
    case FieldType::kOption:
      return "Option";
    case FieldType::kDecimal:
      return "Decimal";
    case FieldType::kBlob:
      return "BLOB";
  }
  return "?";
}

std::string KeyText(const std::vector<int32_t>& fields) {
  std::string text = "(";
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) text += ", ";
    text += std::to_string(fields[i]);
  }
  return text + ")";
}

std::string FlowText(const Schema& schema, const FieldDef& field) {
  const auto& flow = *field.flow;
  const TableDef* source = schema.FindTable(flow.sourceTable);
  std::string text;
  switch (flow.method) {
    case dbclient::FlowFieldDef::Method::kSum:
      text = "Sum of " + std::to_string(flow.sourceTable) + "." + std::to_string(flow.sourceField);
      break;
    case dbclient::FlowFieldDef::Method::kCount:
      text = "Count of " + std::to_string(flow.sourceTable);
      break;
    case dbclient::FlowFieldDef::Method::kExist:
      text = "Exist in " + std::to_string(flow.sourceTable);
      break;
  }
  if (source != nullptr) text += " (" + source->name + ")";
  for (size_t i = 0; i < flow.links.size(); ++i) {
    text += i == 0 ? " where " : ", ";
    text +=
        std::to_string(flow.links[i].sourceField) + " = " + std::to_string(flow.links[i].ownField);
  }
  return text;
}

std::string Notes(const Schema& schema, const FieldDef& field) {
  std::vector<std::string> notes;
  if (field.fieldClass == FieldClass::kFlowField && field.flow) {
    notes.push_back("flow field: " + FlowText(schema, field));
  } else if (field.fieldClass == FieldClass::kFlowFilter) {
    notes.push_back("flow filter");
  }
  if (field.relatedTable != 0) {
    const TableDef* related = schema.FindTable(field.relatedTable);
    notes.push_back("-> " + std::to_string(field.relatedTable) +
                    (related != nullptr ? " " + related->name : std::string()));
  }
  if (!field.optionString.empty()) notes.push_back("\"" + field.optionString + "\"");
  if (!field.initValue.empty()) notes.push_back("initially " + field.initValue);
  std::string text;
  for (size_t i = 0; i < notes.size(); ++i) text += (i > 0 ? "; " : "") + notes[i];
  return text;
}

}  // namespace

void PrintSchemaMarkdown(const Schema& schema, std::ostream& out) {
  for (const TableDef& table : schema.tables()) {
    out << "### " << table.number << " " << table.name << "\n\n";
    out << "Primary key " << KeyText(table.PrimaryKey().fields);
    if (table.keys.size() > 1) {
      out << "; secondary keys ";
      for (size_t i = 1; i < table.keys.size(); ++i) {
        out << (i > 1 ? ", " : "") << KeyText(table.keys[i].fields);
      }
    }
    out << ".\n\n| No. | Name | Type | Notes |\n|---:|---|---|---|\n";
    for (const FieldDef& field : table.fields) {
      out << "| " << field.number << " | " << field.name << " | " << TypeText(field) << " | "
          << Notes(schema, field) << " |\n";
    }
    out << "\n";
  }
}

}  // namespace dbtool
