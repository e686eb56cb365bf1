#include "storage/catalogue.h"

#include "storage/sql_text.h"
#include "error_codes.h"

namespace dbclient::sql {

bool IsStoredTable(const TableDef& table) { return table.number != kFieldTableNo; }

Status PlanUpgrade(const StoredCatalogue& stored, const Schema& schema, CatalogueUpgrade* out) {
  *out = CatalogueUpgrade();
  if (stored.format != kFormatMark || stored.version < 0) {
    return Status::Error(errc::kNotADatabase);
  }
  if (stored.version > schema.version()) {
    return Status::Error(errc::kSchemaNewer, "database " + std::to_string(stored.version) +
                                                 ", application " +
                                                 std::to_string(schema.version()));
  }
  for (const TableDef& table : schema.tables()) {
    if (!IsStoredTable(table)) continue;
    const auto key = stored.primaryKeys.find(table.number);
    if (key == stored.primaryKeys.end()) {
      out->newTables.push_back(&table);
      continue;
    }
    if (key->second != KeyText(table.PrimaryKey())) {
      return Status::Error(errc::kSchemaIncompatible, table.name + ": primary key changed");
    }
    for (size_t i = 0; i < table.fields.size(); ++i) {
      const FieldDef& field = table.fields[i];
      if (!IsStored(field)) continue;
      const auto type = stored.fieldTypes.find({table.number, field.number});
      if (type == stored.fieldTypes.end()) {
        out->newFields.emplace_back(&table, i);
      } else if (type->second != static_cast<int>(field.type)) {
        return Status::Error(errc::kSchemaIncompatible,
                             table.name + "." + field.name + ": type changed");
      }
    }
  }
  if (stored.version == schema.version()) {
    if (out->newTables.empty() && out->newFields.empty()) return Status();
    return Status::Error(errc::kSchemaIncompatible, "same version, different tables");
  }
  out->needed = true;
  return Status();
}

}  // namespace dbclient::sql
