#include "live_session.h"

#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "automation/registry.h"
#include "automation/text.h"
#include "session/global.h"
#include "temp_folder.h"
#include "test_server.h"

namespace talmo::testing {
namespace {

namespace fs = std::filesystem;
using automation::Ref;
using automation::Variant;

class LiveSession : public ::testing::Environment {
 public:
  void SetUp() override {
    folder_ = std::make_unique<TempFolder>();
    const fs::path registry = folder_->path() / "registry.ini";
    setenv("TALMO_REGISTRY", registry.c_str(), 1);
    automation::RegisterLibrary(DBCLIENT_LIBRARY_PATH);

    sample_ = std::make_unique<SampleCopy>(ProgramBackend(), fs::path(TALMO_BIN_DIR) / "sample.db",
                                           folder_->path());
    const fs::path ini = folder_->Write(
        "Talmo.ini", std::string("[Database]\nLibPath=") + TALMO_BIN_DIR + "\n" +
                         sample_->IniLines() + "Cache=\nCompanyName=" + TALMO_SAMPLE_COMPANY +
                         "\nCommitCache=Yes\n");
    global::Main();
    database_ = CreateDatabase();
    database_->AutoConnect(automation::FromUtf8(ini.string()));
    Instance() = this;
  }

  void TearDown() override {
    Instance() = nullptr;
    database_->Disconnect(static_cast<int32_t>(nfDisconnect::stopNow));
    database_.reset();
    sample_.reset();
    folder_.reset();
  }

  static LiveSession*& Instance() {
    static LiveSession* session = nullptr;
    return session;
  }

  Database& database() { return *database_; }

 private:
  std::unique_ptr<TempFolder> folder_;
  std::unique_ptr<SampleCopy> sample_;
  Ref<Database> database_;
};

const auto* const kRegistered = ::testing::AddGlobalTestEnvironment(new LiveSession);

}  // namespace

Database& LiveDatabase() {
  LiveSession* session = LiveSession::Instance();
  if (session == nullptr) throw std::logic_error("the test session is not connected");
  return session->database();
}

void RulesTest::SetUp() { LiveDatabase().BWT(); }

void RulesTest::TearDown() { LiveDatabase().AWT(); }

Ref<Table> RulesTest::Alloc(int32_t tableNo) { return LiveDatabase().AllocTable(Variant(tableNo)); }

Ref<Table> RulesTest::InsertRecord(int32_t tableNo, std::initializer_list<FieldValue> fields) {
  Ref<Table> table = Alloc(tableNo);
  for (const auto& [field, value] : fields) table->SetField(Variant(field), value);
  table->Insert();
  return table;
}

Ref<Table> RulesTest::ReadRecord(int32_t tableNo, std::initializer_list<Variant> key) {
  Ref<Table> table = Alloc(tableNo);
  EXPECT_TRUE(table->GetRecT(std::span<const Variant>(key.begin(), key.size())));
  return table;
}

double RulesTest::Number(Table& table, int32_t field) {
  return table.Field(Variant(field)).ToDouble();
}

std::u16string RulesTest::Text(Table& table, int32_t field) {
  return table.Field(Variant(field)).ToString();
}

void RulesTest::Put(Table& table, int32_t field, const Variant& value) {
  table.SetField(Variant(field), value);
}

}  // namespace talmo::testing
