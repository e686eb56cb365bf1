// talmo-dbtool: creates databases of the database client (optionally with the sample
// company) and shows what they hold.
//
//   talmo-dbtool create <database> [--company NAME] [--sample]
//   talmo-dbtool tables <database>
//   talmo-dbtool list <database> <company> <table> [--limit N]
//   talmo-dbtool schema
//
// <database> is a file, or a database on a server given by --server HOST[:PORT]
// [--net-type tcp|tcps|unix] --database NAME [--user USER].
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace dbtool {

// Runs one command with its arguments (without the program name). Output goes to `out`,
// usage and error messages to `err`. Returns the process exit code: 0 on success, 1 when the
// command failed, 2 for a usage error.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dbtool
