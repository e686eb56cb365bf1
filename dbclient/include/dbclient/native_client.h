// The database client's native interface: the members that a caller makes most often, as
// typed calls on the client object, beside its dispatch members. A caller finds it the way a
// dual interface is found: `client->QueryNative(NativeClient::kInterfaceId)` on the object
// that CreateObject made; any other client answers null and is called late bound.
//
// Header only: a caller includes it without linking the client library.
//
// Every method behaves exactly as the dispatch member it names: it clears the last error
// first, answers the same result, stores the same code for LastError() when it fails (and
// answers a zero value then), and is counted as a call of that member (the decimal ones as
// 83 and 82). No method throws.
// The object lives as long as the client object that handed it out.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "automation/variant.h"

namespace dbclient {

class NativeClient {
 public:
  static constexpr std::string_view kInterfaceId = "{9F78D5E4-A1B3-11CF-AF9F-00030F8047D7}";

  // Member 1 put: whether the client shows its errors itself.
  virtual void SetErrorDisplay(bool on) noexcept = 0;
  // Member 45: the code of the last failed call, 0 after one that succeeded. Reading it
  // changes nothing.
  virtual int32_t LastError() const noexcept = 0;

  // Tables and record buffers. Handles are those of the dispatch members; a failed open or
  // allocation answers 0.
  virtual int32_t OpenTable(int32_t tableNo) noexcept = 0;                  // 47
  virtual void CloseTable(int32_t table) noexcept = 0;                      // 13
  virtual int32_t AllocRecord(int32_t table) noexcept = 0;                  // 15
  virtual void FreeRecord(int32_t record) noexcept = 0;                     // 16
  virtual void InitRecord(int32_t table, int32_t record) noexcept = 0;      // 25
  virtual void CopyRecord(int32_t table, int32_t target, int32_t source) noexcept = 0;  // 17
  // Member 51: the current key's fields as a zero-based array of Long.
  virtual automation::Variant CurrentKey(int32_t table) noexcept = 0;

  // Searching, stepping and writing. True where the member answers -1.
  virtual void BeforeKeyLookup() noexcept = 0;  // 62
  virtual void BeforeInsert() noexcept = 0;     // 63
  virtual bool Find(int32_t table, int32_t record, std::u16string_view method) noexcept = 0;  // 19
  virtual int16_t Next(int32_t table, int32_t record, int16_t steps) noexcept = 0;          // 20
  virtual bool Insert(int32_t table, int32_t record) noexcept = 0;  // 21
  virtual bool Modify(int32_t table, int32_t record) noexcept = 0;  // 23
  virtual bool Delete(int32_t table, int32_t record) noexcept = 0;  // 22

  // A key look-up in one call, with the effects of the members a caller makes for one: 47 on
  // `tableNo`, 15, 25, 51, 56 with each of `keyValues` (by-reference ones read through) on
  // the primary key's fields in order, 62, 19 with "=", then 17 into `record` (a buffer of
  // that table) when found, 16 and 13. True when found. `keyFields` receives the primary
  // key's fields; with more values than those, the values that fit are stored, nothing is
  // searched and false is answered. A failure is the failing member's, as LastError().
  // Counted as those members.
  virtual bool LookUpByKey(int32_t tableNo, std::span<const automation::Variant> keyValues,
                           int32_t record, std::vector<int32_t>* keyFields) noexcept = 0;
  // An initialisation that keeps the primary key, in one call, with the effects of the
  // members a caller makes for one: 47 on `tableNo`, 15, 17 of `record` into that buffer, 51,
  // 25 on `table` and `record`, then 55 from the copy and 56 into `record` for each field of
  // the primary key, 16 and 13. A failure is the failing member's, as LastError(). Counted
  // as those members.
  virtual void InitKeepingKey(int32_t tableNo, int32_t table, int32_t record) noexcept = 0;

  // Member 29: the type code of a field of the table.
  virtual int16_t FieldType(int32_t table, int32_t field) noexcept = 0;
  // Member 34: the class code of a field of the table.
  virtual int16_t FieldClass(int32_t table, int32_t field) noexcept = 0;
  // Member 55: the value of a field of the record buffer as a Variant of the field's type.
  virtual automation::Variant GetField(int32_t table, int32_t record,
                                       int32_t field) noexcept = 0;
  // Member 56: stores a value into a field of the record buffer.
  virtual void SetField(int32_t table, int32_t record, int32_t field,
                        const automation::Variant& value) noexcept = 0;
  // Member 59: calculates a flow field of the record buffer.
  virtual void CalcField(int32_t table, int32_t record, int32_t field) noexcept = 0;
  // Members 80, 83, 88, 81: a Decimal (or Integer) field's value through a work value of
  // its own, as a double.
  virtual double GetDecimalField(int32_t table, int32_t record, int32_t field) noexcept = 0;
  // Members 80, 89, 82, 81: a double stored into a field with the field's conversion rules.
  virtual void SetDecimalField(int32_t table, int32_t record, int32_t field,
                               double value) noexcept = 0;

 protected:
  ~NativeClient() = default;
};

}  // namespace dbclient
