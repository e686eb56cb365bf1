#include "live_fixture.h"

#include <stdlib.h>

#include <filesystem>

#include "automation/registry.h"
#include "automation/text.h"

namespace talmo::testing {

std::unique_ptr<TempFolder> LiveTest::dir_;
std::unique_ptr<SampleCopy> LiveTest::sample_;

void LiveTest::SetUpTestSuite() {
  dir_ = std::make_unique<TempFolder>();
  setenv("TALMO_REGISTRY", (dir_->path() / "registry.ini").c_str(), 1);
  automation::RegisterLibrary(TALMO_LIBRARY_PATH);
  automation::RegisterLibrary(DBCLIENT_LIBRARY_PATH);
  sample_ = std::make_unique<SampleCopy>(
      ProgramBackend(), std::filesystem::path(TALMO_BIN_DIR) / "sample.db", dir_->path());
}

void LiveTest::TearDownTestSuite() {
  sample_.reset();
  dir_.reset();
}

void LiveTest::SetUp() {
  ASSERT_NO_THROW(database_ = automation::CreateObject(u"Talmo.Database"));
  ASSERT_TRUE(database_);
}

void LiveTest::TearDown() {
  if (database_) {
    try {
      Call(database_.get(), u"Disconnect", {automation::Variant(int32_t{1})});
    } catch (const automation::AutomationError& e) {
      ADD_FAILURE() << "closing the connection failed: " << e.what();
    }
  }
  database_.reset();
}

std::u16string LiveTest::WriteIni(const std::string& name, const std::string& body) {
  return automation::FromUtf8(dir_->Write(name, "[Database]\n" + body).string());
}

std::string LiveTest::SampleIniBody() {
  return "LibPath=" + std::string(TALMO_BIN_DIR) + "\n" + sample_->IniLines() +
         "CompanyName=" + TALMO_SAMPLE_COMPANY + "\nCommitCache=Y\n";
}

namespace {

automation::Variant Invoke(automation::Dispatch* object, std::u16string_view name,
                           automation::InvokeKind kind, std::vector<automation::Variant>& args) {
  automation::Variant result;
  automation::InvokeOrThrow(object, automation::GetDispId(object, name), kind, args, result);
  return result;
}

}  // namespace

automation::Variant LiveTest::Call(automation::Dispatch* object, std::u16string_view name,
                                   std::vector<automation::Variant> args) {
  return Invoke(object, name, automation::InvokeKind::kMethod, args);
}

automation::Variant LiveTest::Get(automation::Dispatch* object, std::u16string_view name,
                                  std::vector<automation::Variant> args) {
  return Invoke(object, name, automation::InvokeKind::kPropertyGet, args);
}

void LiveTest::Put(automation::Dispatch* object, std::u16string_view name,
                   std::vector<automation::Variant> args) {
  Invoke(object, name, automation::InvokeKind::kPropertyPut, args);
}

}  // namespace talmo::testing
