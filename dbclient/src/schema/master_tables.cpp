// Master data and entries of the application.
#include "application_tables.h"
#include "builders.h"

namespace dbclient::application {

using namespace schema_builder;

std::vector<TableDef> MasterTables() {
  std::vector<TableDef> tables;
  tables.push_back(Table(kStandardTextTable, "Standard Text",
                         {Code(1, "Code", 10), Text(2, "Description", 50)}, {{1}}));
  // Only posting accounts (type 0) that are not blocked can be sold on a line; without the
  // system-created flag a line also needs Direct Posting.
  tables.push_back(
      Table(kGLAccountTable, "G/L Account",
            {Code(1, "No.", 20), Text(2, "Name", 50), Code(3, "Search Name", 50),
             Option(4, "Account Type", "Posting,Heading,Total,Begin-Total,End-Total"),
             Option(9, "Income/Balance", "Income Statement,Balance Sheet"), Boolean(13, "Blocked"),
             Boolean(14, "Direct Posting"), Option(43, "Gen. Posting Type", " ,Purchase,Sale"),
             Code(44, "Gen. Bus. Posting Group", 10, kGenBusinessPostingGroupTable),
             Code(45, "Gen. Prod. Posting Group", 10, kGenProductPostingGroupTable),
             Code(56, "Tax Group Code", 10),
             Code(57, "VAT Bus. Posting Group", 10, kVatBusinessPostingGroupTable),
             Code(58, "VAT Prod. Posting Group", 10, kVatProductPostingGroupTable)},
            {{1}, {3}, {4}}));
  // A sales header copies the customer's name and address (2, 4 to 8, 91, 92, 35), its
  // posting groups (88, 110), tax data (108, 109) and VAT registration number (86); field 45
  // names another customer who is billed instead.
  tables.push_back(Table(kCustomerTable, "Customer",
                         {Code(1, "No.", 20),
                          Text(2, "Name", 50),
                          Code(3, "Search Name", 50),
                          Text(4, "Name 2", 50),
                          Text(5, "Address", 50),
                          Text(6, "Address 2", 50),
                          Text(7, "City", 30),
                          Text(8, "Contact", 50),
                          Text(9, "Phone No.", 30),
                          Decimal(20, "Credit Limit (LCY)"),
                          Code(21, "Customer Posting Group", 10, kCustomerPostingGroupTable),
                          Code(22, "Currency Code", 10, kCurrencyTable),
                          Code(24, "Language Code", 10, kLanguageTable),
                          Integer(26, "Statistics Group"),
                          Code(35, "Country Code", 10, kCountryTable),
                          Boolean(39, "Blocked"),
                          Code(45, "Bill-to Customer No.", 20, kCustomerTable),
                          Text(86, "VAT Registration No.", 20),
                          Code(88, "Gen. Bus. Posting Group", 10, kGenBusinessPostingGroupTable),
                          Code(91, "Post Code", 20),
                          Text(92, "County", 30),
                          Text(102, "E-Mail", 80),
                          Code(108, "Tax Area Code", 20),
                          Boolean(109, "Tax Liable"),
                          Code(110, "VAT Bus. Posting Group", 10, kVatBusinessPostingGroupTable)},
                         {{1}, {3}, {21}, {91}}));
  // Field 50060 is the item's inventory: the sum of the quantities of its ledger entries.
  tables.push_back(Table(kItemTable, "Item",
                         {Code(1, "No.", 20),
                          Text(3, "Description", 50),
                          Code(4, "Search Description", 50),
                          Text(5, "Description 2", 50),
                          Code(8, "Base Unit of Measure", 10, kUnitOfMeasureTable),
                          Code(11, "Inventory Posting Group", 10, kInventoryPostingGroupTable),
                          Code(13, "Item Disc. Group", 10, kItemDiscountGroupTable),
                          InitValue(Boolean(15, "Allow Invoice Disc."), "Yes"),
                          Decimal(18, "Unit Price"),
                          Decimal(22, "Unit Cost"),
                          Decimal(41, "Gross Weight"),
                          Decimal(42, "Net Weight"),
                          Decimal(43, "Units per Parcel"),
                          Decimal(44, "Unit Volume"),
                          Boolean(54, "Blocked"),
                          Code(91, "Gen. Prod. Posting Group", 10, kGenProductPostingGroupTable),
                          Code(98, "Tax Group Code", 10),
                          Code(99, "VAT Prod. Posting Group", 10, kVatProductPostingGroupTable),
                          Code(5425, "Sales Unit of Measure", 10, kUnitOfMeasureTable),
                          SumFlowField(50060, "Inventory", kItemLedgerEntryTable, 12, {{2, 1}})},
                         {{1}, {4}, {11}}));
  // Line discounts by item discount group and minimum quantity: the last record of a group
  // whose minimum quantity is within the line's range gives the discount.
  tables.push_back(Table(kLineDiscountTable, "Line Discount",
                         {Code(1, "Item Disc. Group", 10, kItemDiscountGroupTable),
                          Decimal(3, "Minimum Quantity"), Decimal(4, "Line Discount %")},
                         {{1, 3}}));
  tables.push_back(
      Table(kItemLedgerEntryTable, "Item Ledger Entry",
            {Integer(1, "Entry No."), Code(2, "Item No.", 20, kItemTable), Date(3, "Posting Date"),
             Option(4, "Entry Type", "Purchase,Sale,Positive Adjmt.,Negative Adjmt.,Transfer"),
             Code(5, "Source No.", 20), Code(6, "Document No.", 20), Text(7, "Description", 50),
             Code(8, "Variant Code", 10), Code(9, "Location Code", 10, kLocationTable),
             Decimal(12, "Quantity"), Decimal(13, "Remaining Quantity"),
             Decimal(14, "Invoiced Quantity"), Boolean(29, "Open")},
            {{1}, {2, 3}, {2, 8, 3}}));
  tables.push_back(
      Table(kResourceTable, "Resource",
            {Code(1, "No.", 20), Option(2, "Type", "Person,Machine"), Text(3, "Name", 50),
             Code(4, "Search Name", 50), Code(18, "Base Unit of Measure", 10, kUnitOfMeasureTable),
             Decimal(19, "Direct Unit Cost"), Decimal(21, "Unit Cost"), Decimal(24, "Unit Price"),
             Boolean(38, "Blocked"),
             Code(51, "Gen. Prod. Posting Group", 10, kGenProductPostingGroupTable),
             Code(57, "Tax Group Code", 10),
             Code(58, "VAT Prod. Posting Group", 10, kVatProductPostingGroupTable)},
            {{1}, {4}}));
  tables.push_back(
      Table(kItemVariantTable, "Item Variant",
            {Code(1, "Item No.", 20, kItemTable), Code(2, "Code", 10), Text(3, "Description", 50)},
            {{1, 2}}));
  // How many base units one unit of the item holds (a box of 12 pieces: 12).
  tables.push_back(
      Table(kItemUnitOfMeasureTable, "Item Unit of Measure",
            {Code(1, "Item No.", 20, kItemTable), Code(2, "Code", 10, kUnitOfMeasureTable),
             InitValue(Decimal(3, "Qty. per Unit of Measure"), "1")},
            {{1, 2}}));
  return tables;
}

}  // namespace dbclient::application
