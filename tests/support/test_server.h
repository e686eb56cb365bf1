// The PostgreSQL server of the test run: started once by the suite's fixture (tools/pg-server.sh
// through tests/support/server_fixture.sh), found through TALMO_PG_DIR, and databases of
// its own for each test. A test that needs the server and does not find it fails; it is
// never skipped.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace talmo::testing {

// Where the database client keeps a test's records: tests written once run on both.
enum class Backend { kFile, kServer };
inline const auto kBothBackends = ::testing::Values(Backend::kFile, Backend::kServer);
// "File", "Server": parameter names of tests.
inline std::string BackendName(Backend backend) {
  return backend == Backend::kFile ? "File" : "Server";
}

struct TestServer {
  std::string host;    // 127.0.0.1
  int port = 0;
  std::string socket;  // folder of the server's socket
  std::string admin;   // superuser, logs in through the socket without a password
  std::string user;    // logs in over TCP with `password`, may create databases
  std::string password;
};

// The server of the run, from TALMO_TEST_SERVER or TALMO_PG_DIR (the folder of the server of
// tools/pg-server.sh); throws std::runtime_error when neither is set or the server did not
// write its connection file.
const TestServer& Server();

// The backend of a test program that holds one connection for its whole run (the component
// connects once per process): the server when TALMO_TEST_SERVER is set, else the file. CTest
// runs such programs once for each.
Backend ProgramBackend();

// Name of the database the fixture filled with the sample company.
inline constexpr const char* kSampleDatabase = "talmo_sample";

// A database of its own on the test server, dropped (with any connection left to it) when
// the object goes. Made empty, or as a copy of `templateName`, which takes milliseconds.
class ServerDatabase {
 public:
  explicit ServerDatabase(const std::string& templateName = "");
  ~ServerDatabase();
  ServerDatabase(const ServerDatabase&) = delete;
  ServerDatabase& operator=(const ServerDatabase&) = delete;

  const std::string& name() const noexcept { return name_; }

 private:
  std::string name_;
};

// A fresh database name, unique within the run (process id and a counter); the database is
// not made.
std::string NewDatabaseName();

// A copy of the sample company for a test, on `backend`: a copy of `sampleFile` in `folder`,
// or a database on the test server copied from kSampleDatabase (dropped with the object).
class SampleCopy {
 public:
  SampleCopy(Backend backend, const std::filesystem::path& sampleFile,
             const std::filesystem::path& folder);
  ~SampleCopy();

  // The lines of a Talmo.ini [Database] section that connect to the copy (each ending in a
  // line break): Database for a file; NetType, Server, Database, UserID and Password for a
  // server.
  std::string IniLines() const;
  // Runs SQL on the copy as another program would: on a connection of its own, committed at
  // once. Throws std::runtime_error on failure.
  void Exec(const std::string& sql) const;

 private:
  std::string file_;
  std::unique_ptr<ServerDatabase> server_;
};

// Runs SQL as the server's superuser on `database`; throws std::runtime_error on failure.
// Returns the first column of the first row ("" for none).
std::string AdminQuery(const std::string& database, const std::string& sql);

}  // namespace talmo::testing
