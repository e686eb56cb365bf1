// Copies the records of a company from one database to another, table by table in bulk
// loads: how the tool puts the sample company on a server, where a request per record would
// take seconds.
#pragma once

#include "dbclient/engine.h"

namespace dbtool {

// Copies every record of the company open in `from` into the empty company open in `to`,
// inside one write transaction of `to` (none may be open): all of it, or on failure nothing.
dbclient::Status CopyCompany(dbclient::Database& from, dbclient::Database& to);

}  // namespace dbtool
