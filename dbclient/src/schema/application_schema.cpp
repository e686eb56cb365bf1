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
  // Never destroyed: records and cursors refer to it, and a client object kept in a global
  // of the program may be torn down only after the exit handlers have run.
  static const Schema& schema = *new Schema(BuildApplicationSchema());
  return schema;
}

}  // namespace dbclient
