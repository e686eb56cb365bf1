// Setup of the sample company: code tables, units, currencies, posting groups, VAT and
// discounts.
#include "../schema/application_tables.h"
#include "sample_parts.h"

namespace dbclient::sample {

using namespace dbclient::application;

namespace {

struct CodeRow {
  const char16_t* code;
  const char16_t* description;
};

void FillCodeTable(Database& db, int32_t tableNo, std::initializer_list<CodeRow> rows) {
  TableWriter table(db, tableNo);
  for (const CodeRow& row : rows) table.Insert({{1, row.code}, {2, row.description}});
}

void FillUnits(Database& db) {
  struct Unit {
    const char16_t* code;
    const char16_t* english;
    const char16_t* czech;
    const char16_t* german;
  };
  static constexpr Unit kUnits[] = {
      {u"PCS", u"Piece", u"kus", u"Stück"},
      {u"BOX", u"Box", u"krabice", u"Karton"},
      {u"PACK", u"Pack", u"balení", u"Packung"},
      {u"SET", u"Set", u"sada", u"Satz"},
      {u"KG", u"Kilogram", u"kilogram", u"Kilogramm"},
      {u"L", u"Litre", u"litr", u"Liter"},
      {u"M", u"Metre", u"metr", u"Meter"},
      {u"HOUR", u"Hour", u"hodina", u"Stunde"},
      {u"DAY", u"Day", u"den", u"Tag"},
  };
  TableWriter units(db, kUnitOfMeasureTable);
  TableWriter translations(db, kUnitOfMeasureTranslationTable);
  for (const Unit& unit : kUnits) {
    units.Insert({{1, unit.code}, {2, unit.english}});
    translations.Insert({{1, unit.code}, {2, u"CSY"}, {3, unit.czech}});
    translations.Insert({{1, unit.code}, {2, u"DEU"}, {3, unit.german}});
  }
}

void FillCurrencies(Database& db) {
  struct Currency {
    const char16_t* code;
    double invoiceRounding;
    double amountRounding;  // 0.05 and 1 give amounts with 1 and 0 decimals
    double unitAmountRounding;
    const char16_t* description;
  };
  static constexpr Currency kCurrencies[] = {
      {u"EUR", 0.01, 0.01, 0.00001, u"Euro"},
      {u"USD", 0.01, 0.01, 0.00001, u"US dollar"},
      {u"GBP", 0.01, 0.01, 0.00001, u"Pound sterling"},
      {u"CHF", 0.05, 0.05, 0.00001, u"Swiss franc"},
      {u"HUF", 1, 1, 0.01, u"Hungarian forint"},
      {u"JPY", 1, 1, 0.01, u"Japanese yen"},
  };
  TableWriter currencies(db, kCurrencyTable);
  for (const Currency& c : kCurrencies) {
    currencies.Insert({{1, c.code},
                       {2, Day(2024, 1, 2)},
                       {12, c.invoiceRounding},
                       {13, c.amountRounding},
                       {14, c.unitAmountRounding},
                       {15, c.description}});
  }
}

// VAT: domestic sales carry 0, 10 or 21 percent, the full-VAT group posts the whole line to
// the output VAT account, the sales-tax row exists for completeness (the rules refuse it),
// EU sales are reverse charge and exports carry none. There are no full-VAT or sales-tax
// rows outside the domestic group.
void FillVat(Database& db) {
  FillCodeTable(db, kVatBusinessPostingGroupTable,
                {{u"NATIONAL", u"Domestic customers"},
                 {u"EU", u"Customers in other EU countries"},
                 {u"EXPORT", u"Customers outside the EU"}});
  FillCodeTable(db, kVatProductPostingGroupTable,
                {{u"NO VAT", u"Exempt, 0 %"},
                 {u"REDUCED", u"Reduced rate, 10 %"},
                 {u"STANDARD", u"Standard rate, 21 %"},
                 {u"FULL", u"Full VAT"},
                 {u"SALES TAX", u"Sales tax"}});
  enum CalculationType : int64_t { kNormal = 0, kReverseCharge = 1, kFullVat = 2, kSalesTax = 3 };
  struct Setup {
    const char16_t* business;
    const char16_t* product;
    CalculationType type;
    double percent;
    const char16_t* identifier;
  };
  static constexpr Setup kSetup[] = {
      {u"NATIONAL", u"NO VAT", kNormal, 0, u"VAT0"},
      {u"NATIONAL", u"REDUCED", kNormal, 10, u"VAT10"},
      {u"NATIONAL", u"STANDARD", kNormal, 21, u"VAT21"},
      {u"NATIONAL", u"FULL", kFullVat, 100, u"FULL"},
      {u"NATIONAL", u"SALES TAX", kSalesTax, 0, u"TAX"},
      {u"EU", u"NO VAT", kReverseCharge, 0, u"VAT0"},
      {u"EU", u"REDUCED", kReverseCharge, 10, u"VAT10"},
      {u"EU", u"STANDARD", kReverseCharge, 21, u"VAT21"},
      {u"EXPORT", u"NO VAT", kNormal, 0, u"VAT0"},
      {u"EXPORT", u"REDUCED", kNormal, 0, u"VAT0"},
      {u"EXPORT", u"STANDARD", kNormal, 0, u"VAT0"},
  };
  TableWriter setup(db, kVatPostingSetupTable);
  for (const Setup& row : kSetup) {
    setup.Insert({{1, row.business},
                  {2, row.product},
                  {3, static_cast<int64_t>(row.type)},
                  {4, row.percent},
                  {7, u"34310"},
                  {8, u"34320"},
                  {12, row.identifier}});
  }
}

void FillPostingGroups(Database& db) {
  FillCodeTable(db, kGenBusinessPostingGroupTable,
                {{u"NATIONAL", u"Domestic customers"},
                 {u"EU", u"Customers in other EU countries"},
                 {u"EXPORT", u"Customers outside the EU"}});
  TableWriter products(db, kGenProductPostingGroupTable);
  struct Product {
    const char16_t* code;
    const char16_t* description;
    const char16_t* vatGroup;
  };
  static constexpr Product kProducts[] = {
      {u"RETAIL", u"Goods for resale", u"STANDARD"},       {u"FOOD", u"Food and drink", u"REDUCED"},
      {u"BOOKS", u"Books and printed matter", u"REDUCED"}, {u"SERVICES", u"Services", u"STANDARD"},
      {u"MISC", u"Other revenues", u"STANDARD"},
  };
  for (const Product& p : kProducts) {
    products.Insert({{1, p.code}, {2, p.description}, {3, p.vatGroup}});
  }
  TableWriter customerGroups(db, kCustomerPostingGroupTable);
  customerGroups.Insert({{1, u"DOMESTIC"}, {2, u"31110"}, {3, u"Domestic customers"}});
  customerGroups.Insert({{1, u"FOREIGN"}, {2, u"31120"}, {3, u"Foreign customers"}});
  FillCodeTable(db, kInventoryPostingGroupTable,
                {{u"RESALE", u"Goods for resale"},
                 {u"FINISHED", u"Finished products"},
                 {u"RAW MAT", u"Raw materials"}});
}

// Line discounts by item discount group and minimum quantity.
void FillDiscounts(Database& db) {
  FillCodeTable(db, kItemDiscountGroupTable,
                {{u"RETAIL", u"Retail quantity discounts"},
                 {u"WHOLESALE", u"Wholesale quantity discounts"},
                 {u"SPECIAL", u"Special offer"}});
  struct Discount {
    const char16_t* group;
    double minimumQuantity;
    double percent;
  };
  static constexpr Discount kDiscounts[] = {
      {u"RETAIL", 0, 2},     {u"RETAIL", 5, 4},        {u"RETAIL", 20, 6},  {u"WHOLESALE", 0, 5},
      {u"WHOLESALE", 10, 8}, {u"WHOLESALE", 50, 12.5}, {u"SPECIAL", 1, 10},
  };
  TableWriter discounts(db, kLineDiscountTable);
  for (const Discount& d : kDiscounts) {
    discounts.Insert({{1, d.group}, {3, d.minimumQuantity}, {4, d.percent}});
  }
}

}  // namespace

void FillSetup(Database& db) {
  TableWriter salesSetup(db, kSalesSetupTable);
  salesSetup.Insert({{1, u""}, {2, int64_t{3}}, {3, int64_t{0}}, {4, true}});
  FillCodeTable(db, kLanguageTable,
                {{u"CSY", u"Čeština"}, {u"DEU", u"Deutsch"}, {u"ENU", u"English"}});
  FillCodeTable(db, kCountryTable,
                {{u"CZ", u"Česká republika"},
                 {u"SK", u"Slovensko"},
                 {u"DE", u"Deutschland"},
                 {u"AT", u"Österreich"},
                 {u"US", u"United States"}});
  TableWriter locations(db, kLocationTable);
  locations.Insert(
      {{1, u"MAIN"}, {2, u"Hlavní sklad"}, {5, u"Skladová 12"}, {7, u"Praha"}, {8, u"190 00"}});
  locations.Insert(
      {{1, u"EAST"}, {2, u"Sklad Ostrava"}, {5, u"Průmyslová 4"}, {7, u"Ostrava"}, {8, u"702 00"}});
  locations.Insert(
      {{1, u"WEST"}, {2, u"Sklad Plzeň"}, {5, u"Železniční 33"}, {7, u"Plzeň"}, {8, u"301 00"}});
  FillUnits(db);
  FillCurrencies(db);
  FillVat(db);
  FillPostingGroups(db);
  FillDiscounts(db);
}

}  // namespace dbclient::sample
