#include "dbtool.h"

#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>

#include "automation/text.h"
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
    "  talmo-dbtool create <file> [--company NAME] [--sample]\n"
    "      creates a database file with one company, optionally filled with the sample data\n"
    "  talmo-dbtool tables <file> [--user NAME]\n"
    "      lists the companies and, for each, the tables that hold records\n"
    "  talmo-dbtool list <file> <company> <table> [--limit N] [--user NAME]\n"
    "      lists the records of a table (given by number or name)\n"
    "  talmo-dbtool user add|remove <file> <name>\n"
    "  talmo-dbtool user list <file>\n"
    "      manages who may log in; while there are no users, anyone may\n"
    "      (passwords are read from standard input, never from the command line)\n"
    "  talmo-dbtool schema\n"
    "      prints the application schema as Markdown\n";

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

// Opens the file and logs in: as `user` with a password asked for, or without a name,
// which only a database without users accepts.
std::unique_ptr<Database> OpenDatabase(const std::string& path,
                                       const std::optional<std::string>& user = std::nullopt,
                                       const PasswordSource& passwords = {}) {
  std::unique_ptr<Database> db = OpenFile(path);
  std::u16string name, password;
  if (user) {
    name = automation::FromUtf8(*user);
    password = PasswordOf(*user, passwords);
  }
  Check(db->Login(name, password), "cannot log in to " + path);
  return db;
}

// Takes "--user NAME" out of `args` (from index 1 on).
std::optional<std::string> TakeUser(std::vector<std::string>& args) {
  std::optional<std::string> user;
  for (size_t i = 1; i < args.size();) {
    if (args[i] != "--user") {
      ++i;
      continue;
    }
    if (i + 1 == args.size()) throw UsageError{"--user needs a name"};
    user = args[i + 1];
    args.erase(args.begin() + static_cast<std::ptrdiff_t>(i),
               args.begin() + static_cast<std::ptrdiff_t>(i + 2));
  }
  return user;
}

// Removes a database file that this run created and could not finish, with the journal
// files SQLite may have left beside it.
void RemoveDatabaseFiles(const std::string& path) {
  std::error_code ignored;
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    std::filesystem::remove(path + suffix, ignored);
  }
}

int Create(const std::vector<std::string>& args, std::ostream& out) {
  std::string path;
  std::u16string company(dbclient::sample::kDefaultCompanyName);
  bool sample = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--sample") {
      sample = true;
    } else if (args[i] == "--company") {
      if (++i == args.size()) throw UsageError{"--company needs a name"};
      company = automation::FromUtf8(args[i]);
      if (company.empty()) throw UsageError{"the company name is empty"};
    } else if (path.empty() && !args[i].starts_with("--")) {
      path = args[i];
    } else {
      throw UsageError{"unexpected argument " + args[i]};
    }
  }
  if (path.empty()) throw UsageError{"create needs a file name"};

  Check(Database::Create(path, dbclient::ApplicationSchema()), "cannot create " + path);
  try {
    std::unique_ptr<Database> db = OpenDatabase(path);
    Check(db->CreateCompany(company), "cannot create the company");
    Check(db->OpenCompany(company), "cannot open the company");
    if (sample) Check(dbclient::sample::FillSampleCompany(*db), "cannot fill the sample company");
    out << "Created " << path << " with company \"" << automation::ToUtf8(company) << "\""
        << (sample ? ", filled with the sample data:" : ".") << "\n";
    if (sample) Check(PrintTables(*db, out), "cannot count the records");
  } catch (...) {
    RemoveDatabaseFiles(path);
    throw;
  }
  return 0;
}

int Tables(std::vector<std::string> args, std::ostream& out, const PasswordSource& passwords) {
  const std::optional<std::string> user = TakeUser(args);
  if (args.size() != 2) throw UsageError{"tables needs exactly a file name"};
  std::unique_ptr<Database> db = OpenDatabase(args[1], user, passwords);
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
  const std::optional<std::string> user = TakeUser(args);
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
  if (positional.size() != 3) throw UsageError{"list needs a file, a company and a table"};
  std::unique_ptr<Database> db = OpenDatabase(positional[0], user, passwords);
  Check(db->OpenCompany(automation::FromUtf8(positional[1])),
        "cannot open company \"" + positional[1] + "\"");
  std::optional<int32_t> tableNo = ParseNumber(positional[2]);
  if (!tableNo) {
    int32_t number = 0;
    Check(db->TableNoOfName(automation::FromUtf8(positional[2]), &number),
          "no table \"" + positional[2] + "\"");
    tableNo = number;
  }
  Check(PrintRecords(*db, *tableNo, limit, out), "cannot list table " + positional[2]);
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
