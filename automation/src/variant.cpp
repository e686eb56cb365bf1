// Variant storage: construction, copies, references, arrays, VarType and TypeName.
#include "automation/variant.h"

#include <cassert>

#include "automation/automation_error.h"
#include "automation/dispatch.h"
#include "variant_access.h"

namespace automation {

VariantArray::VariantArray(std::vector<Variant> items, int32_t lowerBound)
    : items_(std::move(items)), lower_(lowerBound) {}

Variant& VariantArray::at(int32_t index) {
  const int64_t offset = static_cast<int64_t>(index) - lower_;
  if (offset < 0 || offset >= static_cast<int64_t>(items_.size())) {
    RaiseStandard(error::kSubscriptOutOfRange);
  }
  return items_[static_cast<size_t>(offset)];
}

const Variant& VariantArray::at(int32_t index) const {
  return const_cast<VariantArray*>(this)->at(index);
}

void VariantArray::ResizePreserve(int32_t upperBound) {
  const int64_t count = static_cast<int64_t>(upperBound) - lower_ + 1;
  if (count < 0) RaiseStandard(error::kSubscriptOutOfRange);
  items_.resize(static_cast<size_t>(count));
}

Variant::Variant(int16_t v) noexcept : value_(v) {}
Variant::Variant(int32_t v) noexcept : value_(v) {}
Variant::Variant(float v) noexcept : value_(v) {}
Variant::Variant(double v) noexcept : value_(v) {}
Variant::Variant(Currency v) noexcept : value_(v) {}
Variant::Variant(bool v) noexcept : value_(v) {}
Variant::Variant(uint8_t v) noexcept : value_(v) {}
Variant::Variant(std::u16string v) noexcept : value_(std::move(v)) {}
Variant::Variant(std::u16string_view v) : value_(std::u16string(v)) {}
Variant::Variant(const char16_t* v) : value_(std::u16string(v ? v : u"")) {}
Variant::Variant(Ref<Dispatch> v) noexcept : value_(std::move(v)) {}
Variant::Variant(VariantArray v) : value_(std::make_unique<VariantArray>(std::move(v))) {}

Variant Variant::Null() noexcept {
  Variant v;
  v.value_ = NullValue{};
  return v;
}

Variant Variant::Date(double serial) noexcept {
  Variant v;
  v.value_ = DateValue{serial};
  return v;
}

Variant Variant::Nothing() noexcept { return Variant(Ref<Dispatch>()); }

Variant Variant::Missing() noexcept { return ErrorCode(kMissingScode); }

Variant Variant::ErrorCode(int32_t scode) noexcept {
  Variant v;
  v.value_ = ErrorValue{scode};
  return v;
}

// A reference always points at a value, never at another reference, so chains and
// cycles cannot form.
Variant Variant::ByRef(Variant* target) noexcept {
  Variant v;
  if (target) v.value_ = ByRefValue{&target->Deref()};
  return v;
}

namespace {

// Deep copy: an array is copied element by element; a reference stays a reference.
template <class Storage>
Storage CopyStorage(const Storage& from) {
  return std::visit(
      [](const auto& value) -> Storage {
        using T = std::decay_t<decltype(value)>;
        if constexpr (std::is_same_v<T, std::unique_ptr<VariantArray>>) {
          return std::make_unique<VariantArray>(*value);
        } else {
          return value;
        }
      },
      from);
}

}  // namespace

Variant::Variant(const Variant& other) : value_(CopyStorage(other.value_)) {
  assert(CheckInvariant());
}

Variant::Variant(Variant&& other) noexcept : value_(std::move(other.value_)) {
  other.value_ = std::monostate{};
}

// Both assignments build the new value before the old one is destroyed, so assigning a
// Variant from an element of its own array is safe.
Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Storage copy = CopyStorage(other.value_);
    value_ = std::move(copy);
  }
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    Storage taken = std::move(other.value_);
    other.value_ = std::monostate{};
    value_ = std::move(taken);
  }
  return *this;
}

Variant::~Variant() = default;

bool Variant::CheckInvariant() const noexcept {
  if (const auto* ref = std::get_if<ByRefValue>(&value_)) {
    return ref->target != nullptr && !ref->target->IsByRef();
  }
  if (const auto* array = std::get_if<std::unique_ptr<VariantArray>>(&value_)) {
    return *array != nullptr;
  }
  return true;
}

VarType Variant::type() const noexcept {
  static constexpr VarType kTypes[] = {
      VarType::kEmpty,  VarType::kNull,     VarType::kInteger, VarType::kLong,   VarType::kSingle,
      VarType::kDouble, VarType::kCurrency, VarType::kDate,    VarType::kString, VarType::kObject,
      VarType::kError,  VarType::kBoolean,  VarType::kByte,    VarType::kArray,  VarType::kEmpty};
  static_assert(std::size(kTypes) == std::variant_size_v<Storage>);
  return kTypes[Deref().value_.index()];
}

bool Variant::IsByRef() const noexcept { return std::holds_alternative<ByRefValue>(value_); }

bool Variant::IsMissing() const noexcept {
  const auto* e = std::get_if<ErrorValue>(&Deref().value_);
  return e && e->scode == kMissingScode;
}

bool Variant::IsNumeric() const noexcept {
  switch (type()) {
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kSingle:
    case VarType::kDouble:
    case VarType::kCurrency:
    case VarType::kDate:
    case VarType::kBoolean:
    case VarType::kByte:
      return true;
    default:
      return false;
  }
}

const Variant& Variant::Deref() const noexcept {
  const auto* ref = std::get_if<ByRefValue>(&value_);
  return ref ? *ref->target : *this;
}

Variant& Variant::Deref() noexcept {
  auto* ref = std::get_if<ByRefValue>(&value_);
  return ref ? *ref->target : *this;
}

// A by-reference value is stored as the value it refers to: a callee writing through a
// reference must not leave the caller holding a reference into the callee's frame.
void Variant::Assign(Variant value) {
  assert(CheckInvariant() && value.CheckInvariant());
  Variant& target = Deref();
  if (value.IsByRef()) {
    target = value.Deref();
  } else {
    target = std::move(value);
  }
}

Ref<Dispatch> Variant::ToObject() const {
  const auto* object = std::get_if<Ref<Dispatch>>(&Deref().value_);
  if (!object) RaiseStandard(error::kObjectRequired);
  return *object;
}

const VariantArray& Variant::ToArray() const {
  const auto* array = std::get_if<std::unique_ptr<VariantArray>>(&Deref().value_);
  if (!array) RaiseStandard(error::kTypeMismatch);
  return **array;
}

VariantArray& Variant::ToArray() {
  auto* array = std::get_if<std::unique_ptr<VariantArray>>(&Deref().value_);
  if (!array) RaiseStandard(error::kTypeMismatch);
  return **array;
}

int32_t Variant::ErrorScode() const noexcept {
  const auto* e = std::get_if<ErrorValue>(&Deref().value_);
  return e ? e->scode : 0;
}

double Variant::DateSerial() const noexcept {
  const auto* d = std::get_if<DateValue>(&Deref().value_);
  return d ? d->serial : 0.0;
}

int32_t ErrorNumberOfScode(int32_t scode) noexcept {
  const uint32_t bits = static_cast<uint32_t>(scode);
  if (scode == kMissingScode) return error::kArgumentMissing;
  if ((bits & 0xFFFF0000u) == 0x800A0000u) return static_cast<int32_t>(bits & 0xFFFFu);
  return scode;
}

// Follows default members until a value that is not an object; a chain that does not end
// is a type mismatch.
Variant DefaultValue(const Variant& v) {
  Variant current = v.Deref();
  for (int depth = 0; depth < 8; ++depth) {
    const auto* object = VariantAccess::Object(current);
    if (!object) return current;
    if (!*object) RaiseStandard(error::kObjectNotSet);
    Variant result;
    InvokeOrThrow(object->get(), kDispIdValue, InvokeKind::kPropertyGet, {}, result);
    current = result.Deref();
  }
  RaiseStandard(error::kTypeMismatch);
}

uint16_t VarTypeOf(const Variant& v) {
  const VarType type = v.type();
  if (type == VarType::kArray) {
    return static_cast<uint16_t>(VarType::kArray) | static_cast<uint16_t>(VarType::kVariant);
  }
  if (type == VarType::kObject) {
    const Ref<Dispatch>& object = *VariantAccess::Object(v);
    if (!object) return static_cast<uint16_t>(VarType::kObject);
    // The type of the default value; an object without one reports Object.
    Variant value;
    ExceptionInfo ignored;
    if (!object->Invoke(kDispIdValue, InvokeKind::kPropertyGet, {}, value, ignored) ||
        value.IsObject()) {
      return static_cast<uint16_t>(VarType::kObject);
    }
    return static_cast<uint16_t>(value.type());
  }
  return static_cast<uint16_t>(type);
}

std::u16string TypeName(const Variant& v) {
  switch (v.type()) {
    case VarType::kEmpty:
      return u"Empty";
    case VarType::kNull:
      return u"Null";
    case VarType::kInteger:
      return u"Integer";
    case VarType::kLong:
      return u"Long";
    case VarType::kSingle:
      return u"Single";
    case VarType::kDouble:
      return u"Double";
    case VarType::kCurrency:
      return u"Currency";
    case VarType::kDate:
      return u"Date";
    case VarType::kString:
      return u"String";
    case VarType::kObject: {
      const Ref<Dispatch>& object = *VariantAccess::Object(v);
      if (!object) return u"Nothing";
      std::u16string name = object->ClassName();
      return name.empty() ? u"Object" : name;
    }
    case VarType::kError:
      return u"Error";
    case VarType::kBoolean:
      return u"Boolean";
    case VarType::kByte:
      return u"Byte";
    case VarType::kArray:
      return u"Variant()";
    case VarType::kVariant:
      break;
  }
  return u"Variant";
}

}  // namespace automation
