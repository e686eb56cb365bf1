// The folder of the running module's own file.
#include "automation/module_path.h"

#include <filesystem>

#include "test_support.h"

namespace automation_test {
namespace {

int anchorInThisProgram = 0;

TEST(ModulePath, FolderOfTheProgramAndOfASharedLibrary) {
  const std::filesystem::path program = automation::ExecutableFolder();
  EXPECT_TRUE(program.is_absolute());
  EXPECT_TRUE(std::filesystem::exists(program / "talmo_automation_tests"));
  EXPECT_EQ(automation::ModuleFolder(&anchorInThisProgram), program);

  const std::filesystem::path library =
      std::filesystem::canonical(TALMO_AUTOMATION_LIBRARY).parent_path();
  EXPECT_EQ(automation::ModuleFolder(reinterpret_cast<const void*>(&automation::FromUtf8)),
            library);
}

TEST(ModulePath, AnAddressOutsideEveryModuleRaisesFileNotFound) {
  EXPECT_EQ(ErrorOf([] { automation::ModuleFolder(nullptr); }), 53);
}

}  // namespace
}  // namespace automation_test
