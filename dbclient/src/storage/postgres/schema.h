// The catalogue of a database on a server (the same content as a database file's: format
// mark, schema version, tables and stored fields, companies) and the SQL tables of each
// company.
#pragma once

#include <string>

#include "dbclient/schema.h"
#include "dbclient/status.h"
#include "storage/postgres/connection.h"

namespace dbclient::postgres {

// The one advisory lock of a database that write transactions take: writers follow one
// another, as on a database file.
inline constexpr const char* kWriteLockKey = "7234102211";

// Every company table's data version (columns company, table_no, version), and the versions
// that the open transaction raised. See data_versions.h.
inline constexpr const char* kVersionsQuery =
    "SELECT company, table_no, version FROM talmo_versions";
inline constexpr const char* kRaisedVersionsQuery =
    "SELECT company, table_no, version FROM talmo_versions"
    " WHERE writer = txid_current_if_assigned()";

// A statement that changes one record (an INSERT that skips an existing key, an UPDATE or a
// DELETE by primary key), made to fail with kWriteConflictState unless it changed exactly
// one record: how a write that is sent without waiting for its answer is still checked.
std::string CheckedWrite(const std::string& statement);

// Writes the catalogue of a new, empty database for `schema`, in one transaction.
Status WriteNewCatalogue(Connection& connection, const Schema& schema);

// Checks the catalogue against `schema` and upgrades an older one in one transaction, as
// the database file's catalogue is checked (see storage/catalogue.h).
Status SynchroniseCatalogue(Connection& connection, const Schema& schema);

// The statements that create the tables and key indexes of every table of `schema` for
// company `company`, as one SQL text.
Status CompanyTablesText(const Schema& schema, int64_t company, std::string* out);

}  // namespace dbclient::postgres
