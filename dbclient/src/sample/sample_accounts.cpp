// Accounts, standard texts and resources of the sample company.
#include "../schema/application_tables.h"
#include "sample_parts.h"

namespace dbclient::sample {

using namespace dbclient::application;

namespace {

void FillAccounts(Database& db) {
  enum AccountType : int64_t { kPosting = 0, kHeading = 1, kTotal = 2 };
  enum IncomeBalance : int64_t { kIncome = 0, kBalance = 1 };
  struct Account {
    const char16_t* number;
    const char16_t* name;
    AccountType type;
    IncomeBalance incomeBalance;
    bool directPosting;
    bool blocked;
    const char16_t* productGroup;  // general product posting group
    const char16_t* vatGroup;      // VAT product posting group
  };
  // Revenue accounts that allow direct posting can be sold on an account line; the output VAT
  // account is the one full-VAT lines post to, so it carries the full-VAT group itself.
  static constexpr Account kAccounts[] = {
      {u"30000", u"Receivables", kHeading, kBalance, false, false, u"", u""},
      {u"31110", u"Customers, domestic", kPosting, kBalance, false, false, u"", u""},
      {u"31120", u"Customers, foreign", kPosting, kBalance, false, false, u"", u""},
      {u"34300", u"VAT", kHeading, kBalance, false, false, u"", u""},
      {u"34310", u"Output VAT", kPosting, kBalance, true, false, u"MISC", u"FULL"},
      {u"34320", u"Input VAT", kPosting, kBalance, true, false, u"MISC", u"FULL"},
      {u"34399", u"VAT, total", kTotal, kBalance, false, false, u"", u""},
      {u"60000", u"Revenues", kHeading, kIncome, false, false, u"", u""},
      {u"60110", u"Sales of goods", kPosting, kIncome, true, false, u"RETAIL", u"STANDARD"},
      {u"60120", u"Sales of food", kPosting, kIncome, true, false, u"FOOD", u"REDUCED"},
      {u"60210", u"Sales of services", kPosting, kIncome, true, false, u"SERVICES", u"STANDARD"},
      {u"60220", u"Freight charged", kPosting, kIncome, true, false, u"MISC", u"STANDARD"},
      {u"60230", u"Packaging charged", kPosting, kIncome, true, false, u"MISC", u"STANDARD"},
      {u"60240", u"Exempt revenues", kPosting, kIncome, true, false, u"MISC", u"NO VAT"},
      {u"60410", u"Settlement revenues", kPosting, kIncome, false, false, u"MISC", u"STANDARD"},
      {u"60490", u"Old revenues (closed)", kPosting, kIncome, true, true, u"MISC", u"STANDARD"},
      {u"60999", u"Revenues, total", kTotal, kIncome, false, false, u"", u""},
  };
  TableWriter accounts(db, kGLAccountTable);
  for (const Account& a : kAccounts) {
    accounts.Insert({{1, a.number},
                     {2, a.name},
                     {3, a.name},
                     {4, static_cast<int64_t>(a.type)},
                     {9, static_cast<int64_t>(a.incomeBalance)},
                     {13, a.blocked},
                     {14, a.directPosting},
                     {43, int64_t{a.type == kPosting && a.incomeBalance == kIncome ? 2 : 0}},
                     {45, a.productGroup},
                     {58, a.vatGroup}});
  }
}

void FillStandardTexts(Database& db) {
  TableWriter texts(db, kStandardTextTable);
  struct Text {
    const char16_t* code;
    const char16_t* description;
  };
  static constexpr Text kTexts[] = {
      {u"THANKS", u"Děkujeme za Vaši objednávku."},
      {u"DELIVERY", u"Dodání do tří pracovních dnů od potvrzení."},
      {u"PICKUP", u"Osobní odběr ve skladu po předchozí domluvě."},
      {u"PAYMENT", u"Splatnost 14 dní od vystavení faktury."},
      {u"WARRANTY", u"Záruční doba 24 měsíců."},
      {u"RETURN", u"Zboží lze vrátit do 14 dnů v původním obalu."},
  };
  for (const Text& t : kTexts) texts.Insert({{1, t.code}, {2, t.description}});
}

void FillResources(Database& db) {
  enum ResourceType : int64_t { kPerson = 0, kMachine = 1 };
  struct Resource {
    const char16_t* number;
    ResourceType type;
    const char16_t* name;
    const char16_t* unit;
    double unitCost;
    double unitPrice;
    bool blocked;
  };
  static constexpr Resource kResources[] = {
      {u"NOVAK", kPerson, u"Jan Novák", u"HOUR", 420, 650, false},
      {u"SVOBODOVA", kPerson, u"Eva Svobodová", u"HOUR", 450, 700, false},
      {u"DVORAK", kPerson, u"Petr Dvořák", u"HOUR", 380, 590, true},
      {u"CERNA", kPerson, u"Lucie Černá", u"DAY", 3200, 4900, false},
      {u"LIFT", kMachine, u"Zvedací plošina", u"DAY", 1500, 2400, false},
      {u"TRUCK", kMachine, u"Nákladní vůz", u"HOUR", 610.5, 950, false},
      {u"DRILL", kMachine, u"Vrtací souprava", u"HOUR", 180.25, 320, false},
  };
  TableWriter resources(db, kResourceTable);
  for (const Resource& r : kResources) {
    resources.Insert({{1, r.number},
                      {2, static_cast<int64_t>(r.type)},
                      {3, r.name},
                      {4, r.name},
                      {18, r.unit},
                      {19, r.unitCost},
                      {21, r.unitCost},
                      {24, r.unitPrice},
                      {38, r.blocked},
                      {51, u"SERVICES"},
                      {58, u"STANDARD"}});
  }
}

}  // namespace

void FillAccountsTextsResources(Database& db) {
  FillAccounts(db);
  FillStandardTexts(db);
  FillResources(db);
}

}  // namespace dbclient::sample
