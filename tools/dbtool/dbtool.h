// talmo-dbtool: creates database files of the database client (optionally with the sample
// company) and shows what they hold.
//
//   talmo-dbtool create <file> [--company NAME] [--sample]
//   talmo-dbtool tables <file>
//   talmo-dbtool list <file> <company> <table> [--limit N]
//   talmo-dbtool schema
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
