// DllCanUnloadNow must stay false while a client holds any object of the component: a
// library unloaded under a live Table would crash at the Table's release.
#include <gtest/gtest.h>

#include "automation/ref.h"
#include "records/table.h"
#include "rules/entry_factory.h"
#include "session/library_usage.h"
#include "session_fixture.h"

namespace talmo::testing {
namespace {

using LibraryUsageTest = SessionTest;

TEST_F(LibraryUsageTest, EveryLiveObjectKeepsTheLibraryLoaded) {
  ASSERT_TRUE(ComponentUsage().CanUnload()) << "a fresh component holds no objects";
  {
    automation::Ref<Table> table = automation::MakeRef<Table>();
    EXPECT_FALSE(ComponentUsage().CanUnload()) << "a Table";
  }
  EXPECT_TRUE(ComponentUsage().CanUnload());
  {
    automation::Ref<automation::Dispatch> entry = CreateEntryProcess(18);
    ASSERT_TRUE(entry);
    EXPECT_FALSE(ComponentUsage().CanUnload()) << "a rule object";
  }
  EXPECT_TRUE(ComponentUsage().CanUnload());
}

}  // namespace
}  // namespace talmo::testing
