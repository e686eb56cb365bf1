#include "test_server.h"

#include <libpq-fe.h>
#include <sqlite3.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>

namespace talmo::testing {

const TestServer& Server() {
  static const TestServer server = [] {
    const char* dir = std::getenv("TALMO_TEST_SERVER");
    if (dir == nullptr || *dir == 0) dir = std::getenv("TALMO_PG_DIR");
    if (dir == nullptr || *dir == 0) {
      throw std::runtime_error("TALMO_PG_DIR is not set: the test server fixture did not run");
    }
    std::ifstream file(std::string(dir) + "/connection.env");
    if (!file) throw std::runtime_error(std::string("no test server in ") + dir);
    std::map<std::string, std::string> values;
    for (std::string line; std::getline(file, line);) {
      const size_t equals = line.find('=');
      if (equals != std::string::npos) values[line.substr(0, equals)] = line.substr(equals + 1);
    }
    TestServer result;
    result.host = values["TALMO_PG_HOST"];
    result.port = std::atoi(values["TALMO_PG_PORT"].c_str());
    result.socket = values["TALMO_PG_SOCKET"];
    result.admin = values["TALMO_PG_ADMIN"];
    result.user = values["TALMO_PG_USER"];
    result.password = values["TALMO_PG_PASSWORD"];
    return result;
  }();
  return server;
}

std::string AdminQuery(const std::string& database, const std::string& sql) {
  const TestServer& server = Server();
  const std::string port = std::to_string(server.port);
  const char* keys[] = {"host", "port", "user", "dbname", nullptr};
  const char* values[] = {server.socket.c_str(), port.c_str(), server.admin.c_str(),
                          database.c_str(), nullptr};
  std::unique_ptr<PGconn, void (*)(PGconn*)> connection(PQconnectdbParams(keys, values, 0),
                                                        PQfinish);
  if (PQstatus(connection.get()) != CONNECTION_OK) {
    throw std::runtime_error("test server: " + std::string(PQerrorMessage(connection.get())));
  }
  std::unique_ptr<PGresult, void (*)(PGresult*)> result(PQexec(connection.get(), sql.c_str()),
                                                        PQclear);
  const ExecStatusType status = PQresultStatus(result.get());
  if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
    throw std::runtime_error(sql + ": " + PQresultErrorMessage(result.get()));
  }
  if (PQntuples(result.get()) == 0 || PQnfields(result.get()) == 0) return "";
  return PQgetvalue(result.get(), 0, 0);
}

Backend ProgramBackend() {
  const char* server = std::getenv("TALMO_TEST_SERVER");
  return server != nullptr && *server != 0 ? Backend::kServer : Backend::kFile;
}

SampleCopy::SampleCopy(Backend backend, const std::filesystem::path& sampleFile,
                       const std::filesystem::path& folder) {
  if (backend == Backend::kServer) {
    server_ = std::make_unique<ServerDatabase>(kSampleDatabase);
    return;
  }
  file_ = (folder / sampleFile.filename()).string();
  std::filesystem::copy_file(sampleFile, file_);
}

SampleCopy::~SampleCopy() = default;

std::string SampleCopy::IniLines() const {
  if (!server_) return "Database=" + file_ + "\n";
  const TestServer& server = Server();
  return "NetType=tcp\nServer=" + server.host + ":" + std::to_string(server.port) +
         "\nDatabase=" + server_->name() + "\nUserID=" + server.user +
         "\nPassword=" + server.password + "\n";
}

void SampleCopy::Exec(const std::string& sql) const {
  if (server_) {
    AdminQuery(server_->name(), sql);
    return;
  }
  sqlite3* db = nullptr;
  int rc = sqlite3_open(file_.c_str(), &db);
  if (rc == SQLITE_OK) rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
  const std::string error = rc == SQLITE_OK ? "" : sqlite3_errmsg(db);
  sqlite3_close(db);
  if (rc != SQLITE_OK) throw std::runtime_error("SQL on " + file_ + " failed: " + error);
}

std::string NewDatabaseName() {
  static std::atomic<int> counter{0};
  return "test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
}

ServerDatabase::ServerDatabase(const std::string& templateName) : name_(NewDatabaseName()) {
  AdminQuery("postgres", "CREATE DATABASE " + name_ + " ENCODING 'UTF8' LC_COLLATE 'C'" +
                             " LC_CTYPE 'C' TEMPLATE " +
                             (templateName.empty() ? "template0" : templateName) + " OWNER " +
                             Server().user);
}

ServerDatabase::~ServerDatabase() {
  try {
    AdminQuery("postgres", "DROP DATABASE IF EXISTS " + name_ + " WITH (FORCE)");
  } catch (const std::exception&) {
    // A server stopped by the test itself leaves nothing to drop.
  }
}

}  // namespace talmo::testing
