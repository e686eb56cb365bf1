#include "demo_test_support.h"

#include <stdlib.h>

#include <fstream>

#include "automation/registry.h"
#include "automation/text.h"

namespace talmo_demo::testing {

using automation::Variant;

void RecordingHost::SetLogText(std::u16string_view text) {
  log = text;
  insertionPoint = 0;
}

void RecordingHost::WriteLog(std::u16string_view text) {
  log.insert(insertionPoint, text);
  insertionPoint += text.size();
}

void RecordingHost::ProcessPendingEvents() {
  ++eventsProcessed;
  if (duringEvents) duringEvents();
}

void RecordingHost::ShowError(const automation::AutomationError& error) { errors.push_back(error); }

std::string RecordingHost::Log() const { return automation::ToUtf8(log); }

std::optional<TempFolder> LiveDemoTest::registryFolder_;

void LiveDemoTest::SetUpTestSuite() {
  registryFolder_.emplace();
  setenv("TALMO_REGISTRY", (registryFolder_->path() / "registry.ini").c_str(), 1);
  automation::RegisterLibrary(TALMO_LIBRARY_PATH);
  automation::RegisterLibrary(DBCLIENT_LIBRARY_PATH);
}

void LiveDemoTest::TearDownTestSuite() { registryFolder_.reset(); }

void LiveDemoTest::SetUp() {
  folder_.emplace();
  sample_.emplace(talmo::testing::ProgramBackend(),
                  std::filesystem::path(TALMO_BIN_DIR) / "sample.db", Folder());
  folder_->Write("Talmo.ini", "[Database]\nLibPath=" + std::string(TALMO_BIN_DIR) + "\n" +
                                  sample_->IniLines() + "CompanyName=" + TALMO_SAMPLE_COMPANY +
                                  "\nCommitCache=Yes\n");
}

void LiveDemoTest::TearDown() {
  try {
    LateObject closer(automation::CreateObject(u"Talmo.Database"));
    closer.Call(u"Disconnect", int32_t{1});
  } catch (const automation::AutomationError& e) {
    ADD_FAILURE() << "closing the connection failed: " << e.what();
  }
  database_ = LateObject();
}

DemoSettings LiveDemoTest::Settings() const {
  DemoSettings settings;
  settings.connectionIni = ConnectionIni();
  settings.demoFolder = automation::FromUtf8(Folder().string());
  return settings;
}

std::u16string LiveDemoTest::ConnectionIni() const {
  return automation::FromUtf8((Folder() / "Talmo.ini").string());
}

LateObject LiveDemoTest::Database() {
  if (database_.IsNothing()) {
    database_ = LateObject(automation::CreateObject(u"Talmo.Database"));
    database_.Call(u"AutoConnect", ConnectionIni());
  }
  return database_;
}

talmo::clsIniFile LiveDemoTest::DemoIni() const {
  talmo::clsIniFile ini(automation::FromUtf8(Folder().string()), u"TalmoDemo");
  ini.SetFileName(u"TalmoDemo.ini");
  return ini;
}

LateObject LiveDemoTest::Table(int16_t tableNo) {
  return AsObject(Database().Call(u"AllocTable", tableNo));
}

std::optional<LateObject> LiveDemoTest::Record(int16_t tableNo, std::vector<Variant> key) {
  LateObject table = Table(tableNo);
  Variant result;
  automation::InvokeOrThrow(table.get(), automation::GetDispId(table.get(), u"GetRecT"),
                            automation::InvokeKind::kMethod, key, result);
  if (!result.ToBoolean()) return std::nullopt;
  return table;
}

int32_t LiveDemoTest::Count(int16_t tableNo) { return Table(tableNo).Get(u"Count").ToLong(); }

Variant LiveDemoTest::Field(LateObject& table, int32_t n) { return table.Get(u"Field", n); }

std::u16string LiveDemoTest::FirstItemNo() {
  LateObject items = Table(27);
  EXPECT_TRUE(items.Call(u"Find", u"-").ToBoolean());
  return Field(items, 1).ToString();
}

std::vector<std::u16string> LiveDemoTest::OrderNumbers() {
  LateObject headers = Table(36);
  headers.Call(u"SetRange", int32_t{1}, int16_t{1});
  std::vector<std::u16string> numbers;
  for (bool found = headers.Call(u"Find", u"-").ToBoolean(); found;
       found = headers.Call(u"NextRec", int16_t{1}).ToLong() > 0) {
    numbers.push_back(Field(headers, 3).ToString());
  }
  return numbers;
}

std::vector<int32_t> LiveDemoTest::LineNumbers(std::u16string_view documentNo) {
  LateObject lines = Table(37);
  lines.Call(u"SetRange", int32_t{1}, int16_t{1});
  lines.Call(u"SetRange", int32_t{3}, documentNo);
  std::vector<int32_t> numbers;
  for (bool found = lines.Call(u"Find", u"-").ToBoolean(); found;
       found = lines.Call(u"NextRec", int16_t{1}).ToLong() > 0) {
    numbers.push_back(Field(lines, 4).ToLong());
  }
  return numbers;
}

std::vector<std::u16string> LiveDemoTest::DemoCustomers() {
  LateObject customers = Table(18);
  customers.Call(u"SetRange", int32_t{1}, u"3500", u"3699");
  std::vector<std::u16string> numbers;
  for (bool found = customers.Call(u"Find", u"-").ToBoolean(); found;
       found = customers.Call(u"NextRec", int16_t{1}).ToLong() > 0) {
    numbers.push_back(Field(customers, 1).ToString());
  }
  return numbers;
}

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace talmo_demo::testing
