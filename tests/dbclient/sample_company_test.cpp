// The sample company holds what the sales-line rules and the demo need, consistently.
#include "sample/sample_company.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "automation/text.h"
#include "dbclient/engine.h"
#include "sample_test_support.h"

namespace dbclient {
namespace {

using testing_support::Dump;
using testing_support::ReadAll;
using testing_support::TempFolder;

const std::u16string& Text(const Record& r, int32_t field) { return r.Find(field)->text(); }
double Dec(const Record& r, int32_t field) { return r.Find(field)->decimal(); }
int32_t Int(const Record& r, int32_t field) { return r.Find(field)->integer(); }
bool Bool(const Record& r, int32_t field) { return r.Find(field)->boolean(); }
std::string Utf8(const std::u16string& text) { return automation::ToUtf8(text); }

std::unique_ptr<Database> NewCompany(const std::string& path) {
  if (!Database::Create(path, ApplicationSchema()).ok()) return nullptr;
  std::unique_ptr<Database> db;
  if (!Database::Open(path, OpenOptions{}, ApplicationSchema(), &db).ok()) return nullptr;
  if (!db->Login(u"", u"").ok() || !db->CreateCompany(u"Test").ok() ||
      !db->OpenCompany(u"Test").ok()) {
    return nullptr;
  }
  return db;
}

class SampleCompany : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new TempFolder;
    db_ = testing_support::OpenCompany(testing_support::CopyOfSampleFixture(*folder_),
                                       sample::kDefaultCompanyName)
              .release();
    ASSERT_NE(db_, nullptr);
  }
  static void TearDownTestSuite() {
    delete db_;
    delete folder_;
  }

  static std::vector<Record> All(int32_t tableNo) { return ReadAll(*db_, tableNo); }

  // The values of the first primary-key field of every record.
  static std::set<std::u16string> Keys(int32_t tableNo) {
    std::set<std::u16string> keys;
    for (const Record& r : All(tableNo)) keys.insert(Text(r, 1));
    return keys;
  }

  // (business group, product group) of every VAT posting setup row.
  static std::map<std::pair<std::u16string, std::u16string>, Record> VatSetup() {
    std::map<std::pair<std::u16string, std::u16string>, Record> setup;
    for (const Record& r : All(325)) setup.emplace(std::pair{Text(r, 1), Text(r, 2)}, r);
    return setup;
  }

  static TempFolder* folder_;
  static Database* db_;
};

TempFolder* SampleCompany::folder_ = nullptr;
Database* SampleCompany::db_ = nullptr;

TEST_F(SampleCompany, SalesSetupIsOneRecordWithTheEmptyKeyAndAddingDiscounts) {
  const std::vector<Record> setup = All(311);
  ASSERT_EQ(setup.size(), 1u);
  EXPECT_EQ(Text(setup[0], 1), u"");
  EXPECT_EQ(Int(setup[0], 3), 0);
}

TEST_F(SampleCompany, DomesticVatSetupHasThreeRatesFullVatAndSalesTax) {
  const auto setup = VatSetup();
  struct Rate {
    const char16_t* group;
    int32_t type;
    double percent;
  };
  for (const Rate& rate : {Rate{u"NO VAT", 0, 0}, Rate{u"REDUCED", 0, 10}, Rate{u"STANDARD", 0, 21},
                           Rate{u"FULL", 2, -1}, Rate{u"SALES TAX", 3, -1}}) {
    const auto it = setup.find({u"NATIONAL", rate.group});
    ASSERT_NE(it, setup.end()) << Utf8(rate.group);
    EXPECT_EQ(Int(it->second, 3), rate.type) << Utf8(rate.group);
    if (rate.percent >= 0) {
      EXPECT_EQ(Dec(it->second, 4), rate.percent) << Utf8(rate.group);
    }
  }
  // A full-VAT line must be an account line for the setup's account, whose own VAT group
  // leads back to full VAT: the account must be one that can be sold.
  const std::u16string account = Text(setup.at({u"NATIONAL", u"FULL"}), 7);
  const std::vector<Record> accounts = All(15);
  const auto it = std::find_if(accounts.begin(), accounts.end(),
                               [&](const Record& r) { return Text(r, 1) == account; });
  ASSERT_NE(it, accounts.end()) << Utf8(account);
  EXPECT_EQ(Int(*it, 4), 0);
  EXPECT_FALSE(Bool(*it, 13));
  EXPECT_TRUE(Bool(*it, 14));
  EXPECT_EQ(Text(*it, 58), u"FULL");

  const auto businessGroups = Keys(323), productGroups = Keys(324), accountNos = Keys(15);
  for (const auto& [groups, row] : setup) {
    EXPECT_TRUE(businessGroups.contains(groups.first)) << Utf8(groups.first);
    EXPECT_TRUE(productGroups.contains(groups.second)) << Utf8(groups.second);
    EXPECT_TRUE(accountNos.contains(Text(row, 7))) << Utf8(Text(row, 7));
  }
}

TEST_F(SampleCompany, EveryItemNotBlockedCanBeSoldOnALine) {
  const auto units = Keys(204), inventoryGroups = Keys(94), productGroups = Keys(251),
             vatGroups = Keys(324), discountGroups = Keys(341);
  const auto vatSetup = VatSetup();
  std::set<std::pair<std::u16string, std::u16string>> itemUnits;
  for (const Record& r : All(5404)) {
    itemUnits.insert({Text(r, 1), Text(r, 2)});
    EXPECT_GT(Dec(r, 3), 0) << Utf8(Text(r, 1));
  }
  const std::vector<Record> items = All(27);
  ASSERT_FALSE(items.empty());
  // The demo sells the first item; its lines take the unit factor 1.
  EXPECT_FALSE(Bool(items.front(), 54));
  EXPECT_EQ(Text(items.front(), 5425), Text(items.front(), 8));
  int blocked = 0;
  for (const Record& item : items) {
    const std::string no = Utf8(Text(item, 1));
    if (Bool(item, 54)) {
      ++blocked;
      continue;
    }
    EXPECT_FALSE(Text(item, 3).empty()) << no;
    EXPECT_TRUE(inventoryGroups.contains(Text(item, 11))) << no;
    EXPECT_TRUE(productGroups.contains(Text(item, 91))) << no;
    EXPECT_TRUE(vatGroups.contains(Text(item, 99))) << no;
    EXPECT_TRUE(vatSetup.contains({u"NATIONAL", Text(item, 99)})) << no;
    EXPECT_TRUE(Text(item, 13).empty() || discountGroups.contains(Text(item, 13))) << no;
    for (int32_t unitField : {8, 5425}) {
      EXPECT_TRUE(units.contains(Text(item, unitField))) << no << " unit field " << unitField;
      EXPECT_TRUE(itemUnits.contains({Text(item, 1), Text(item, unitField)}))
          << no << " unit field " << unitField;
    }
    EXPECT_GT(Dec(item, 18), 0) << no;
    EXPECT_GT(Dec(item, 22), 0) << no;
  }
  EXPECT_GT(blocked, 0);
  EXPECT_LT(blocked, 100);
}

TEST_F(SampleCompany, ItemsIncludeAScannableSeriesAndOthers) {
  const std::vector<Record> items = All(27);
  const auto scanned = std::count_if(items.begin(), items.end(),
                                     [](const Record& r) { return Text(r, 1).starts_with(u"K0"); });
  EXPECT_GE(items.size(), 2000u);
  EXPECT_GE(scanned, 500);
  EXPECT_LT(static_cast<size_t>(scanned), items.size());
}

TEST_F(SampleCompany, LedgerEntriesAreNumberedInPostingOrderAndNameKnownItemsAndVariants) {
  const auto items = Keys(27);
  std::set<std::pair<std::u16string, std::u16string>> variants;
  for (const Record& r : All(5401)) variants.insert({Text(r, 1), Text(r, 2)});
  EXPECT_FALSE(variants.empty());
  const std::vector<Record> entries = All(32);
  ASSERT_GE(entries.size(), 1000u);
  int withVariant = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    const Record& e = entries[i];
    EXPECT_EQ(Int(e, 1), static_cast<int32_t>(i + 1));
    if (i > 0) {
      EXPECT_GE(Int(e, 3), Int(entries[i - 1], 3)) << "entry " << i + 1;
    }
    EXPECT_TRUE(items.contains(Text(e, 2))) << "entry " << i + 1;
    EXPECT_NE(Dec(e, 12), 0) << "entry " << i + 1;
    if (!Text(e, 8).empty()) {
      ++withVariant;
      EXPECT_TRUE(variants.contains({Text(e, 2), Text(e, 8)})) << "entry " << i + 1;
    }
  }
  EXPECT_GT(withVariant, 0);
}

TEST_F(SampleCompany, InventoryOfEveryItemIsTheSumOfItsLedgerQuantities) {
  std::map<std::u16string, double> expected;
  for (const Record& e : All(32)) expected[Text(e, 2)] += Dec(e, 12);
  std::unique_ptr<Cursor> cursor;
  ASSERT_TRUE(db_->OpenTable(27, &cursor).ok());
  int stocked = 0, soldOut = 0, scannedWithout = 0;
  for (Record item : All(27)) {
    ASSERT_TRUE(cursor->CalcFlowField(item, 50060).ok());
    const std::u16string& no = Text(item, 1);
    const double inventory = Dec(item, 50060);
    EXPECT_EQ(inventory, expected.contains(no) ? expected[no] : 0.0) << Utf8(no);
    EXPECT_GE(inventory, 0) << Utf8(no);
    if (!no.starts_with(u"K0")) continue;
    if (inventory != 0) ++stocked;
    if (inventory == 0) (expected.contains(no) ? soldOut : scannedWithout)++;
  }
  // The demo's scan reads names only of items with stock: both cases occur.
  EXPECT_GT(stocked, 0);
  EXPECT_GT(soldOut, 0);
  EXPECT_GT(scannedWithout, 0);
}

TEST_F(SampleCompany, CustomersLeaveTheDemoNumbersFreeAndHaveWhatAHeaderCopies) {
  const auto customerNos = Keys(18), customerGroups = Keys(92), businessGroups = Keys(250),
             vatBusinessGroups = Keys(323), countries = Keys(9), currencies = Keys(4),
             languages = Keys(8);
  int blocked = 0, billedElsewhere = 0, usableDomestic = 0;
  for (const Record& c : All(18)) {
    const std::u16string& no = Text(c, 1);
    EXPECT_FALSE(no.starts_with(u"35")) << Utf8(no) << " is in the demo's range 3501..3599";
    EXPECT_NE(no, u"3600");
    EXPECT_FALSE(Text(c, 2).empty()) << Utf8(no);
    EXPECT_TRUE(customerGroups.contains(Text(c, 21))) << Utf8(no);
    EXPECT_TRUE(businessGroups.contains(Text(c, 88))) << Utf8(no);
    EXPECT_TRUE(vatBusinessGroups.contains(Text(c, 110))) << Utf8(no);
    EXPECT_TRUE(countries.contains(Text(c, 35))) << Utf8(no);
    EXPECT_TRUE(languages.contains(Text(c, 24))) << Utf8(no);
    EXPECT_TRUE(Text(c, 22).empty() || currencies.contains(Text(c, 22))) << Utf8(no);
    if (!Text(c, 45).empty()) {
      ++billedElsewhere;
      EXPECT_TRUE(customerNos.contains(Text(c, 45))) << Utf8(no);
      EXPECT_NE(Text(c, 45), no);
    }
    if (Bool(c, 39)) ++blocked;
    if (!Bool(c, 39) && Text(c, 110) == u"NATIONAL" && Text(c, 22).empty()) ++usableDomestic;
  }
  EXPECT_GT(blocked, 0);
  EXPECT_GT(billedElsewhere, 0);
  EXPECT_GE(usableDomestic, 50);
}

TEST_F(SampleCompany, CurrenciesRoundAmountsAndSomeMoreCoarselyThanCents) {
  std::set<double> precisions;
  for (const Record& c : All(4)) {
    EXPECT_GT(Dec(c, 13), 0) << Utf8(Text(c, 1));
    precisions.insert(Dec(c, 13));
  }
  EXPECT_TRUE(precisions.contains(0.01));
  EXPECT_TRUE(precisions.contains(0.05));
  EXPECT_TRUE(precisions.contains(1.0));
}

TEST_F(SampleCompany, UnitsHaveTranslationsInTheLanguagesTheyName) {
  const auto units = Keys(204), languages = Keys(8);
  std::set<std::u16string> translatedToCzech;
  for (const Record& t : All(5402)) {
    EXPECT_TRUE(units.contains(Text(t, 1))) << Utf8(Text(t, 1));
    EXPECT_TRUE(languages.contains(Text(t, 2))) << Utf8(Text(t, 2));
    EXPECT_FALSE(Text(t, 3).empty());
    if (Text(t, 2) == u"CSY") translatedToCzech.insert(Text(t, 1));
  }
  EXPECT_EQ(translatedToCzech, units);
}

TEST_F(SampleCompany, AccountsCoverEveryOutcomeOfTheAccountLineChecks) {
  const auto productGroups = Keys(251);
  const auto vatSetup = VatSetup();
  int sellable = 0, notPosting = 0, blocked = 0, noDirectPosting = 0;
  for (const Record& a : All(15)) {
    if (Int(a, 4) != 0) {
      ++notPosting;
    } else if (Bool(a, 13)) {
      ++blocked;
    } else if (!Bool(a, 14)) {
      ++noDirectPosting;
    } else if (productGroups.contains(Text(a, 45)) &&
               vatSetup.contains({u"NATIONAL", Text(a, 58)}) &&
               Int(vatSetup.at({u"NATIONAL", Text(a, 58)}), 3) == 0) {
      ++sellable;
    }
  }
  EXPECT_GE(sellable, 3);
  EXPECT_GT(notPosting, 0);
  EXPECT_GT(blocked, 0);
  EXPECT_GT(noDirectPosting, 0);
}

TEST_F(SampleCompany, ResourcesNotBlockedCanBeSold) {
  const auto units = Keys(204), productGroups = Keys(251);
  const auto vatSetup = VatSetup();
  int blocked = 0, sellable = 0;
  for (const Record& r : All(156)) {
    if (Bool(r, 38)) {
      ++blocked;
      continue;
    }
    ++sellable;
    const std::string no = Utf8(Text(r, 1));
    EXPECT_TRUE(productGroups.contains(Text(r, 51))) << no;
    EXPECT_TRUE(units.contains(Text(r, 18))) << no;
    EXPECT_TRUE(vatSetup.contains({u"NATIONAL", Text(r, 58)})) << no;
    EXPECT_FALSE(Text(r, 3).empty()) << no;
  }
  EXPECT_GT(blocked, 0);
  EXPECT_GE(sellable, 3);
}

TEST_F(SampleCompany, StandardTextsHaveDescriptions) {
  const std::vector<Record> texts = All(7);
  EXPECT_GE(texts.size(), 3u);
  for (const Record& t : texts) EXPECT_FALSE(Text(t, 2).empty()) << Utf8(Text(t, 1));
}

// Item lines of unit factor 1 look for discounts of minimum quantity 0 to 1.
TEST_F(SampleCompany, EveryDiscountGroupHasADiscountFromQuantityOne) {
  const auto groups = Keys(341);
  std::set<std::u16string> fromOne;
  for (const Record& d : All(29)) {
    EXPECT_TRUE(groups.contains(Text(d, 1))) << Utf8(Text(d, 1));
    EXPECT_GT(Dec(d, 4), 0);
    EXPECT_LE(Dec(d, 4), 100);
    if (Dec(d, 3) <= 1) fromOne.insert(Text(d, 1));
  }
  EXPECT_EQ(fromOne, groups);
}

// The fixture was made by talmo-dbtool in another process; a fill here must give the same.
TEST(SampleFill, GivesTheSameCompanyOnEveryRun) {
  TempFolder folder;
  std::unique_ptr<Database> fresh = NewCompany(folder.File("fresh.db"));
  ASSERT_TRUE(fresh);
  const Status status = sample::FillSampleCompany(*fresh);
  ASSERT_TRUE(status.ok()) << status.ToString();
  std::unique_ptr<Database> made = testing_support::OpenCompany(
      testing_support::CopyOfSampleFixture(folder), sample::kDefaultCompanyName);
  ASSERT_TRUE(made);
  const auto dump = Dump(*fresh);
  EXPECT_GE(dump.size(), 20u);
  EXPECT_EQ(dump, Dump(*made));
}

TEST(SampleFill, RefusesACompanyWithDataAndLeavesItAsItWas) {
  TempFolder folder;
  std::unique_ptr<Database> db = testing_support::OpenCompany(
      testing_support::CopyOfSampleFixture(folder), sample::kDefaultCompanyName);
  ASSERT_TRUE(db);
  const auto before = Dump(*db);
  EXPECT_FALSE(sample::FillSampleCompany(*db).ok());
  EXPECT_FALSE(db->inWriteTransaction());
  EXPECT_EQ(Dump(*db), before);
}

TEST(SampleFill, RefusesToRunInsideTheCallersTransaction) {
  TempFolder folder;
  std::unique_ptr<Database> db = NewCompany(folder.File("busy.db"));
  ASSERT_TRUE(db);
  ASSERT_TRUE(db->BeginWrite().ok());
  EXPECT_FALSE(sample::FillSampleCompany(*db).ok());
  EXPECT_TRUE(db->inWriteTransaction());
  ASSERT_TRUE(db->Rollback().ok());
  EXPECT_TRUE(Dump(*db).empty());
}

}  // namespace
}  // namespace dbclient
