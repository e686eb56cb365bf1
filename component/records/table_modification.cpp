// `Table`: writing the record buffer back (Insert, Modify, Delete, DeleteAll) and
// calculating fields (CalcFields).
#include <vector>

#include "errors/fin_errors.h"
#include "records/table.h"
#include "records/table_internal.h"
#include "session/db_client.h"

namespace talmo {

using automation::Variant;
using table_internal::HandleArg;
namespace client = client_member;

bool Table::Insert(bool test) {
  GuardOn();
  CallUnchecked(client::kBeforeInsert);  // no error check follows
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  const int32_t result = Call(client::kInsert, table.ByRef(), record.ByRef()).ToLong();
  GuardOff();
  // The client refuses a duplicate key without an error of its own; the caller that does
  // not test the result gets the client's "record already exists" error.
  if (!test && result != -1) CheckClientError(table_internal::kRecordExistsCode, {});
  table_internal::CountOperation(tmpCountInsert_);
  return result == -1;
}

bool Table::Modify() {
  GuardOn();
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  // No error key reads 19.1008X: the directive accepts nothing, every error is raised.
  const std::u16string_view directives[] = {u"OK;19.1008X"};
  const int32_t result =
      CallWith(directives, client::kModify, table.ByRef(), record.ByRef()).ToLong();
  GuardOff();
  table_internal::CountOperation(tmpCountModify_);
  return result == -1;
}

bool Table::Delete() {
  GuardOn();
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  const int32_t result = Call(client::kDelete, table.ByRef(), record.ByRef()).ToLong();
  GuardOff();
  table_internal::CountOperation(tmpCountDelete_);
  return result == -1;
}

Variant Table::DeleteAll() {
  GuardOn();
  HandleArg table(cfHTable_);
  Call(client::kDeleteAll, table.ByRef());
  GuardOff();
  table_internal::CountOperation(tmpCountDelete_);
  return Variant();
}

void Table::CalcFields(std::span<const Variant> fields) {
  // Every identifier first: a bad one stops the call before anything is calculated.
  std::vector<int32_t> numbers;
  numbers.reserve(fields.size());
  for (const Variant& field : fields) numbers.push_back(FieldNo(field));
  GuardOn();
  HandleArg table(cfHTable_);
  HandleArg record(cfHRec_);
  for (const int32_t field : numbers) {
    Call(client::kCalcField, table.ByRef(), record.ByRef(), Variant(field));
  }
  GuardOff();
}

}  // namespace talmo
