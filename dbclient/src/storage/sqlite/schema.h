// The catalogue of a database file: its format mark, schema version, the tables and stored
// fields it was written with, companies and users; and the SQL tables of each company.
#pragma once

#include <sqlite3.h>

#include "dbclient/schema.h"
#include "dbclient/status.h"

namespace dbclient::sqlite {

// Writes the catalogue of a new, empty file for `schema` (no companies, no users).
Status WriteNewCatalogue(sqlite3* db, const Schema& schema);

// Checks that the file is a database of this client written with `schema` or an older
// version of it: every catalogue row is read and checked, and anything malformed makes the
// file kNotADatabase. Nothing is written before the file is accepted. An older one is then
// upgraded in one transaction: new tables (with their keys) and new fields are added to
// every company, and the version is raised. A newer version, a changed primary key or a
// field whose type changed is refused; with the same version any difference is refused too,
// since nothing tells which side is right.
Status SynchroniseCatalogue(sqlite3* db, const Schema& schema);

// Creates the SQL tables and key indexes of every table of `schema` for company `company`,
// inside the caller's write transaction.
Status CreateCompanyTables(sqlite3* db, const Schema& schema, int64_t company);

}  // namespace dbclient::sqlite
