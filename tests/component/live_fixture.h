// Tests of the built component as a client uses it: libTalmo.so and libDbClient.so are
// registered in a registry file of the test's own, Talmo.Database is created by its ProgID,
// and the connection goes to a temporary copy of the sample database (on the program's
// backend: see ProgramBackend).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "error_of.h"
#include "temp_folder.h"
#include "test_server.h"

namespace talmo::testing {

class LiveTest : public ::testing::Test {
 protected:
  // Registers both libraries and copies the sample database, once for the suite.
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // Creates Talmo.Database through the registry.
  void SetUp() override;
  // Closes the connection (Disconnect stopNow) and releases the objects.
  void TearDown() override;

  // An INI file in the suite's folder: [Database] with `body`, returns its path.
  static std::u16string WriteIni(const std::string& name, const std::string& body);
  // The INI body that connects to the suite's copy of the sample database.
  static std::string SampleIniBody();
  static const TempFolder& Dir() { return *dir_; }

  // A late-bound call by member name on `object`.
  static automation::Variant Call(automation::Dispatch* object, std::u16string_view name,
                                  std::vector<automation::Variant> args = {});
  static automation::Variant Get(automation::Dispatch* object, std::u16string_view name,
                                 std::vector<automation::Variant> args = {});
  static void Put(automation::Dispatch* object, std::u16string_view name,
                  std::vector<automation::Variant> args);

  automation::Ref<automation::Dispatch> database_;

 private:
  static std::unique_ptr<TempFolder> dir_;
  static std::unique_ptr<SampleCopy> sample_;
};

}  // namespace talmo::testing
