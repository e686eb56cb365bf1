// The tables of the built-in application schema, grouped as the application groups them.
#pragma once

#include <vector>

#include "dbclient/schema.h"

namespace dbclient::application {

// Version of the application schema a database is created with; raise it whenever a table,
// field or key changes, so that older databases are upgraded or refused, never misread.
inline constexpr int32_t kSchemaVersion = 1;

// Table numbers of the application.
enum TableNo : int32_t {
  kCurrencyTable = 4,
  kStandardTextTable = 7,
  kLanguageTable = 8,
  kCountryTable = 9,
  kLocationTable = 14,
  kGLAccountTable = 15,
  kCustomerTable = 18,
  kItemTable = 27,
  kLineDiscountTable = 29,
  kItemLedgerEntryTable = 32,
  kSalesHeaderTable = 36,
  kSalesLineTable = 37,
  kCustomerPostingGroupTable = 92,
  kInventoryPostingGroupTable = 94,
  kResourceTable = 156,
  kUnitOfMeasureTable = 204,
  kGenBusinessPostingGroupTable = 250,
  kGenProductPostingGroupTable = 251,
  kSalesSetupTable = 311,
  kVatBusinessPostingGroupTable = 323,
  kVatProductPostingGroupTable = 324,
  kVatPostingSetupTable = 325,
  kItemDiscountGroupTable = 341,
  kItemVariantTable = 5401,
  kUnitOfMeasureTranslationTable = 5402,
  kItemUnitOfMeasureTable = 5404,
};

// Setup and code tables: currencies, languages, countries, locations, units of measure,
// posting groups, VAT setup, sales setup.
std::vector<TableDef> SetupTables();

// Master data and entries: accounts, customers, items and their units, variants and
// ledger entries, line discounts, resources, standard texts.
std::vector<TableDef> MasterTables();

// Sales documents: headers and lines.
std::vector<TableDef> SalesTables();

}  // namespace dbclient::application
