#include "dbtool.h"

#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>

#include "automation/text.h"
#include "company_copy.h"
#include "dbclient/engine.h"
#include "dbclient/schema.h"
#include "listing.h"
#include "sample/sample_company.h"
#include "schema_listing.h"

namespace dbtool {
namespace {

using dbclient::Database;
using dbclient::Status;

constexpr const char* kUsage =
    "usage:\n"
    "  talmo-dbtool create <database> [--company NAME] [--sample]\n"
    "      creates a database with one company, optionally filled with the sample data\n"
    "  talmo-dbtool tables <database> [--user NAME]\n"
    "      lists the companies and, for each, the tables that hold records\n"
    "  talmo-dbtool list <database> <company> <table> [--limit N] [--user NAME]\n"
    "      lists the records of a table (given by number or name)\n"
    "  talmo-dbtool user add|remove <file> <name>\n"
    "  talmo-dbtool user list <file>\n"
    "      manages who may log in to a database file; while there are no users, anyone may\n"
    "      (passwords are read from standard input, never from the command line)\n"
    "  talmo-dbtool schema\n"
    "      prints the application schema as Markdown\n"
    "<database> is a database file, or on a PostgreSQL server:\n"
    "  --server HOST[:PORT] [--net-type tcp|tcps|unix] --database NAME [--user USER]\n"
    "      (unix: HOST is the folder of the server's socket; the password comes from\n"
    "      TALMO_DB_PASSWORD or PGPASSWORD; the server manages its own users)\n";

// A command-line mistake: reported with the usage text, exit code 2.
struct UsageError {
  std::string message;
};

// A failed database step: reported with the client's message, exit code 1.
struct CommandError {
  std::string message;
};

void Check(const Status& status, const std::string& what) {
  if (!status.ok()) throw CommandError{what + ": " + status.ToString()};
}

// Where a command works: a database file, or a database on a server; `user` logs in to a
// file (none: only a file without users lets the tool in).
struct Target {
  std::string file;
  std::optional<dbclient::ServerLogin> server;
  std::optional<std::string> user;

  std::string Name() const { return server ? server->database : file; }
};

// Takes the connection options out of `args` (after the command); every other argument stays.
Target TakeTarget(std::vector<std::string>* args) {
  Target target;
  std::string server, netType = "tcp", database, user;
  std::vector<std::string> rest = {args->front()};
  for (size_t i = 1; i < args->size(); ++i) {
    const std::string& arg = (*args)[i];
    std::string* option = arg == "--server"     ? &server
                          : arg == "--net-type" ? &netType
                          : arg == "--database" ? &database
                          : arg == "--user"     ? &user
                                                : nullptr;
    if (option == nullptr) {
      rest.push_back(arg);
      continue;
    }
    if (++i == args->size()) throw UsageError{arg + " needs a value"};
    *option = (*args)[i];
  }
  *args = std::move(rest);
  if (server.empty()) {
    if (!database.empty()) throw UsageError{"--database needs --server"};
    if (!user.empty()) target.user = user;
    return target;
  }
  if (database.empty()) throw UsageError{"--server needs --database"};
  dbclient::ServerLogin login;
  const Status status = dbclient::ServerAddress::Parse(automation::FromUtf8(server),
                                                       automation::FromUtf8(netType),
                                                       &login.address);
  if (!status.ok()) throw UsageError{status.ToString() + " " + status.detail()};
  login.database = database;
  login.user = user;
  if (const char* password = std::getenv("TALMO_DB_PASSWORD")) login.password = password;
  target.server = std::move(login);
  return target;
}

// The file positional argument when the target is no server: the first of `positional`.
void TakeFile(Target* target, std::vector<std::string>* positional) {
  if (target->server) return;
  if (positional->empty()) throw UsageError{"no database file given"};
  target->file = positional->front();
  positional->erase(positional->begin());
}

std::unique_ptr<Database> OpenFile(const std::string& path) {
  std::unique_ptr<Database> db;
  Check(Database::Open(path, dbclient::OpenOptions{}, dbclient::ApplicationSchema(), &db),
        "cannot open " + path);
  return db;
}

std::u16string PasswordOf(const std::string& user, const PasswordSource& passwords) {
  std::optional<std::string> password =
      passwords ? passwords("Password of " + user + ": ") : std::nullopt;
  if (!password) throw CommandError{"no password was given on standard input"};
  return automation::FromUtf8(*password);
}

// Connects to the server, or opens the file and logs in: as the target's user with a
// password asked for, or without a name, which only a database without users accepts.
std::unique_ptr<Database> OpenDatabase(const Target& target, const PasswordSource& passwords) {
  std::unique_ptr<Database> db;
  if (target.server) {
    Check(Database::Connect(*target.server, dbclient::OpenOptions{},
                            dbclient::ApplicationSchema(), &db),
          "cannot connect to " + target.Name());
    return db;
  }
  db = OpenFile(target.file);
  std::u16string name, password;
  if (target.user) {
    name = automation::FromUtf8(*target.user);
    password = PasswordOf(*target.user, passwords);
  }
  Check(db->Login(name, password), "cannot log in to " + target.file);
  return db;
}

// Removes a database file that this run created and could not finish, with the journal
// files SQLite may have left beside it.
void RemoveDatabaseFiles(const std::string& path) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(path + suffix, ignored);
  }
}

// Fills the company open in `db` with the sample data. On a server the sample is made in a
// temporary file first and loaded in bulk.
void FillSample(const Target& target, Database& db) {
  if (!target.server) {
    Check(dbclient::sample::FillSampleCompany(db), "cannot fill the sample company");
    return;
  }
  const std::filesystem::path folder = std::filesystem::temp_directory_path();
  const std::string file =
      (folder / ("talmo-sample-" + std::to_string(::getpid()) + ".db")).string();
  RemoveDatabaseFiles(file);
  try {
    Target local;
    local.file = file;
    Check(Database::Create(file, dbclient::ApplicationSchema()), "cannot create " + file);
    std::unique_ptr<Database> sample = OpenDatabase(local, {});
    Check(sample->CreateCompany(db.companyName()), "cannot create the company");
    Check(sample->OpenCompany(db.companyName()), "cannot open the company");
    Check(dbclient::sample::FillSampleCompany(*sample), "cannot fill the sample company");
    Check(CopyCompany(*sample, db), "cannot load the sample company");
  } catch (...) {
    RemoveDatabaseFiles(file);
    throw;
  }
  RemoveDatabaseFiles(file);
}

int Create(std::vector<std::string> args, std::ostream& out) {
  Target target = TakeTarget(&args);
  std::vector<std::string> positional;
  std::u16string company(dbclient::sample::kDefaultCompanyName);
  bool sample = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--sample") {
      sample = true;
    } else if (args[i] == "--company") {
      if (++i == args.size()) throw UsageError{"--company needs a name"};
      company = automation::FromUtf8(args[i]);
      if (company.empty()) throw UsageError{"the company name is empty"};
    } else if (!args[i].starts_with("--")) {
      positional.push_back(args[i]);
    } else {
      throw UsageError{"unexpected argument " + args[i]};
    }
  }
  if (target.server ? !positional.empty() : positional.size() != 1) {
    throw UsageError{"create needs a database: a file name or --server with --database"};
  }
  TakeFile(&target, &positional);
  const std::string name = target.Name();
  if (target.server) {
    Check(Database::CreateOnServer(*target.server, dbclient::ApplicationSchema()),
          "cannot create " + name);
  } else {
    Check(Database::Create(name, dbclient::ApplicationSchema()), "cannot create " + name);
  }
  try {
    std::unique_ptr<Database> db = OpenDatabase(target, {});
    Check(db->CreateCompany(company), "cannot create the company");
    Check(db->OpenCompany(company), "cannot open the company");
    if (sample) FillSample(target, *db);
    out << "Created " << name << " with company \"" << automation::ToUtf8(company) << "\""
        << (sample ? ", filled with the sample data:" : ".") << "\n";
    if (sample) Check(PrintTables(*db, out), "cannot count the records");
  } catch (...) {
    if (!target.server) RemoveDatabaseFiles(name);
    throw;
  }
  return 0;
}

int Tables(std::vector<std::string> args, std::ostream& out, const PasswordSource& passwords) {
  Target target = TakeTarget(&args);
  std::vector<std::string> positional(args.begin() + 1, args.end());
  TakeFile(&target, &positional);
  if (!positional.empty()) throw UsageError{"tables needs exactly a database"};
  std::unique_ptr<Database> db = OpenDatabase(target, passwords);
  std::vector<std::u16string> companies;
  Check(db->Companies(&companies), "cannot read the companies");
  if (companies.empty()) out << "No companies.\n";
  for (const std::u16string& company : companies) {
    out << "Company \"" << automation::ToUtf8(company) << "\"\n";
    Check(db->OpenCompany(company), "cannot open the company");
    Check(PrintTables(*db, out), "cannot count the records");
    db->CloseCompany();
  }
  return 0;
}

std::optional<int32_t> ParseNumber(const std::string& text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int List(std::vector<std::string> args, std::ostream& out, const PasswordSource& passwords) {
  Target target = TakeTarget(&args);
  std::vector<std::string> positional;
  std::optional<int32_t> limit;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--limit") {
      if (++i == args.size()) throw UsageError{"--limit needs a number"};
      limit = ParseNumber(args[i]);
      if (!limit || *limit < 0) throw UsageError{"--limit needs a number of 0 or more"};
    } else {
      positional.push_back(args[i]);
    }
  }
  TakeFile(&target, &positional);
  if (positional.size() != 2) throw UsageError{"list needs a database, a company and a table"};
  std::unique_ptr<Database> db = OpenDatabase(target, passwords);
  Check(db->OpenCompany(automation::FromUtf8(positional[0])),
        "cannot open company \"" + positional[0] + "\"");
  std::optional<int32_t> tableNo = ParseNumber(positional[1]);
  if (!tableNo) {
    int32_t number = 0;
    Check(db->TableNoOfName(automation::FromUtf8(positional[1]), &number),
          "no table \"" + positional[1] + "\"");
    tableNo = number;
  }
  Check(PrintRecords(*db, *tableNo, limit, out), "cannot list table " + positional[1]);
  return 0;
}

// The tool works on the file itself, as its owner: managing users needs no log-in. Every
// user command ends by saying so when no users are left, since anyone may log in then.
int User(const std::vector<std::string>& args, std::ostream& out, const PasswordSource& passwords) {
  const std::string action = args.size() > 1 ? args[1] : "";
  const bool list = action == "list";
  if (!list && action != "add" && action != "remove") {
    throw UsageError{"user needs add, remove or list"};
  }
  for (const std::string& arg : args) {
    if (arg == "--server") throw UsageError{"user works on a database file; a server manages its own users"};
  }
  if (args.size() != (list ? 3u : 4u)) {
    throw UsageError{list ? "user list needs exactly a file name"
                          : "user " + action + " needs a file and a user name"};
  }
  std::unique_ptr<Database> db = OpenFile(args[2]);
  if (action == "add") {
    Check(db->AddUser(automation::FromUtf8(args[3]), PasswordOf(args[3], passwords)),
          "cannot add user " + args[3]);
    out << "Added user " << args[3] << ".\n";
  } else if (action == "remove") {
    Check(db->RemoveUser(automation::FromUtf8(args[3])), "cannot remove user " + args[3]);
    out << "Removed user " << args[3] << ".\n";
  }
  std::vector<std::u16string> users;
  Check(db->Users(&users), "cannot read the users");
  if (list) {
    for (const std::u16string& name : users) out << automation::ToUtf8(name) << "\n";
  }
  if (users.empty()) out << "No users: anyone may log in.\n";
  return 0;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
        const PasswordSource& passwords) {
  try {
    if (args.empty()) throw UsageError{"no command given"};
    const std::string& command = args[0];
    if (command == "create") return Create(args, out);
    if (command == "tables") return Tables(args, out, passwords);
    if (command == "list") return List(args, out, passwords);
    if (command == "user") return User(args, out, passwords);
    if (command == "schema") {
      if (args.size() != 1) throw UsageError{"schema takes no arguments"};
      PrintSchemaMarkdown(dbclient::ApplicationSchema(), out);
      return 0;
    }
    if (command == "help" || command == "--help") {
      out << kUsage;
      return 0;
    }
    throw UsageError{"unknown command " + command};
  } catch (const UsageError& error) {
    err << "talmo-dbtool: " << error.message << "\n" << kUsage;
    return 2;
  } catch (const CommandError& error) {
    err << "talmo-dbtool: " << error.message << "\n";
    return 1;
  }
}

}  // namespace dbtool
