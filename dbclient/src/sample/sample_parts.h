// The steps of filling the sample company, in the order FillSampleCompany runs them; each
// fails with FillError.
#pragma once

#include <string>

#include "dbclient/engine.h"
#include "sample_writer.h"

namespace dbclient::sample {

// Code tables, units of measure and their translations, currencies, posting groups, VAT
// setup, sales setup, item discount groups and line discounts.
void FillSetup(Database& db);

// Accounts, standard texts and resources.
void FillAccountsTextsResources(Database& db);

inline constexpr int kCustomerCount = 120;

// Number of the index-th customer (0-based): 10000, 10010, ...
std::u16string CustomerNumber(int index);

void FillCustomers(Database& db, Random& random);

// Items with their units of measure and variants, and the item ledger entries.
void FillItems(Database& db, Random& random);

}  // namespace dbclient::sample
