// `Table`: one open table of the database with one record buffer, reached by automation
// clients through its dispatch interface and by the component's own code (the record rules,
// `Database.AllocTable`) through the C++ members below.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "session/library_usage.h"

namespace dbclient {
class NativeClient;
}

namespace talmo {

// Field type codes, numbered as the database client reports them (member 29).
enum ftFieldType : int16_t {
  ftText = 0,
  ftDate = 1,
  ftTime = 2,
  ftBoolean = 3,
  ftInteger = 4,
  ftCode = 5,
  ftOption = 6,
  ftDecimal = 7,
  ftBLOB = 8,
};

// Interface and class identifiers of `_Table` / `Table`.
inline constexpr std::string_view kTableIid = "{9B94EF0C-5F7C-4564-A5D6-8426302FE33E}";
inline constexpr std::string_view kTableClsid = "{50354370-7146-4F60-A1A0-DB5A77E59C2C}";

// Dispatch ids of `_Table`, in interface slot order. The get and put of one property share
// one id; `Field` is the default member.
//
//   id  member            kind             id  member           kind
//    1  cfHTable          get/let          21  Init             method
//    2  cfHRec            get/let          22  Reset            method
//    3  EntryProcess      get/set          23  LockTable        method
//    4  tmpCountGet       get/let          24  SetRange         method
//    5  tmpCountFind      get/let          25  SetFilter        method
//    6  tmpCountFieldGet  get/let          26  Count            get
//    7  tmpCountFieldLet  get/let          27  SetCurrentKey    method (ParamArray)
//    8  tmpCountModify    get/let          28  GetCurrentKey    method
//    9  tmpCountInsert    get/let          29  FieldNo          method
//   10  tmpCountDelete    get/let          30  Name             get
//   11  AutoCalcFields    get/let          31  TableNo          get
//   12  Alloc             method            0  Field            get/let (default member)
//   13  GetRec            method (ParamA.) 32  Validate         method
//   14  GetRecT           method (ParamA.) 33  TestField        method
//   15  Find              method           34  CalcFields       method (ParamArray)
//   16  NextRec           method           35  FieldName        get
//   17  Modify            method           36  FieldType        get
//   18  Insert            method           37  FieldClass       get
//   19  Delete            method           38  FieldLen         get
//   20  DeleteAll         method           39  FieldOptionStr   get
namespace table_dispid {
inline constexpr automation::DispId kField = 0;
inline constexpr automation::DispId kcfHTable = 1;
inline constexpr automation::DispId kcfHRec = 2;
inline constexpr automation::DispId kEntryProcess = 3;
inline constexpr automation::DispId ktmpCountGet = 4;
inline constexpr automation::DispId ktmpCountFind = 5;
inline constexpr automation::DispId ktmpCountFieldGet = 6;
inline constexpr automation::DispId ktmpCountFieldLet = 7;
inline constexpr automation::DispId ktmpCountModify = 8;
inline constexpr automation::DispId ktmpCountInsert = 9;
inline constexpr automation::DispId ktmpCountDelete = 10;
inline constexpr automation::DispId kAutoCalcFields = 11;
inline constexpr automation::DispId kAlloc = 12;
inline constexpr automation::DispId kGetRec = 13;
inline constexpr automation::DispId kGetRecT = 14;
inline constexpr automation::DispId kFind = 15;
inline constexpr automation::DispId kNextRec = 16;
inline constexpr automation::DispId kModify = 17;
inline constexpr automation::DispId kInsert = 18;
inline constexpr automation::DispId kDelete = 19;
inline constexpr automation::DispId kDeleteAll = 20;
inline constexpr automation::DispId kInit = 21;
inline constexpr automation::DispId kReset = 22;
inline constexpr automation::DispId kLockTable = 23;
inline constexpr automation::DispId kSetRange = 24;
inline constexpr automation::DispId kSetFilter = 25;
inline constexpr automation::DispId kCount = 26;
inline constexpr automation::DispId kSetCurrentKey = 27;
inline constexpr automation::DispId kGetCurrentKey = 28;
inline constexpr automation::DispId kFieldNo = 29;
inline constexpr automation::DispId kName = 30;
inline constexpr automation::DispId kTableNo = 31;
inline constexpr automation::DispId kValidate = 32;
inline constexpr automation::DispId kTestField = 33;
inline constexpr automation::DispId kCalcFields = 34;
inline constexpr automation::DispId kFieldName = 35;
inline constexpr automation::DispId kFieldType = 36;
inline constexpr automation::DispId kFieldClass = 37;
inline constexpr automation::DispId kFieldLen = 38;
inline constexpr automation::DispId kFieldOptionStr = 39;
}  // namespace table_dispid

// One table handle and one record buffer inside the database client.
//
// Every member raises automation::AutomationError on failure; the steps after the failing
// one are not run and nothing done before it is undone. Each operation turns the client's
// error display on before its first client call and off after its last one, and checks the
// client's last error after each call. Inner calls of one member to another (FieldNo, Field,
// FieldType, ...) behave exactly as a client's call, operation counters included.
//
// A field identifier (`id`) is a field number (Integer or Long) or a field name (String);
// anything else raises 999. An optional argument is "not given" when the pointer is null or
// points at Variant::Missing().
class Table final : public automation::DispatchObject {
 public:
  // An unbound table: both handles 0, counters 0, no record-rule object.
  Table();
  // Release steps: clears the record-rule object's back link "Rec" and drops it; then, only
  // while connected, frees the record buffer before closing the table handle. Errors of the
  // release are swallowed (a destructor cannot report them).
  ~Table() override;

  // ---- Public properties. Clients may overwrite every one of them.
  int32_t cfHTable() const noexcept { return cfHTable_; }
  void SetcfHTable(int32_t handle) noexcept { cfHTable_ = handle; }
  int32_t cfHRec() const noexcept { return cfHRec_; }
  void SetcfHRec(int32_t handle) noexcept { cfHRec_ = handle; }
  // The record-rule object that Validate hands assignments to; may be empty.
  const automation::Ref<automation::Dispatch>& EntryProcess() const noexcept {
    return entryProcess_;
  }
  void SetEntryProcess(automation::Ref<automation::Dispatch> rules) noexcept;

  // Operation counters: each rises by one at the very end of a successful call; a counter
  // at 2147483647 raises error 6 after the operation's database work is done.
  int32_t tmpCountGet() const noexcept { return tmpCountGet_; }
  int32_t tmpCountFind() const noexcept { return tmpCountFind_; }
  int32_t tmpCountFieldGet() const noexcept { return tmpCountFieldGet_; }
  int32_t tmpCountFieldLet() const noexcept { return tmpCountFieldLet_; }
  int32_t tmpCountModify() const noexcept { return tmpCountModify_; }
  int32_t tmpCountInsert() const noexcept { return tmpCountInsert_; }
  int32_t tmpCountDelete() const noexcept { return tmpCountDelete_; }
  void SettmpCountGet(int32_t v) noexcept { tmpCountGet_ = v; }
  void SettmpCountFind(int32_t v) noexcept { tmpCountFind_ = v; }
  void SettmpCountFieldGet(int32_t v) noexcept { tmpCountFieldGet_ = v; }
  void SettmpCountFieldLet(int32_t v) noexcept { tmpCountFieldLet_ = v; }
  void SettmpCountModify(int32_t v) noexcept { tmpCountModify_ = v; }
  void SettmpCountInsert(int32_t v) noexcept { tmpCountInsert_ = v; }
  void SettmpCountDelete(int32_t v) noexcept { tmpCountDelete_ = v; }

  // When true, reading a field of class 1 (calculated) first has the client calculate it.
  bool AutoCalcFields() const noexcept { return autoCalcFields_; }
  void SetAutoCalcFields(bool on) noexcept { autoCalcFields_ = on; }

  // ---- Binding and the record buffer.

  // Stores `id` as the table number, opens the table (cfHTable) and allocates and
  // initialises the record buffer (cfHRec). Handles already held are neither checked nor
  // released. The number is kept even when a later step fails.
  void Alloc(int32_t id);
  // Returns every field of the buffer to its initial value except the primary-key fields.
  void Init();
  // Replaces the record buffer by a fresh copy of itself: same content, new cfHRec.
  void Reset();

  // ---- Fields and metadata.

  // The field number of `fieldVariant`: an Integer/Long as it is (no client call), a String
  // through the client; any other type raises 999.
  int32_t FieldNo(const automation::Variant& fieldVariant) {
    const automation::VarType type = fieldVariant.type();
    if (type == automation::VarType::kLong || type == automation::VarType::kInteger) {
      return fieldVariant.ToLong();
    }
    return FieldNoOfName(fieldVariant);
  }
  // The value of one field of the buffer: decimals as a Double, every other type exactly as
  // the client produced it.
  automation::Variant Field(const automation::Variant& id);
  // Assigns one field of the buffer; a decimal field takes the value converted to a Double
  // (13 when it does not convert, nothing stored).
  void SetField(const automation::Variant& id, const automation::Variant& value);
  std::u16string FieldName(const automation::Variant& id);
  int16_t FieldType(const automation::Variant& id);  // ftFieldType numbering
  int16_t FieldClass(const automation::Variant& id);
  int16_t FieldLen(const automation::Variant& id);
  std::u16string FieldOptionStr(const automation::Variant& id);
  // The table's name, from the client.
  std::u16string Name();
  // The number given to Alloc; calls nothing.
  int32_t TableNo() const noexcept { return tableNo_; }

  // ---- Retrieval, keys and filters. These leave found records in the object's buffer.

  // Looks up the record whose primary key holds `fieldData` (in key order; missing trailing
  // values stay at their initial values) on a temporary table handle and copies it into the
  // buffer. Returns Boolean true; a missing record raises 999 naming the table and the key
  // values, more values than key fields raise 9.
  automation::Variant GetRec(std::span<const automation::Variant> fieldData);
  // As GetRec, but returns whether the record was found instead of raising.
  bool GetRecT(std::span<const automation::Variant> fieldData);
  // Searches with the client's search method ("=", "-", "+", ">", ...). The client's
  // "record not found" answers make it return false; other errors raise.
  bool Find(std::u16string_view searchMetod);
  // Steps through the set; returns the client's step result unchanged.
  int16_t NextRec(int16_t step = 1);
  // Limits `field` to min..max. A missing max is the min; a min equal to Empty under Variant
  // comparison (Empty, 0, False, "") removes the field's filter instead.
  void SetRange(const automation::Variant& field, const automation::Variant* minValue = nullptr,
                const automation::Variant* maxValue = nullptr);
  // Sets the client filter expression of one field ("" removes it).
  void SetFilter(const automation::Variant& field, std::u16string_view filterStr);
  // Selects the key made of `fields`; returns whether the client accepted it. An empty list
  // returns false without any client call.
  bool SetCurrentKey(std::span<const automation::Variant> fields);
  // The current key's field numbers as the client returns them (zero-based array).
  automation::Variant GetCurrentKey();
  // Number of records within the filters.
  int32_t Count();
  void LockTable(bool wait);

  // ---- Modification and validation.

  // Inserts the buffer. A refused insert returns false when `test` is true and raises the
  // client's "record already exists" error otherwise.
  bool Insert(bool test = false);
  bool Modify();
  bool Delete();
  // Deletes every record within the filters; returns Empty.
  automation::Variant DeleteAll();
  // Assigns `newValue` (or re-validates the current value when not given) through the
  // record-rule object when there is one, else directly; then checks a non-empty value
  // against the table the field relates to (999 when it is not there).
  void Validate(const automation::Variant& id, const automation::Variant* newValue = nullptr);
  // Without `newValue`: the field must be filled (998). With it: the field must equal it
  // (998). BLOB fields cannot be tested for being filled (999).
  void TestField(const automation::Variant& id, const automation::Variant* newValue = nullptr);
  // Calculates the given fields of class 1; every identifier is resolved before any
  // calculation.
  void CalcFields(std::span<const automation::Variant> fields);

  std::u16string ClassName() const override { return u"Table"; }

 protected:
  void InvokeMember(automation::DispId id, automation::InvokeKind kind,
                    std::span<automation::Variant> args, automation::Variant& result) override;
  std::span<const automation::MemberName> MemberNames() const noexcept override;

 private:
  // FieldNo of anything but a whole number: a String through the client, else 999.
  int32_t FieldNoOfName(const automation::Variant& fieldVariant);
  bool LookUpByKey(std::span<const automation::Variant> fieldData, std::u16string* message);
  bool LookUpByKeyNative(dbclient::NativeClient& native,
                         std::span<const automation::Variant> fieldData, std::u16string* keyText);
  void ReleaseHandles() noexcept;
  // The type and class codes of a field of cfHTable (checked). A client with the native
  // interface is asked once per field of an open table: they never change while it is open,
  // and a handle number is never given to another table.
  int16_t TypeOfField(int32_t field);
  int16_t ClassOfField(int32_t field);
  // The parts of Field that most reads skip, out of line so that the read stays small: the
  // calculation of a flow field under AutoCalcFields, and the late-bound read by type.
  [[gnu::noinline]] void CalcIfFlowField(int32_t field);
  [[gnu::noinline]] automation::Variant FieldByType(int32_t field);

  LiveObject live_;  // keeps the library loaded while a client holds the table
  int32_t cfHTable_ = 0;
  int32_t cfHRec_ = 0;
  automation::Ref<automation::Dispatch> entryProcess_;
  int32_t tmpCountGet_ = 0;
  int32_t tmpCountFind_ = 0;
  int32_t tmpCountFieldGet_ = 0;
  int32_t tmpCountFieldLet_ = 0;
  int32_t tmpCountModify_ = 0;
  int32_t tmpCountInsert_ = 0;
  int32_t tmpCountDelete_ = 0;
  bool autoCalcFields_ = false;
  int32_t tableNo_ = 0;
  // Field types and classes of the table handle knownFieldsTable_ (native path only), at the
  // slot of the field number modulo the size: a table's rules use a few dozen fields, and a
  // field that meets another in its slot is asked again. Allocates nothing for the many
  // short-lived tables of the record rules.
  struct KnownField {
    int32_t field = 0;
    int16_t type = -1;  // none yet
    int16_t fieldClass = -1;
  };
  KnownField& KnownSlot(int32_t field);
  int32_t knownFieldsTable_ = 0;
  std::array<KnownField, 64> knownFields_{};
  std::vector<int32_t> lookupKeyFields_;  // the primary key of the last native look-up
};

}  // namespace talmo
