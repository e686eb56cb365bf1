// The server backend: a database on a PostgreSQL server, reached through libpq. One SQL table
// per company and table, keys as indexes, Code and Text compared by code point, decimals as
// numeric; the same catalogue as a database file.
//
// Reads outside a write transaction run in one REPEATABLE READ READ ONLY transaction until
// EndReadSnapshot; write transactions take the database's one advisory write lock (waiting
// up to the busy timeout), so writers follow one another as on a file and a write
// transaction reads the latest committed data. Each record request is one round trip; the
// requests go through Connection, where read-ahead and pipelined writes can join later.
#pragma once

#include <memory>

#include "dbclient/engine.h"
#include "dbclient/server.h"
#include "engine/storage.h"

namespace dbclient::postgres {

// Connects to `login.database` and checks and upgrades its catalogue as a file's is.
Status OpenStorage(const ServerLogin& login, const OpenOptions& options, const Schema& schema,
                   std::unique_ptr<Storage>* out);

// Creates `login.database` on the server (through its maintenance database "postgres") and
// writes an empty catalogue into it; if the catalogue cannot be written, the database is
// dropped again.
Status CreateDatabase(const ServerLogin& login, const Schema& schema);

}  // namespace dbclient::postgres
