#include "environment.h"

#include <libpq-fe.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "automation/registry.h"
#include "automation/text.h"
#include "dbtool.h"
#include "options.h"
#include "sample/sample_company.h"

namespace talmo_bench {

namespace {

constexpr char kServerSample[] = "bench_sample";

}  // namespace

ServerSettings ServerSettings::Read(const std::filesystem::path& folder) {
  std::ifstream file(folder / "connection.env");
  if (!file) throw std::runtime_error("no server in " + folder.string());
  ServerSettings settings;
  for (std::string line; std::getline(file, line);) {
    const size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "TALMO_PG_HOST") settings.host = value;
    if (key == "TALMO_PG_PORT") settings.port = value;
    if (key == "TALMO_PG_SOCKET") settings.socket = value;
    if (key == "TALMO_PG_ADMIN") settings.admin = value;
    if (key == "TALMO_PG_USER") settings.user = value;
    if (key == "TALMO_PG_PASSWORD") settings.password = value;
  }
  return settings;
}

Environment::Environment(const std::filesystem::path& parent,
                         const std::filesystem::path& server) {
  const std::filesystem::path base = parent.empty() ? DefaultFolder() : parent;
  std::string pattern = (base / "talmo-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    throw std::runtime_error("cannot make a working folder under " + base.string());
  }
  folder_ = pattern;

  // The client's way in: a registry of the run's own with both libraries in it.
  setenv("TALMO_REGISTRY", (folder_ / "registry.ini").c_str(), 1);
  automation::RegisterLibrary(TALMO_LIBRARY_PATH);
  automation::RegisterLibrary(DBCLIENT_LIBRARY_PATH);

  sample_ = folder_ / "sample.db";
  std::ostringstream out, err;
  if (dbtool::Run({"create", sample_.string(), "--sample"}, out, err) != 0) {
    throw std::runtime_error("creating the sample database failed: " + err.str());
  }
  if (server.empty()) return;
  server_ = ServerSettings::Read(server);
  RunAsAdmin(std::string("DROP DATABASE IF EXISTS ") + kServerSample + " WITH (FORCE)");
  setenv("TALMO_DB_PASSWORD", server_->password.c_str(), 1);
  if (dbtool::Run({"create", "--server", server_->host + ":" + server_->port, "--user",
                   server_->user, "--database", kServerSample, "--sample"},
                  out, err) != 0) {
    throw std::runtime_error("creating the sample database on the server failed: " + err.str());
  }
}

Environment::~Environment() {
  for (const std::string& copy : serverCopies_) {
    try {
      RunAsAdmin("DROP DATABASE IF EXISTS " + copy + " WITH (FORCE)");
    } catch (const std::exception&) {
      // The server went away; its folder goes with it.
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void Environment::RunAsAdmin(const std::string& sql) const {
  const std::string conninfo = "host=" + server_->socket + " port=" + server_->port +
                               " user=" + server_->admin + " dbname=postgres";
  PGconn* connection = PQconnectdb(conninfo.c_str());
  PGresult* result = PQexec(connection, sql.c_str());
  const bool ok = PQresultStatus(result) == PGRES_COMMAND_OK;
  const std::string message = PQerrorMessage(connection);
  PQclear(result);
  PQfinish(connection);
  if (!ok) throw std::runtime_error(sql + ": " + message);
}

std::string Environment::DatabaseOf(const std::filesystem::path& copy) {
  std::string name = "bench_" + copy.filename().string();
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

std::string Environment::Conninfo(const std::filesystem::path& copy) const {
  return "host=" + server_->host + " port=" + server_->port + " user=" + server_->user +
         " password=" + server_->password + " dbname=" + DatabaseOf(copy);
}

std::filesystem::path Environment::FreshCopy(std::string_view name) {
  const std::filesystem::path copy =
      folder_ / (std::string(name) + "-" + std::to_string(++copies_));
  std::filesystem::create_directories(copy);
  std::ofstream ini(ConnectionIniIn(copy), std::ios::binary);
  ini << "[Database]\nLibPath=" << TALMO_BIN_DIR << "\n";
  if (server_) {
    const std::string database = DatabaseOf(copy);
    RunAsAdmin("CREATE DATABASE " + database + " TEMPLATE " + kServerSample + " OWNER " +
               server_->user);
    serverCopies_.push_back(database);
    ini << "NetType=tcp\nServer=" << server_->host << ":" << server_->port
        << "\nDatabase=" << database << "\nUserID=" << server_->user
        << "\nPassword=" << server_->password << "\n";
  } else {
    std::filesystem::copy_file(sample_, DatabaseIn(copy));
    ini << "Database=" << DatabaseIn(copy).string() << "\n";
  }
  ini << "CompanyName=" << automation::ToUtf8(SampleCompany()) << "\nCommitCache=Yes\n";
  return copy;
}

std::filesystem::path DatabaseIn(const std::filesystem::path& copy) { return copy / "sample.db"; }

std::filesystem::path ConnectionIniIn(const std::filesystem::path& copy) {
  return copy / "Talmo.ini";
}

std::u16string SampleCompany() { return std::u16string(dbclient::sample::kDefaultCompanyName); }

}  // namespace talmo_bench
