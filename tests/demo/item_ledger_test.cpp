// The "Pokus" scan: items with their calculated inventory, then item ledger entries in
// portions of 20 with the counter in TalmoDemo.ini.
#include <gtest/gtest.h>

#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <utility>
#include <vector>

#include "automation/text.h"
#include "demo_test_support.h"
#include "scenarios.h"

namespace talmo_demo::testing {
namespace {

using automation::Variant;

using HookCall = std::pair<std::u16string, std::optional<std::u16string>>;

class RecordingScenarios final : public DemoScenarios {
 public:
  using DemoScenarios::DemoScenarios;
  Variant ItemInventoryHook(const std::u16string& item, const std::u16string* variant) override {
    calls.emplace_back(item, variant ? std::optional(*variant) : std::nullopt);
    return {};
  }
  std::vector<HookCall> calls;
};

class ItemLedgerTest : public LiveDemoTest {
 protected:
  void SetUp() override {
    LiveDemoTest::SetUp();
    ini_.emplace(DemoIni());
  }

  RecordingScenarios Scenarios() {
    return RecordingScenarios(Database(), *ini_, [] {});
  }

  std::u16string Counter() const {
    return ini_->LoadFromINI(u"Counters", u"LastItemInventory", false);
  }
  void SetCounter(int32_t entryNo) {
    ini_->SaveToINI(u"Counters", u"LastItemInventory", Variant(entryNo).ToString());
  }

  int32_t LastEntryNo() {
    LateObject entries = Table(32);
    EXPECT_TRUE(entries.Call(u"Find", u"+").ToBoolean());
    return Field(entries, 1).ToLong();
  }

  // The distinct (item, variant) pairs of entries from..to, in entry order, read back with
  // a table of the test's own.
  std::vector<HookCall> ItemsOfEntries(int32_t from, int32_t to, bool withVariants) {
    LateObject entries = Table(32);
    entries.Call(u"SetRange", int32_t{1}, from, to);
    std::vector<HookCall> items;
    std::set<HookCall> seen;
    for (bool found = entries.Call(u"Find", u"-").ToBoolean(); found;
         found = entries.Call(u"NextRec", int16_t{1}).ToLong() > 0) {
      HookCall item{Field(entries, 2).ToString(), std::nullopt};
      if (withVariants) item.second = Field(entries, 8).ToString();
      if (seen.insert(item).second) items.push_back(item);
    }
    return items;
  }

  std::optional<talmo::clsIniFile> ini_;
};

TEST_F(ItemLedgerTest, EntriesAreNumberedWithoutGaps) {
  // The portions below count entries by their numbers.
  EXPECT_EQ(Count(32), LastEntryNo());
  EXPECT_GT(LastEntryNo(), 45);
}

TEST_F(ItemLedgerTest, ThreeRunsOverFortyFiveNewEntriesTakeTwentyTwentyAndFive) {
  const int32_t last = LastEntryNo();
  const int32_t start = last - 45;
  SetCounter(start);
  const int32_t expected[][2] = {{20, start + 20}, {20, start + 40}, {5, last}};
  int32_t from = start + 1;
  for (const auto& [processed, counter] : expected) {
    SCOPED_TRACE(::testing::Message() << "run ending at " << counter);
    RecordingScenarios scenarios = Scenarios();
    EXPECT_EQ(scenarios.ProcessItemLedger(true), processed);
    EXPECT_EQ(Counter(), Variant(counter).ToString());
    EXPECT_EQ(scenarios.calls, ItemsOfEntries(from, counter, true));
    from = counter + 1;
  }
  // Nothing new: nothing processed, nothing saved.
  RecordingScenarios idle = Scenarios();
  EXPECT_EQ(idle.ProcessItemLedger(true), 0);
  EXPECT_TRUE(idle.calls.empty());
  EXPECT_EQ(Counter(), Variant(last).ToString());
}

struct StartRow {
  const char* name;
  const char* iniContent;  // nullptr: no file at all
};

void PrintTo(const StartRow& row, std::ostream* os) { *os << row.name; }

class CounterStartTest : public ItemLedgerTest, public ::testing::WithParamInterface<StartRow> {};

TEST_P(CounterStartTest, StartsAfterEntryZero) {
  if (GetParam().iniContent != nullptr) {
    std::ofstream(DemoIniPath(), std::ios::binary) << GetParam().iniContent;
  }
  RecordingScenarios scenarios = Scenarios();
  EXPECT_EQ(scenarios.ProcessItemLedger(false), 20);
  EXPECT_EQ(Counter(), u"20");
  EXPECT_EQ(scenarios.calls, ItemsOfEntries(1, 20, false));
}

INSTANTIATE_TEST_SUITE_P(
    Counters, CounterStartTest,
    ::testing::Values(StartRow{"NoFile", nullptr},
                      StartRow{"NoSection", "[Other]\nLastItemInventory=300\n"},
                      StartRow{"NoKey", "[Counters]\nSomethingElse=7\n"},
                      StartRow{"EmptyValue", "[Counters]\nLastItemInventory=\n"}),
    [](const ::testing::TestParamInfo<StartRow>& info) { return info.param.name; });

TEST_F(ItemLedgerTest, WithoutVariantsEachItemOnceAndNoVariantPassed) {
  // A portion of 20 entries in which an item occurs with more than one variant code.
  const int32_t last = LastEntryNo();
  std::optional<int32_t> from;
  std::vector<HookCall> withVariants;
  for (int32_t start = 0; start + 20 <= last && !from; start += 20) {
    withVariants = ItemsOfEntries(start + 1, start + 20, true);
    if (withVariants.size() > ItemsOfEntries(start + 1, start + 20, false).size()) from = start;
  }
  ASSERT_TRUE(from.has_value()) << "no item with several variants in the sample's entries";
  SetCounter(*from);
  RecordingScenarios plain = Scenarios();
  EXPECT_EQ(plain.ProcessItemLedger(false), 20);
  EXPECT_EQ(plain.calls, ItemsOfEntries(*from + 1, *from + 20, false));
  for (const HookCall& call : plain.calls) EXPECT_FALSE(call.second.has_value());

  SetCounter(*from);
  RecordingScenarios variants = Scenarios();
  EXPECT_EQ(variants.ProcessItemLedger(true), 20);
  EXPECT_EQ(variants.calls, withVariants);
  EXPECT_GT(variants.calls.size(), plain.calls.size());
}

TEST_F(ItemLedgerTest, AnUnreadableCounterFailsAndLeavesTheFileAlone) {
  const std::string content = "[Counters]\nLastItemInventory=12abc\n";
  std::ofstream(DemoIniPath(), std::ios::binary) << content;
  RecordingScenarios scenarios = Scenarios();
  EXPECT_EQ(ErrorOf([&] { scenarios.ProcessItemLedger(true); }).number(), 13);
  std::ifstream in(DemoIniPath(), std::ios::binary);
  std::stringstream read;
  read << in.rdbuf();
  EXPECT_EQ(read.str(), content);
  EXPECT_TRUE(scenarios.calls.empty());
}

TEST_F(ItemLedgerTest, ScanItemsStepsThroughTheK0ItemsThenProcessesEntries) {
  LateObject items = Table(27);
  items.Call(u"SetFilter", int32_t{1}, u"K0*");
  const int32_t k0Items = items.Get(u"Count").ToLong();
  ASSERT_GT(k0Items, 0);

  int events = 0;
  DemoScenarios scenarios(Database(), *ini_, [&] { ++events; });
  const ScanSummary summary = scenarios.ScanItems();
  EXPECT_EQ(summary.itemsScanned, k0Items);
  EXPECT_EQ(events, k0Items);  // the window gets a turn per item
  // The sample has K0 items with stock and some sold out or never stocked.
  EXPECT_GT(summary.itemsInStock, 0);
  EXPECT_LT(summary.itemsInStock, k0Items);
  EXPECT_EQ(summary.ledgerEntriesProcessed, 20);
  EXPECT_EQ(Counter(), u"20");
}

}  // namespace
}  // namespace talmo_demo::testing
