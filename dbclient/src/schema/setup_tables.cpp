// Setup and code tables of the application.
#include "application_tables.h"
#include "builders.h"

namespace dbclient::application {

using namespace schema_builder;

namespace {

// A code table: a code and what it stands for.
TableDef CodeTable(int32_t number, std::string name, std::string descriptionName) {
  return Table(number, std::move(name),
               {Code(1, "Code", 10), Text(2, std::move(descriptionName), 50)}, {{1}});
}

constexpr const char* kVatCalculationTypes = "Normal VAT,Reverse Charge VAT,Full VAT,Sales Tax";

}  // namespace

std::vector<TableDef> SetupTables() {
  std::vector<TableDef> tables;
  // Field 13 is the amount rounding precision (0.01, 0.05, 1); the sales-line rules derive
  // the number of decimals of amounts from it.
  tables.push_back(
      Table(kCurrencyTable, "Currency",
            {Code(1, "Code", 10), Date(2, "Last Date Modified"),
             Decimal(12, "Invoice Rounding Precision"), Decimal(13, "Amount Rounding Precision"),
             Decimal(14, "Unit-Amount Rounding Precision"), Text(15, "Description", 30)},
            {{1}}));
  tables.push_back(CodeTable(kLanguageTable, "Language", "Name"));
  tables.push_back(CodeTable(kCountryTable, "Country", "Name"));
  tables.push_back(Table(kLocationTable, "Location",
                         {Code(1, "Code", 10), Text(2, "Name", 50), Text(5, "Address", 50),
                          Text(7, "City", 30), Code(8, "Post Code", 20)},
                         {{1}}));
  tables.push_back(Table(kCustomerPostingGroupTable, "Customer Posting Group",
                         {Code(1, "Code", 10), Code(2, "Receivables Account", 20, kGLAccountTable),
                          Text(3, "Description", 50)},
                         {{1}}));
  tables.push_back(
      CodeTable(kInventoryPostingGroupTable, "Inventory Posting Group", "Description"));
  tables.push_back(CodeTable(kUnitOfMeasureTable, "Unit of Measure", "Description"));
  tables.push_back(
      CodeTable(kGenBusinessPostingGroupTable, "Gen. Business Posting Group", "Description"));
  tables.push_back(
      Table(kGenProductPostingGroupTable, "Gen. Product Posting Group",
            {Code(1, "Code", 10), Text(2, "Description", 50),
             Code(3, "Def. VAT Prod. Posting Group", 10, kVatProductPostingGroupTable)},
            {{1}}));
  // The one setup record has an empty primary key. Field 3 decides how a line's own discount
  // and its customer/item discount combine: added up, or one applied after the other.
  tables.push_back(Table(
      kSalesSetupTable, "Sales & Receivables Setup",
      {Code(1, "Primary Key", 10),
       Option(2, "Discount Posting", "No Discounts,Invoice Discounts,Line Discounts,All Discounts"),
       Option(3, "Discount Calculation", "Add Up,Compound"), Boolean(4, "Stockout Warning"),
       Boolean(5, "Ext. Doc. No. Mandatory")},
      {{1}}));
  tables.push_back(
      CodeTable(kVatBusinessPostingGroupTable, "VAT Business Posting Group", "Description"));
  tables.push_back(
      CodeTable(kVatProductPostingGroupTable, "VAT Product Posting Group", "Description"));
  // Field 7 is the account a full-VAT line must post to.
  tables.push_back(
      Table(kVatPostingSetupTable, "VAT Posting Setup",
            {Code(1, "VAT Bus. Posting Group", 10, kVatBusinessPostingGroupTable),
             Code(2, "VAT Prod. Posting Group", 10, kVatProductPostingGroupTable),
             Option(3, "VAT Calculation Type", kVatCalculationTypes), Decimal(4, "VAT %"),
             Code(7, "Sales VAT Account", 20, kGLAccountTable),
             Code(8, "Purchase VAT Account", 20, kGLAccountTable), Code(12, "VAT Identifier", 10)},
            {{1, 2}, {2, 1}}));
  tables.push_back(CodeTable(kItemDiscountGroupTable, "Item Discount Group", "Description"));
  tables.push_back(Table(kUnitOfMeasureTranslationTable, "Unit of Measure Translation",
                         {Code(1, "Code", 10, kUnitOfMeasureTable),
                          Code(2, "Language Code", 10, kLanguageTable), Text(3, "Description", 50)},
                         {{1, 2}}));
  return tables;
}

}  // namespace dbclient::application
