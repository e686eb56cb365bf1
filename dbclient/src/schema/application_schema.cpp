// The built-in application schema, assembled once.
#include <iterator>
#include <utility>
#include <vector>

#include "application_tables.h"
#include "dbclient/schema.h"

namespace dbclient {
namespace {

void Append(std::vector<TableDef>& tables, std::vector<TableDef> group) {
  tables.insert(tables.end(), std::make_move_iterator(group.begin()),
                std::make_move_iterator(group.end()));
}

Schema BuildApplicationSchema() {
  std::vector<TableDef> tables;
  Append(tables, application::SetupTables());
  Append(tables, application::MasterTables());
  Append(tables, application::SalesTables());
  return Schema(application::kSchemaVersion, std::move(tables));
}

}  // namespace

const Schema& ApplicationSchema() {
  static const Schema schema = BuildApplicationSchema();
  return schema;
}

}  // namespace dbclient
