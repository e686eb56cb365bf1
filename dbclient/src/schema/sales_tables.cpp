// Sales documents: headers and their lines.
#include "application_tables.h"
#include "builders.h"

namespace dbclient::application {

using namespace schema_builder;

namespace {

constexpr const char* kDocumentTypes = "Quote,Order,Invoice,Credit Memo,Blanket Order,Return Order";

TableDef SalesHeader() {
  return Table(kSalesHeaderTable, "Sales Header",
               {Option(1, "Document Type", kDocumentTypes),
                Code(2, "Sell-to Customer No.", 20, kCustomerTable),
                Code(3, "No.", 20),
                Code(4, "Bill-to Customer No.", 20, kCustomerTable),
                Text(5, "Bill-to Name", 50),
                Text(6, "Bill-to Name 2", 50),
                Text(7, "Bill-to Address", 50),
                Text(8, "Bill-to Address 2", 50),
                Text(9, "Bill-to City", 30),
                Text(10, "Bill-to Contact", 50),
                Text(11, "Your Reference", 30),
                Code(12, "Ship-to Code", 10),
                Text(13, "Ship-to Name", 50),
                Text(14, "Ship-to Name 2", 50),
                Text(15, "Ship-to Address", 50),
                Text(16, "Ship-to Address 2", 50),
                Text(17, "Ship-to City", 30),
                Text(18, "Ship-to Contact", 50),
                Date(19, "Order Date"),
                Date(20, "Posting Date"),
                Date(21, "Shipment Date"),
                Text(22, "Posting Description", 50),
                Code(23, "Payment Terms Code", 10),
                Date(24, "Due Date"),
                Code(28, "Location Code", 10, kLocationTable),
                Code(29, "Shortcut Dimension 1 Code", 20),
                Code(30, "Shortcut Dimension 2 Code", 20),
                Code(31, "Customer Posting Group", 10, kCustomerPostingGroupTable),
                Code(32, "Currency Code", 10, kCurrencyTable),
                Decimal(33, "Currency Factor"),
                Code(34, "Customer Price Group", 10),
                Boolean(35, "Prices Including VAT"),
                Boolean(36, "Allow Line Disc."),
                Code(41, "Language Code", 10, kLanguageTable),
                Code(43, "Salesperson Code", 10),
                Code(56, "Job No.", 20),
                SumFlowField(60, "Amount", kSalesLineTable, 29, {{1, 1}, {3, 3}}),
                SumFlowField(61, "Amount Including VAT", kSalesLineTable, 30, {{1, 1}, {3, 3}}),
                Text(70, "VAT Registration No.", 20),
                Code(74, "Gen. Bus. Posting Group", 10, kGenBusinessPostingGroupTable),
                Code(76, "Transaction Type", 10),
                Code(77, "Transport Method", 10),
                Text(79, "Sell-to Customer Name", 50),
                Text(80, "Sell-to Customer Name 2", 50),
                Text(81, "Sell-to Address", 50),
                Text(82, "Sell-to Address 2", 50),
                Text(83, "Sell-to City", 30),
                Text(84, "Sell-to Contact", 50),
                Code(85, "Bill-to Post Code", 20),
                Text(86, "Bill-to County", 30),
                Code(87, "Bill-to Country Code", 10, kCountryTable),
                Code(88, "Sell-to Post Code", 20),
                Text(89, "Sell-to County", 30),
                Code(90, "Sell-to Country Code", 10, kCountryTable),
                Code(91, "Ship-to Post Code", 20),
                Text(92, "Ship-to County", 30),
                Code(93, "Ship-to Country Code", 10, kCountryTable),
                Code(97, "Exit Point", 10),
                Code(101, "Area", 10),
                Code(102, "Transaction Detail", 10),
                Code(114, "Tax Area Code", 20),
                Boolean(115, "Tax Liable"),
                Code(116, "VAT Bus. Posting Group", 10, kVatBusinessPostingGroupTable),
                Decimal(119, "VAT Base Discount %")},
               {{1, 3}, {1, 2}, {2}});
}

// Field 6 names a standard text, account, item or resource depending on the line type
// (field 5), so it carries no single related table; the line's own rules read and check it.
// Field 5407 has no related table either: an unknown unit code leaves the unit description
// empty instead of failing.
TableDef SalesLine() {
  return Table(
      kSalesLineTable, "Sales Line",
      {Option(1, "Document Type", kDocumentTypes),
       Code(2, "Sell-to Customer No.", 20, kCustomerTable),
       Code(3, "Document No.", 20),
       Integer(4, "Line No."),
       Option(5, "Type", " ,G/L Account,Item,Resource,Fixed Asset,Charge (Item)"),
       Code(6, "No.", 20),
       Code(7, "Location Code", 10, kLocationTable),
       Code(8, "Posting Group", 10),
       Code(9, "Item Disc. Group", 10, kItemDiscountGroupTable),
       Date(10, "Shipment Date"),
       Text(11, "Description", 50),
       Text(12, "Description 2", 50),
       Text(13, "Unit of Measure", 50),
       Decimal(15, "Quantity"),
       Decimal(16, "Outstanding Quantity"),
       Decimal(17, "Qty. to Invoice"),
       Decimal(18, "Qty. to Ship"),
       Decimal(22, "Unit Price"),
       Decimal(23, "Unit Cost (LCY)"),
       Decimal(25, "VAT %"),
       Decimal(26, "Quantity Disc. %"),
       Decimal(27, "Line Discount %"),
       Decimal(28, "Line Discount Amount"),
       Decimal(29, "Amount"),
       Decimal(30, "Amount Including VAT"),
       InitValue(Boolean(32, "Allow Invoice Disc."), "Yes"),
       Decimal(34, "Gross Weight"),
       Decimal(35, "Net Weight"),
       Decimal(36, "Units per Parcel"),
       Decimal(37, "Unit Volume"),
       Code(40, "Shortcut Dimension 1 Code", 20),
       Code(41, "Shortcut Dimension 2 Code", 20),
       Code(42, "Customer Price Group", 10),
       InitValue(Boolean(43, "Allow Line Disc."), "Yes"),
       Code(45, "Job No.", 20),
       Decimal(55, "Cust./Item Disc. %"),
       Decimal(57, "Outstanding Amount"),
       Decimal(58, "Qty. Shipped Not Invoiced"),
       Decimal(59, "Shipped Not Invoiced"),
       Decimal(60, "Quantity Shipped"),
       Decimal(61, "Quantity Invoiced"),
       Code(63, "Shipment No.", 20),
       Integer(64, "Shipment Line No."),
       Code(68, "Bill-to Customer No.", 20, kCustomerTable),
       Decimal(69, "Inv. Discount Amount"),
       Code(71, "Purchase Order No.", 20),
       Integer(72, "Purch. Order Line No."),
       Code(74, "Gen. Bus. Posting Group", 10, kGenBusinessPostingGroupTable),
       Code(75, "Gen. Prod. Posting Group", 10, kGenProductPostingGroupTable),
       Option(77, "VAT Calculation Type", "Normal VAT,Reverse Charge VAT,Full VAT,Sales Tax"),
       Code(78, "Transaction Type", 10),
       Code(79, "Transport Method", 10),
       Code(81, "Exit Point", 10),
       Code(82, "Area", 10),
       Code(83, "Transaction Detail", 10),
       Code(85, "Tax Area Code", 20),
       Boolean(86, "Tax Liable"),
       Code(87, "Tax Group Code", 10),
       Code(89, "VAT Bus. Posting Group", 10, kVatBusinessPostingGroupTable),
       Code(90, "VAT Prod. Posting Group", 10, kVatProductPostingGroupTable),
       Code(91, "Currency Code", 10, kCurrencyTable),
       Decimal(92, "Outstanding Amount (LCY)"),
       Decimal(93, "Shipped Not Invoiced (LCY)"),
       Decimal(95, "Reserved Quantity"),
       Decimal(99, "VAT Base Amount"),
       Decimal(100, "Unit Cost"),
       Boolean(101, "System-Created Entry"),
       InitValue(Decimal(5404, "Qty. per Unit of Measure"), "1"),
       Boolean(5405, "Completely Reserved"),
       Code(5407, "Unit of Measure Code", 10),
       Decimal(5415, "Quantity (Base)"),
       Decimal(5416, "Outstanding Qty. (Base)"),
       Decimal(5417, "Qty. to Invoice (Base)"),
       Decimal(5418, "Qty. to Ship (Base)"),
       Decimal(5458, "Qty. Shipped Not Invd. (Base)"),
       Decimal(5460, "Qty. Shipped (Base)"),
       Decimal(5461, "Qty. Invoiced (Base)"),
       Decimal(5495, "Reserved Qty. (Base)")},
      {{1, 3, 4}, {5, 6}, {2}});
}

}  // namespace

std::vector<TableDef> SalesTables() {
  std::vector<TableDef> tables;
  tables.push_back(SalesHeader());
  tables.push_back(SalesLine());
  return tables;
}

}  // namespace dbclient::application
