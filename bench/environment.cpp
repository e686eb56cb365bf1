#include "environment.h"

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

Environment::Environment(const std::filesystem::path& parent) {
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
}

Environment::~Environment() {
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

std::filesystem::path Environment::FreshCopy(std::string_view name) {
  const std::filesystem::path copy =
      folder_ / (std::string(name) + "-" + std::to_string(++copies_));
  std::filesystem::create_directories(copy);
  std::filesystem::copy_file(sample_, DatabaseIn(copy));
  std::ofstream(ConnectionIniIn(copy), std::ios::binary)
      << "[Database]\nLibPath=" << TALMO_BIN_DIR << "\nDatabase=" << DatabaseIn(copy).string()
      << "\nCompanyName=" << automation::ToUtf8(SampleCompany()) << "\nCommitCache=Yes\n";
  return copy;
}

std::filesystem::path DatabaseIn(const std::filesystem::path& copy) { return copy / "sample.db"; }

std::filesystem::path ConnectionIniIn(const std::filesystem::path& copy) {
  return copy / "Talmo.ini";
}

std::u16string SampleCompany() { return std::u16string(dbclient::sample::kDefaultCompanyName); }

}  // namespace talmo_bench
