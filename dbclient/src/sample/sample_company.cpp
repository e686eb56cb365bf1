// Fills the sample company in one write transaction.
#include "sample_company.h"

#include "sample_parts.h"

namespace dbclient::sample {

namespace {

constexpr uint32_t kSeed = 20240102;

}  // namespace

Status FillSampleCompany(Database& db) {
  if (Status status = db.BeginWrite(); !status.ok()) return status;
  try {
    Random random(kSeed);
    FillSetup(db);
    FillAccountsTextsResources(db);
    FillCustomers(db, random);
    FillItems(db, random);
  } catch (const FillError& error) {
    db.Rollback();
    return error.status();
  }
  return db.Commit();
}

}  // namespace dbclient::sample
