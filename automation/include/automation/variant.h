// Automation values (Variants) with the OLE Automation coercion, comparison and
// arithmetic rules that the component's callers and its record rules depend on.
#pragma once

#include <cstdint>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "automation/ref.h"

namespace automation {

class Dispatch;
class Variant;

// VarType codes; an array reports kArray + its element type (a Variant array is 8204).
enum class VarType : uint16_t {
  kEmpty = 0,
  kNull = 1,
  kInteger = 2,
  kLong = 3,
  kSingle = 4,
  kDouble = 5,
  kCurrency = 6,
  kDate = 7,
  kString = 8,
  kObject = 9,
  kError = 10,
  kBoolean = 11,
  kVariant = 12,
  kByte = 17,
  kArray = 0x2000,
};

// A 64-bit fixed-point number with 4 decimals: the value times 10 000.
struct Currency {
  int64_t scaled = 0;
  static constexpr int64_t kScale = 10000;
  friend bool operator==(Currency, Currency) = default;
};

// A one-dimensional array of Variants with a lower bound (the automation SAFEARRAY of
// VARIANT). UBound = LBound + size - 1, so an empty array has UBound LBound - 1.
class VariantArray {
 public:
  VariantArray() = default;
  explicit VariantArray(std::vector<Variant> items, int32_t lowerBound = 0);

  int32_t LBound() const noexcept { return lower_; }
  int32_t UBound() const noexcept;
  size_t size() const noexcept;
  // Element by automation index; an index outside the bounds raises error 9.
  Variant& at(int32_t index);
  const Variant& at(int32_t index) const;
  // Changes the upper bound keeping the contents (ReDim Preserve).
  void ResizePreserve(int32_t upperBound);

  std::vector<Variant>& items() noexcept { return items_; }
  const std::vector<Variant>& items() const noexcept { return items_; }

 private:
  std::vector<Variant> items_;
  int32_t lower_ = 0;
};

// An automation value. Copies are deep (a copied array or string is independent);
// an Object Variant holds a counted reference.
//
// By reference: Variant::ByRef(&target) refers to a caller's Variant, so a callee can
// write through it. Every reader (type(), the To* coercions, comparison, arithmetic)
// looks through the reference; Assign() writes through it. IsByRef() tells the two apart.
class Variant {
 public:
  // The plain kinds are built inline: every call passes and answers some.
  Variant() noexcept {}  // Empty
  Variant(int16_t v) noexcept : kind_(Kind::kInteger) { plain_.integer = v; }
  Variant(int32_t v) noexcept : kind_(Kind::kLong) { plain_.long_ = v; }
  Variant(float v) noexcept : kind_(Kind::kSingle) { plain_.single = v; }
  Variant(double v) noexcept : kind_(Kind::kDouble) { plain_.real = v; }
  Variant(Currency v) noexcept : kind_(Kind::kCurrency) { plain_.currency = v; }
  Variant(bool v) noexcept : kind_(Kind::kBoolean) { plain_.boolean = v; }  // True is -1
  Variant(uint8_t v) noexcept : kind_(Kind::kByte) { plain_.byte = v; }
  Variant(std::u16string v) noexcept;  // String
  Variant(std::u16string_view v);      // String
  Variant(const char16_t* v);          // String
  Variant(Ref<Dispatch> v) noexcept;   // Object (may be Nothing)
  Variant(VariantArray v);             // Array of Variants
  Variant(const char*) = delete;       // strings are UTF-16; say u"..." or FromUtf8

  // True for the serial of an automation date: 100-01-01 up to the end of 9999-12-31.
  static constexpr bool IsDateSerial(double serial) noexcept {
    return serial > -657435.0 && serial < 2958466.0;
  }

  static Variant Null() noexcept;
  static Variant Date(double serial) noexcept;  // days since 1899-12-30, fraction = time
  static Variant Nothing() noexcept;            // Object holding no reference
  // The scode of an omitted optional argument (DISP_E_PARAMNOTFOUND).
  static constexpr int32_t kMissingScode = static_cast<int32_t>(0x80020004u);
  static Variant Missing() noexcept;            // Error kMissingScode
  static Variant ErrorCode(int32_t scode) noexcept;
  static Variant ByRef(Variant* target) noexcept;

  Variant(const Variant& other);
  // Moves of plain values and texts, the values of nearly every call, run inline.
  Variant(Variant&& other) noexcept : kind_(other.kind_) {
    if (IsPlain(kind_)) {
      plain_ = other.plain_;
    } else if (kind_ == Kind::kString) {
      TakeString(other);
    } else {
      MoveOwnedFrom(other);
    }
    other.kind_ = Kind::kEmpty;
  }
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept {
    if (IsPlain(kind_) && IsPlain(other.kind_)) {
      kind_ = other.kind_;
      plain_ = other.plain_;
      other.kind_ = Kind::kEmpty;
    } else if (IsPlain(kind_) && other.kind_ == Kind::kString) {
      kind_ = Kind::kString;
      TakeString(other);
      other.kind_ = Kind::kEmpty;
    } else if (this != &other) {
      MoveAssignOwned(other);
    }
    return *this;
  }
  ~Variant() {
    if (kind_ == Kind::kString) {
      string_.~basic_string();
    } else if (!IsPlain(kind_)) {
      DestroyOwned();
    }
  }

  // The type of the value (looking through a by-reference Variant). Inline, as Deref: both
  // are on the path of every call.
  VarType type() const noexcept { return TypeOfKind(Deref().kind_); }
  bool IsByRef() const noexcept;
  bool IsEmpty() const noexcept { return type() == VarType::kEmpty; }
  bool IsNull() const noexcept { return type() == VarType::kNull; }
  // Error holding the missing-argument code.
  bool IsMissing() const noexcept {
    const Variant& value = Deref();
    return value.kind_ == Kind::kError && value.plain_.scode == kMissingScode;
  }
  bool IsArray() const noexcept { return type() == VarType::kArray; }
  bool IsObject() const noexcept { return type() == VarType::kObject; }
  bool IsNumeric() const noexcept;  // Integer..Currency, Date, Boolean, Byte

  // The Variant itself, or the target of a by-reference Variant.
  const Variant& Deref() const noexcept {
    return kind_ == Kind::kByRef ? *plain_.target : *this;
  }
  Variant& Deref() noexcept { return kind_ == Kind::kByRef ? *plain_.target : *this; }
  // Stores `value` into this Variant, or into the target of a by-reference Variant.
  void Assign(Variant value);

  // Coercions with the automation rules: banker's rounding to integers, error 6 when
  // out of range, 13 when the value does not convert, 94 for Null. An Object converts
  // through its default member (dispatch id 0); Nothing raises 91.
  // ToInteger, ToLong, ToDouble, ToDate and ToBoolean are inline for the kinds they mostly
  // meet (handles, field numbers, steps, amounts, dates, flags).
  int16_t ToInteger() const {
    const Variant& value = Deref();
    return value.kind_ == Kind::kInteger ? value.plain_.integer : ToIntegerCoerced();
  }
  int32_t ToLong() const {
    const Variant& value = Deref();
    if (value.kind_ == Kind::kLong) return value.plain_.long_;
    if (value.kind_ == Kind::kInteger) return value.plain_.integer;
    return ToLongCoerced();
  }
  uint8_t ToByte() const;
  float ToSingle() const;
  double ToDouble() const {
    const Variant& value = Deref();
    if (value.kind_ == Kind::kDouble) return value.plain_.real;
    if (value.kind_ == Kind::kLong) return value.plain_.long_;
    return ToDoubleCoerced();
  }
  Currency ToCurrency() const;
  double ToDate() const {
    const Variant& value = Deref();
    if (value.kind_ == Kind::kDate && IsDateSerial(value.plain_.real)) return value.plain_.real;
    return ToDateCoerced();
  }
  bool ToBoolean() const {
    const Variant& value = Deref();
    return value.kind_ == Kind::kBoolean ? value.plain_.boolean : ToBooleanCoerced();
  }
  // CStr: the text form of the value. A String Variant about to go hands its text over.
  std::u16string ToString() const&;
  std::u16string ToString() && {
    if (kind_ != Kind::kString) return ToString();
    std::u16string text = std::move(string_);
    string_.~basic_string();
    kind_ = Kind::kEmpty;
    return text;
  }
  // The object reference; 424 when the value is not an Object (Nothing gives null).
  Ref<Dispatch> ToObject() const;
  // The array; 13 when the value is not an array.
  const VariantArray& ToArray() const;
  VariantArray& ToArray();

  // Converts to the given type (VariantChangeType with the rules above).
  Variant ChangeType(VarType target) const;

  // The storage invariants: a reference points at a value that is not itself a
  // reference, and an array Variant owns an array. Used in debug assertions.
  bool CheckInvariant() const noexcept;

  // Raw value access for code that has checked type() first.
  int32_t ErrorScode() const noexcept;
  double DateSerial() const noexcept;

 private:
  struct DateValue {
    double serial;
  };
  struct NullValue {};
  struct ErrorValue {
    int32_t scode;
  };
  struct ByRefValue {
    Variant* target;
  };

  // What the Variant holds. The plain kinds come first: their value is a few bytes that are
  // copied as they are, so moving and destroying them runs no code beyond a compare. Only a
  // string, an object reference and an array own anything.
  enum class Kind : uint8_t {
    kEmpty,
    kNull,
    kInteger,
    kLong,
    kSingle,
    kDouble,
    kCurrency,
    kDate,
    kError,
    kBoolean,
    kByte,
    kByRef,
    kString,  // the first kind that owns something
    kObject,
    kArray,
  };
  static constexpr bool IsPlain(Kind kind) noexcept { return kind < Kind::kString; }
  // A static table: one local to the function would be built on the stack at every call.
  static constexpr VarType kTypeOfKind[] = {
      VarType::kEmpty,   VarType::kNull,    VarType::kInteger, VarType::kLong,
      VarType::kSingle,  VarType::kDouble,  VarType::kCurrency, VarType::kDate,
      VarType::kError,   VarType::kBoolean, VarType::kByte,    VarType::kEmpty,
      VarType::kString,  VarType::kObject,  VarType::kArray};
  static_assert(std::size(kTypeOfKind) == static_cast<size_t>(Kind::kArray) + 1);
  static constexpr VarType TypeOfKind(Kind kind) noexcept {
    return kTypeOfKind[static_cast<size_t>(kind)];
  }

  union Plain {
    int16_t integer;
    int32_t long_;
    float single;
    double real;  // Double and Date
    Currency currency;
    int32_t scode;
    bool boolean;
    uint8_t byte;
    Variant* target;
  };

  // The out-of-line halves of the coercions above.
  int16_t ToIntegerCoerced() const;
  int32_t ToLongCoerced() const;
  double ToDoubleCoerced() const;
  double ToDateCoerced() const;
  bool ToBooleanCoerced() const;

  // Moves the text of `other`, a String, into this Variant, which holds nothing that needs
  // destroying; `other` keeps its kind for the caller to reset.
  void TakeString(Variant& other) noexcept {
    new (&string_) std::u16string(std::move(other.string_));
    other.string_.~basic_string();
  }
  // The slow halves of the special members: at least one side owns something.
  void MoveOwnedFrom(Variant& other) noexcept;
  void MoveAssignOwned(Variant& other) noexcept;
  void DestroyOwned() noexcept;
  void CopyFrom(const Variant& other);

  Kind kind_ = Kind::kEmpty;
  union {
    Plain plain_{};
    std::u16string string_;
    Ref<Dispatch> object_;
    std::unique_ptr<VariantArray> array_;
  };

  friend class VariantAccess;
};

// Defined once Variant is complete: clang instantiates the vector's members at their use.
inline size_t VariantArray::size() const noexcept { return items_.size(); }
inline int32_t VariantArray::UBound() const noexcept {
  return lower_ + static_cast<int32_t>(items_.size()) - 1;
}

// VarType() and TypeName() as the automation runtime reports them ("Long", "String",
// "Variant()", the class name of an object, "Nothing").
uint16_t VarTypeOf(const Variant& v);
std::u16string TypeName(const Variant& v);

// VarCmp of two Variant operands: numbers compare numerically, strings by UTF-16 code
// unit, a number is less than any string, Empty equals 0, "" and False; Null on either
// side gives kNull.
enum class Comparison { kLess = 0, kEqual = 1, kGreater = 2, kNull = 3 };
Comparison Compare(const Variant& a, const Variant& b);
// True when Compare gives kEqual (Null is never equal).
bool Equals(const Variant& a, const Variant& b);

// Arithmetic on Variant operands with the automation result types: Currency + Double is
// Currency, Currency * Double is Double, Integer / Long is Double, Null propagates.
Variant Add(const Variant& a, const Variant& b);
Variant Subtract(const Variant& a, const Variant& b);
Variant Multiply(const Variant& a, const Variant& b);
Variant Divide(const Variant& a, const Variant& b);
Variant Negate(const Variant& a);
Variant Concat(const Variant& a, const Variant& b);  // the & operator

// Round(x, decimals): half to even at `decimals` places; keeps x's type (String gives
// Double); decimals < 0 raises 5.
Variant Round(const Variant& x, int32_t decimals = 0);
double RoundHalfEven(double x, int32_t decimals);

// Currency helpers for the record rules.
Currency CurrencyFromDouble(double v);  // banker's rounding at 4 decimals, 6 out of range
double CurrencyToDouble(Currency c) noexcept;

}  // namespace automation
