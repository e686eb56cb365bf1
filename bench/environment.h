// The world a benchmark run works in: a working folder of its own, a component registry file
// in it where libTalmo.so and libDbClient.so are registered (TALMO_REGISTRY points at it), the
// sample database made once, and a fresh copy of it for every workload.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talmo_bench {

// A PostgreSQL server to run on, as tools/pg-server.sh describes it in connection.env.
struct ServerSettings {
  std::string host, port, socket, admin, user, password;
  // Reads `folder`/connection.env; throws std::runtime_error when it is missing.
  static ServerSettings Read(const std::filesystem::path& folder);
};

class Environment {
 public:
  // Makes the working folder under `parent` (DefaultFolder() when empty), registers the
  // libraries and creates the sample database; with a server folder, also the sample
  // database on that server, and every copy is made there. Throws std::runtime_error on
  // failure.
  explicit Environment(const std::filesystem::path& parent,
                       const std::filesystem::path& server = {});
  ~Environment();  // removes the working folder and the copies on the server
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  // The sample database as the tool made it; nothing writes into it.
  const std::filesystem::path& sample() const noexcept { return sample_; }
  const std::filesystem::path& folder() const noexcept { return folder_; }

  // A new folder `name`-N holding a copy of the sample database ("sample.db", or a database
  // on the server) and a Talmo.ini that connects to it; returns the folder.
  std::filesystem::path FreshCopy(std::string_view name);

  bool onServer() const noexcept { return server_.has_value(); }
  // The libpq connection string of a copy's database on the server, as the test user.
  std::string Conninfo(const std::filesystem::path& copy) const;

 private:
  void RunAsAdmin(const std::string& sql) const;
  static std::string DatabaseOf(const std::filesystem::path& copy);

  std::optional<ServerSettings> server_;
  std::vector<std::string> serverCopies_;
  std::filesystem::path folder_;
  std::filesystem::path sample_;
  int copies_ = 0;
};

// The database file and the connection INI file of a folder made by FreshCopy.
std::filesystem::path DatabaseIn(const std::filesystem::path& copy);
std::filesystem::path ConnectionIniIn(const std::filesystem::path& copy);

// The company the sample database holds.
std::u16string SampleCompany();

}  // namespace talmo_bench
