#include "listing.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <string>
#include <vector>

namespace dbtool {
namespace {

using dbclient::Cursor;
using dbclient::FieldClass;
using dbclient::FieldDef;
using dbclient::FieldType;
using dbclient::Record;
using dbclient::Status;
using dbclient::TableDef;
using dbclient::Value;

// An option value as its caption ("Item"), or its number when the captions end before it.
std::string OptionText(const FieldDef& field, int32_t index) {
  size_t begin = 0;
  for (int32_t i = 0; i < index; ++i) {
    begin = field.optionString.find(',', begin);
    if (begin == std::string::npos) return std::to_string(index);
    ++begin;
  }
  const size_t end = field.optionString.find(',', begin);
  std::string caption =
      field.optionString.substr(begin, end == std::string::npos ? end : end - begin);
  return caption.find_first_not_of(' ') == std::string::npos ? std::to_string(index) : caption;
}

std::string ValueText(const FieldDef& field, const Value& value) {
  if (field.type == FieldType::kOption) return OptionText(field, value.integer());
  if (field.type == FieldType::kDecimal) {
    // Plain digits (200000, not 2e+05), as few as give the value back.
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value.decimal(), std::chars_format::fixed);
    return std::string(buffer, result.ptr);
  }
  return value.DebugString();
}

// Blank fields are left out of a record's listing, except flow fields, which are calculated,
// and options whose first value has a caption of its own ("Purchase").
bool Shown(const FieldDef& field, const Value& value) {
  if (!value.IsInitial() || field.fieldClass == FieldClass::kFlowField) return true;
  return field.type == FieldType::kOption && OptionText(field, 0) != "0";
}

std::string KeyText(const TableDef& table, const Record& record) {
  std::string text;
  for (int32_t fieldNo : table.PrimaryKey().fields) {
    if (!text.empty()) text += ", ";
    text += ValueText(*table.FindField(fieldNo), *record.Find(fieldNo));
  }
  return text;
}

}  // namespace

Status PrintTables(dbclient::Database& db, std::ostream& out) {
  for (const TableDef& table : db.schema().tables()) {
    std::unique_ptr<Cursor> cursor;
    if (Status status = db.OpenTable(table.number, &cursor); !status.ok()) return status;
    int32_t count = 0;
    if (Status status = cursor->Count(&count); !status.ok()) return status;
    if (count == 0) continue;
    std::string number = std::to_string(table.number);
    number.insert(0, number.size() < 8 ? 8 - number.size() : 0, ' ');
    std::string records = std::to_string(count);
    records.insert(0, records.size() < 8 ? 8 - records.size() : 0, ' ');
    out << number << "  " << records << "  " << table.name << "\n";
  }
  return Status();
}

Status PrintRecords(dbclient::Database& db, int32_t tableNo, std::optional<int32_t> limit,
                    std::ostream& out) {
  std::unique_ptr<Cursor> cursor;
  if (Status status = db.OpenTable(tableNo, &cursor); !status.ok()) return status;
  const TableDef& table = cursor->table();
  size_t nameWidth = 0;
  for (const FieldDef& field : table.fields) nameWidth = std::max(nameWidth, field.name.size());

  Record record = cursor->NewRecord();
  int32_t printed = 0;
  Status status = cursor->Find(record, u"-");
  while (status.ok() && (!limit || printed < *limit)) {
    out << table.name << " " << KeyText(table, record) << "\n";
    for (size_t i = 0; i < table.fields.size(); ++i) {
      const FieldDef& field = table.fields[i];
      if (field.fieldClass == FieldClass::kFlowField) {
        if (Status calc = cursor->CalcFlowField(record, field.number); !calc.ok()) return calc;
      }
      const Value& value = record.at(i);
      if (!Shown(field, value)) continue;
      out << "  " << field.name << std::string(nameWidth - field.name.size() + 2, ' ')
          << ValueText(field, value) << "\n";
    }
    ++printed;
    int32_t moved = 0;
    status = cursor->Next(record, 1, &moved);
    if (status.ok() && moved == 0) break;
  }
  if (!status.ok() && status.code() != dbclient::kCodeNoRecordInFilter) return status;
  int32_t total = 0;
  if (Status count = cursor->Count(&total); !count.ok()) return count;
  out << printed << " of " << total << " records\n";
  return Status();
}

}  // namespace dbtool
