// Items of the sample company with their units, variants and ledger entries.
//
// Three series: K00001..K01000 (the items the demo scans with the filter K0*), K10001..K10200
// and 70000..71799. Every item can be sold: its units exist, its posting groups are filled and
// its VAT group has a domestic VAT setup; a few are blocked, never the first of a series.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "../schema/application_tables.h"
#include "sample_parts.h"

namespace dbclient::sample {

using namespace dbclient::application;

namespace {

struct Category {
  const char16_t* productGroup;    // general product posting group
  const char16_t* vatGroup;        // VAT product posting group
  const char16_t* inventoryGroup;  // inventory posting group
  const char16_t* baseUnit;
  bool packaged;  // also sold by the box or pack
  double lowPrice;
  double highPrice;
  std::vector<const char16_t*> nouns;
  std::vector<const char16_t*> details;
};

const std::vector<Category>& Categories() {
  static const std::vector<Category> categories = {
      {u"RETAIL",
       u"STANDARD",
       u"RESALE",
       u"PCS",
       true,
       2,
       900,
       {u"Šroub", u"Vrut", u"Matice", u"Podložka", u"Hmoždinka", u"Kladivo", u"Šroubovák",
        u"Kleště", u"Pilka", u"Svorka"},
       {u"M4", u"M5", u"M6", u"M8", u"M10", u"nerez", u"zinek", u"typ A", u"typ B", u"mini",
        u"profi"}},
      {u"RETAIL",
       u"STANDARD",
       u"RESALE",
       u"M",
       false,
       8,
       260,
       {u"Kabel CYKY", u"Kabel CYSY", u"Lano", u"Řetěz", u"Hadice"},
       {u"3x1,5", u"3x2,5", u"5x2,5", u"6 mm", u"10 mm", u"1/2\"", u"3/4\""}},
      {u"FOOD",
       u"REDUCED",
       u"RESALE",
       u"KG",
       false,
       25,
       780,
       {u"Káva zrnková", u"Čaj sypaný", u"Cukr třtinový", u"Rýže", u"Mouka", u"Oříšky"},
       {u"Brazílie", u"Keňa", u"Indie", u"bio", u"premium", u"klasik"}},
      {u"FOOD",
       u"REDUCED",
       u"RESALE",
       u"L",
       true,
       9,
       240,
       {u"Minerální voda", u"Džus", u"Olej", u"Ocet"},
       {u"0,5 l", u"1 l", u"1,5 l", u"5 l"}},
      {u"BOOKS",
       u"REDUCED",
       u"RESALE",
       u"PCS",
       false,
       90,
       1200,
       {u"Příručka", u"Katalog", u"Atlas", u"Kalendář"},
       {u"řemeslníka", u"zahrádkáře", u"2024", u"2025", u"stavebníka"}},
      {u"RETAIL",
       u"STANDARD",
       u"FINISHED",
       u"L",
       true,
       120,
       1900,
       {u"Barva fasádní", u"Lak na dřevo", u"Penetrace", u"Email syntetický"},
       {u"0,75 l", u"2,5 l", u"5 l", u"odstín bílý", u"odstín šedý"}},
      {u"MISC",
       u"NO VAT",
       u"RESALE",
       u"PCS",
       false,
       500,
       5000,
       {u"Dárkový poukaz"},
       {u"500 Kč", u"1000 Kč", u"2000 Kč", u"5000 Kč"}},
  };
  return categories;
}

struct Variant {
  const char16_t* code;
  const char16_t* description;
};

constexpr Variant kVariants[] = {
    {u"RED", u"červená barva"},
    {u"BLUE", u"modrá barva"},
    {u"GREEN", u"zelená barva"},
    {u"BLACK", u"černá barva"},
};

constexpr const char16_t* kDiscountGroups[] = {u"RETAIL",  u"RETAIL", u"WHOLESALE",
                                               u"SPECIAL", u"",       u""};
constexpr const char16_t* kLocations[] = {u"MAIN", u"MAIN", u"EAST", u"WEST"};

enum EntryType : int64_t { kPurchase = 0, kSale = 1, kPositiveAdjustment = 2 };

struct LedgerEntry {
  int day;  // days after the first posting date
  std::u16string item;
  std::u16string description;
  std::u16string variant;
  std::u16string location;
  EntryType type;
  double quantity;
  double remaining;
  std::u16string source;
};

struct Series {
  const char16_t* prefix;
  int first;
  int count;
  int width;
  bool withVariants;  // every 10th item comes in two variants
  // Items with ledger entries: stockedPerCycle out of every stockedCycle items.
  int stockedCycle;
  int stockedPerCycle;
};

constexpr Series kSeries[] = {
    {u"K", 1, 1000, 5, true, 3, 2},
    {u"K", 10001, 200, 5, false, 2, 1},
    {u"", 70000, 1800, 0, false, 4, 1},
};

class ItemFiller {
 public:
  ItemFiller(Database& db, Random& random)
      : random_(random),
        items_(db, kItemTable),
        units_(db, kItemUnitOfMeasureTable),
        variants_(db, kItemVariantTable) {}

  void FillSeries(const Series& series) {
    for (int index = 0; index < series.count; ++index) {
      const std::u16string number = Numbered(series.prefix, series.first + index, series.width);
      // The first item of a series is a plain hardware item sold in its base unit: the demo
      // sells it, and sales lines take the unit factor 1 whatever the unit.
      const Category& category =
          index == 0 ? Categories().front()
                     : Categories()[random_.Below(static_cast<uint32_t>(Categories().size()))];
      const std::u16string description =
          std::u16string(
              category.nouns[random_.Below(static_cast<uint32_t>(category.nouns.size()))]) +
          u" " + category.details[random_.Below(static_cast<uint32_t>(category.details.size()))];
      const std::u16string salesUnit = FillUnits(number, category, index > 0);
      const double price = random_.Amount(category.lowPrice, category.highPrice, 2);
      const double cost = std::round(price * random_.Amount(0.55, 0.8, 2) * 1000) / 1000;
      const bool blocked = index % 97 == 50;
      items_.Insert({{1, number},
                     {3, description},
                     {4, description},
                     {5, index % 9 == 4 ? u"skladem do 48 hodin" : u""},
                     {8, category.baseUnit},
                     {11, category.inventoryGroup},
                     {13, random_.Pick(kDiscountGroups)},
                     {18, price},
                     {22, cost},
                     {41, random_.Amount(0.05, 25, 3)},
                     {42, random_.Amount(0.04, 24, 3)},
                     {43, static_cast<double>(random_.Pick(kUnitsPerParcel))},
                     {44, random_.Amount(0.001, 0.2, 4)},
                     {54, blocked},
                     {91, category.productGroup},
                     {99, category.vatGroup},
                     {5425, salesUnit}});
      std::vector<std::u16string> variants;
      if (series.withVariants && index % 10 == 3) variants = FillVariants(number);
      if (index % series.stockedCycle < series.stockedPerCycle) {
        FillStock(number, description, variants, index);
      }
    }
  }

  // Ledger entries in posting order, numbered from 1.
  void WriteLedger(Database& db) {
    std::stable_sort(entries_.begin(), entries_.end(),
                     [](const LedgerEntry& a, const LedgerEntry& b) { return a.day < b.day; });
    TableWriter ledger(db, kItemLedgerEntryTable);
    int documentNo = 0;
    for (const LedgerEntry& e : entries_) {
      const int entryNo = ledger.count() + 1;
      const std::u16string document = Numbered(e.type == kSale       ? u"DL24-"
                                               : e.type == kPurchase ? u"PR24-"
                                                                     : u"IA24-",
                                               ++documentNo, 5);
      ledger.Insert({{1, int64_t{entryNo}},
                     {2, e.item},
                     {3, DateSerial{Day(2024, 1, 2).value + e.day}},
                     {4, static_cast<int64_t>(e.type)},
                     {5, e.source},
                     {6, document},
                     {7, e.description},
                     {8, e.variant},
                     {9, e.location},
                     {12, e.quantity},
                     {13, e.remaining},
                     {14, e.quantity},
                     {29, e.remaining != 0}});
    }
  }

 private:
  static constexpr int kUnitsPerParcel[] = {1, 4, 6, 10, 12, 24};

  // The item's units: its base unit, and for packaged goods a box or pack of several base
  // units. Returns the unit the item is sold in, the base unit unless another may be chosen.
  std::u16string FillUnits(const std::u16string& item, const Category& category,
                           bool otherSalesUnit) {
    units_.Insert({{1, item}, {2, category.baseUnit}, {3, 1.0}});
    if (!category.packaged || random_.OneIn(3)) return category.baseUnit;
    const bool box = random_.OneIn(2);
    static constexpr int kBoxSizes[] = {12, 24, 50};
    static constexpr int kPackSizes[] = {4, 6, 10};
    const int size = box ? random_.Pick(kBoxSizes) : random_.Pick(kPackSizes);
    const char16_t* unit = box ? u"BOX" : u"PACK";
    units_.Insert({{1, item}, {2, unit}, {3, static_cast<double>(size)}});
    return otherSalesUnit && random_.OneIn(2) ? unit : category.baseUnit;
  }

  std::vector<std::u16string> FillVariants(const std::u16string& item) {
    std::vector<std::u16string> codes;
    const uint32_t first = random_.Below(std::size(kVariants));
    for (uint32_t i = 0; i < 2; ++i) {
      const Variant& variant = kVariants[(first + i) % std::size(kVariants)];
      variants_.Insert({{1, item}, {2, variant.code}, {3, variant.description}});
      codes.emplace_back(variant.code);
    }
    return codes;
  }

  // A receipt, then a few sales from it; every 7th stocked item is sold out (inventory 0).
  // Items with variants get this per variant.
  void FillStock(const std::u16string& item, const std::u16string& description,
                 const std::vector<std::u16string>& variants, int index) {
    const std::vector<std::u16string> lots =
        variants.empty() ? std::vector<std::u16string>{u""} : variants;
    for (const std::u16string& variant : lots) {
      const double received = 10 + random_.Below(191);
      const int receivedDay = static_cast<int>(random_.Below(60));
      const std::u16string location = random_.Pick(kLocations);
      const EntryType receipt = random_.OneIn(5) ? kPositiveAdjustment : kPurchase;
      double left = received;
      std::vector<LedgerEntry> sales;
      const int saleCount = static_cast<int>(random_.Below(4));
      for (int s = 0; s < saleCount; ++s) {
        const double sold = 1 + random_.Below(static_cast<uint32_t>(received / 4));
        if (sold > left) break;
        left -= sold;
        sales.push_back({receivedDay + 1 + static_cast<int>(random_.Below(200)), item, description,
                         variant, location, kSale, -sold, 0,
                         CustomerNumber(static_cast<int>(random_.Below(kCustomerCount)))});
      }
      if (index % 7 == 0 && left > 0) {
        sales.push_back({receivedDay + 250, item, description, variant, location, kSale, -left, 0,
                         CustomerNumber(static_cast<int>(random_.Below(kCustomerCount)))});
        left = 0;
      }
      entries_.push_back({receivedDay, item, description, variant, location, receipt, received,
                          left, Numbered(u"V", 1 + static_cast<int>(random_.Below(40)), 4)});
      entries_.insert(entries_.end(), sales.begin(), sales.end());
    }
  }

  Random& random_;
  TableWriter items_;
  TableWriter units_;
  TableWriter variants_;
  std::vector<LedgerEntry> entries_;
};

}  // namespace

void FillItems(Database& db, Random& random) {
  ItemFiller filler(db, random);
  for (const Series& series : kSeries) filler.FillSeries(series);
  filler.WriteLedger(db);
}

}  // namespace dbclient::sample
