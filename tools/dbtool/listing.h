// Human-readable listings of a database's tables and records.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>

#include "dbclient/engine.h"

namespace dbtool {

// Every table of the schema with its number of records in the open company; tables without
// records are left out. Fails with the first failing count.
dbclient::Status PrintTables(dbclient::Database& db, std::ostream& out);

// The records of one table of the open company in primary-key order, at most `limit` of
// them: each as its key line and then its fields that are not blank; flow fields are
// calculated and always shown.
dbclient::Status PrintRecords(dbclient::Database& db, int32_t tableNo, std::optional<int32_t> limit,
                              std::ostream& out);

}  // namespace dbtool
