// The SQLite backend: one database file holding every company's tables (one SQL table per
// company and table, keys as indexes), users and the schema the file was written with.
#pragma once

#include <memory>
#include <string>

#include "dbclient/engine.h"
#include "engine/storage.h"

namespace dbclient::sqlite {

// Creates a new database file for `schema`; an existing file is kDatabaseExists.
Status CreateDatabaseFile(const std::string& path, const Schema& schema);

// Opens an existing file (missing: kDatabaseNotFound), checks that it is a database of this
// client and brings its tables up to `schema` (older version: upgraded; newer or
// incompatible: refused).
Status OpenStorage(const std::string& path, const OpenOptions& options, const Schema& schema,
                   std::unique_ptr<Storage>* out);

}  // namespace dbclient::sqlite
