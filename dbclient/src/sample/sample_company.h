// The sample company: a small, consistent trading company (setup, VAT, units, currencies,
// customers, a few thousand items with their ledger entries, resources, accounts), enough for
// every sales-line rule and every demo scenario to run on real data.
#pragma once

#include <string_view>

#include "dbclient/engine.h"
#include "dbclient/status.h"

namespace dbclient::sample {

// Name of the company the database tool creates when none is given.
inline constexpr std::u16string_view kDefaultCompanyName = u"Talmo Sample";

// Fills the company open in `db`, which must be empty, inside one write transaction of its
// own (none may be open). The content is the same on every run: every choice comes from a
// fixed seed. On failure the transaction is rolled back and the company stays empty.
Status FillSampleCompany(Database& db);

}  // namespace dbclient::sample
