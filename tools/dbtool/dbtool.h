// talmo-dbtool: creates databases of the database client (optionally with the sample
// company), shows what they hold and manages the users who may log in to a file.
//
//   talmo-dbtool create <database> [--company NAME] [--sample]
//   talmo-dbtool tables <database> [--user NAME]
//   talmo-dbtool list <database> <company> <table> [--limit N] [--user NAME]
//   talmo-dbtool user add|remove <file> <name>
//   talmo-dbtool user list <file>
//   talmo-dbtool schema
//
// <database> is a file, or a database on a server given by --server HOST[:PORT]
// [--net-type tcp|tcps|unix] --database NAME [--user USER].
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace dbtool {

// Asks for a password, showing `prompt` where that makes sense; nullopt when none comes.
// Passwords never come from the command line, where other users of the machine can read
// them: the program reads them from its standard input.
using PasswordSource = std::function<std::optional<std::string>(const std::string& prompt)>;

// Runs one command with its arguments (without the program name). Output goes to `out`,
// usage and error messages to `err`; passwords come from `passwords` (none when empty).
// Returns the process exit code: 0 on success, 1 when the command failed, 2 for a usage
// error.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PasswordSource& passwords = {});

}  // namespace dbtool
