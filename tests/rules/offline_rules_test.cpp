// Record-rule objects without a connection: their dispatch tables, the `Rec` link and who
// owns whom, and the creation of Entry37 failing when no table can be allocated.
#include <gtest/gtest.h>

#include "automation/dispatch.h"
#include "records/table.h"
#include "rules/entry18.h"
#include "rules/entry36.h"
#include "rules/entry_factory.h"
#include "session/global.h"
#include "session/library_usage.h"

namespace talmo {
namespace {

using automation::Dispatch;
using automation::Ref;
using automation::Variant;

automation::AutomationError ErrorOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const automation::AutomationError& e) {
    return e;
  }
  ADD_FAILURE() << "no automation error was raised";
  return automation::AutomationError(0, u"", u"");
}

Dispatch* RecOf(Dispatch* rules) {
  return automation::GetProperty(rules, kRecDispId).ToObject().get();
}

// First, while the process has no Database at all; later tests create the hidden one.
TEST(EntryCreation, Entry37NeedsADatabaseThatCanAllocateTables) {
  ASSERT_FALSE(global::CurrentDatabase());
  EXPECT_EQ(ErrorOf([] { CreateEntryProcess(37); }).number(), automation::error::kObjectNotSet);
  EXPECT_TRUE(ComponentUsage().CanUnload()) << "no half-made object is left";

  global::Main();  // a Database, but no connection
  ASSERT_TRUE(global::CurrentDatabase());
  EXPECT_EQ(ErrorOf([] { CreateEntryProcess(37); }).number(), automation::error::kObjectNotSet);
}

TEST(EntryCreation, FactoryGivesTheRuleObjectOfItsTable) {
  EXPECT_EQ(CreateEntryProcess(18)->ClassName(), u"Entry18");
  EXPECT_EQ(CreateEntryProcess(36)->ClassName(), u"Entry36");
  EXPECT_FALSE(CreateEntryProcess(27));
  EXPECT_FALSE(CreateEntryProcess(0));
}

TEST(EntryDispatch, NamesAndIdsOfEntry18AndEntry36) {
  auto customer = automation::MakeRef<Entry18>();
  auto header = automation::MakeRef<Entry36>();
  EXPECT_EQ(customer->GetIDsOfNames(u"Rec"), 0x40030000);
  EXPECT_EQ(customer->GetIDsOfNames(u"validate"), 0x60030000);
  EXPECT_EQ(header->GetIDsOfNames(u"Rec"), 0x40030000);
  EXPECT_EQ(header->GetIDsOfNames(u"Validate"), 0x60030001);
  EXPECT_EQ(header->GetIDsOfNames(u"Field2"), 0x68030000);
  EXPECT_EQ(header->GetIDsOfNames(u"Field3"), automation::kDispIdUnknown);
  EXPECT_EQ(ErrorOf([&] { automation::GetProperty(header.get(), 0x68030000); }).number(),
            automation::error::kMemberNotFound)
      << "Field2 is write-only";
  EXPECT_EQ(ErrorOf([&] {
              automation::CallMethod(customer.get(), 0x60030000, Variant(int32_t{2}), Variant(1));
            }).number(),
            automation::error::kObjectNotSet)
      << "no Rec";
  EXPECT_EQ(
      ErrorOf([&] { automation::CallMethod(customer.get(), 0x60030000, Variant(2)); }).number(),
      automation::error::kArgumentNotOptional);
}

TEST(EntryRec, TakesOnlyATable) {
  auto rules = automation::MakeRef<Entry18>();
  auto table = automation::MakeRef<Table>();
  automation::PutPropertyRef(rules.get(), kRecDispId, table);
  EXPECT_EQ(RecOf(rules.get()), table.get());
  for (const Variant& wrong : {Variant(int32_t{5}), Variant(u"Table"),
                               Variant(Ref<Dispatch>(automation::MakeRef<Entry36>()))}) {
    EXPECT_EQ(ErrorOf([&] { automation::PutProperty(rules.get(), kRecDispId, wrong); }).number(),
              automation::error::kTypeMismatch);
  }
  EXPECT_EQ(RecOf(rules.get()), table.get()) << "a refused value changes nothing";
  automation::PutPropertyRef(rules.get(), kRecDispId, nullptr);
  EXPECT_EQ(RecOf(rules.get()), nullptr);
}

// The table owns the rule object in its EntryProcess; the back link owns the table only
// while the table does not hold the rule object, so the pair never keeps itself alive.
TEST(EntryRec, BackLinkOwnsTheTableOnlyWhenTheTableDoesNotHoldTheRules) {
  auto rules = automation::MakeRef<Entry36>();
  auto table = automation::MakeRef<Table>();
  rules->SetRec(table);
  table.reset();
  ASSERT_NE(rules->Rec(), nullptr) << "a client's table is kept alive by the link";

  rules->Rec()->SetEntryProcess(rules);  // held now; the last outside reference goes here
  EXPECT_EQ(rules->Rec(), nullptr) << "the table was released and cleared the link";

  table = automation::MakeRef<Table>();
  table->SetEntryProcess(rules);  // held first, linked second: the way AllocTable does it
  rules->SetRec(table);
  table.reset();
  EXPECT_EQ(rules->Rec(), nullptr);

  table = automation::MakeRef<Table>();
  table->SetEntryProcess(rules);
  rules->SetRec(table);
  table->SetEntryProcess(nullptr);  // no longer held: the link owns the table again
  table.reset();
  ASSERT_NE(rules->Rec(), nullptr);
  EXPECT_EQ(rules->Rec()->EntryProcess(), nullptr);
}

}  // namespace
}  // namespace talmo
