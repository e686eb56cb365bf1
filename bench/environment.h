// The world a benchmark run works in: a working folder of its own, a component registry file
// in it where libTalmo.so and libDbClient.so are registered (TALMO_REGISTRY points at it), the
// sample database made once, and a fresh copy of it for every workload.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace talmo_bench {

class Environment {
 public:
  // Makes the working folder under `parent` (DefaultFolder() when empty), registers the
  // libraries and creates the sample database. Throws std::runtime_error on failure.
  explicit Environment(const std::filesystem::path& parent);
  ~Environment();  // removes the working folder
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;

  // The sample database as the tool made it; nothing writes into it.
  const std::filesystem::path& sample() const noexcept { return sample_; }
  const std::filesystem::path& folder() const noexcept { return folder_; }

  // A new folder `name`-N holding a copy of the sample database ("sample.db") and a
  // Talmo.ini that connects to it; returns the folder.
  std::filesystem::path FreshCopy(std::string_view name);

 private:
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
