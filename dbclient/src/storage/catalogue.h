// The catalogue every database of this client keeps beside its company tables: a format mark,
// the schema version, the tables and stored fields it was written with, its companies. Each
// backend reads and writes it in its own SQL; what it means is decided here once.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "dbclient/schema.h"
#include "dbclient/status.h"

namespace dbclient::sql {

inline constexpr char kFormatMark[] = "talmo-dbclient";

// Tables kept in storage (not the virtual field table).
bool IsStoredTable(const TableDef& table);

struct StoredCatalogue {
  std::string format;
  int64_t version = -1;
  std::map<int32_t, std::string> primaryKeys;                 // table -> KeyText
  std::map<std::pair<int32_t, int32_t>, int32_t> fieldTypes;  // (table, field) -> type
  std::vector<int64_t> companies;
};

struct CatalogueUpgrade {
  bool needed = false;
  std::vector<const TableDef*> newTables;
  std::vector<std::pair<const TableDef*, size_t>> newFields;  // table, index into its fields
};

// Checks that `stored` is a catalogue of this client written with `schema` or an older
// version of it, and says what an upgrade adds: new tables and new fields (new keys are
// made by every upgrade). Not a catalogue of ours: kNotADatabase; a newer version:
// kSchemaNewer; a changed primary key or field type, or any difference at the same version
// (nothing tells which side is right): kSchemaIncompatible.
Status PlanUpgrade(const StoredCatalogue& stored, const Schema& schema, CatalogueUpgrade* out);

}  // namespace dbclient::sql
