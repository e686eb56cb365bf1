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

Variant::Variant(std::u16string v) noexcept : kind_(Kind::kString) {
  new (&string_) std::u16string(std::move(v));
}
Variant::Variant(std::u16string_view v) : Variant(std::u16string(v)) {}
Variant::Variant(const char16_t* v) : Variant(std::u16string(v ? v : u"")) {}
Variant::Variant(Ref<Dispatch> v) noexcept : kind_(Kind::kObject) {
  new (&object_) Ref<Dispatch>(std::move(v));
}
Variant::Variant(VariantArray v) : kind_(Kind::kArray) {
  new (&array_) std::unique_ptr<VariantArray>(std::make_unique<VariantArray>(std::move(v)));
}

Variant Variant::Null() noexcept {
  Variant v;
  v.kind_ = Kind::kNull;
  return v;
}

Variant Variant::Date(double serial) noexcept {
  Variant v;
  v.kind_ = Kind::kDate;
  v.plain_.real = serial;
  return v;
}

Variant Variant::Nothing() noexcept { return Variant(Ref<Dispatch>()); }

Variant Variant::Missing() noexcept { return ErrorCode(kMissingScode); }

Variant Variant::ErrorCode(int32_t scode) noexcept {
  Variant v;
  v.kind_ = Kind::kError;
  v.plain_.scode = scode;
  return v;
}

// A reference always points at a value, never at another reference, so chains and
// cycles cannot form.
Variant Variant::ByRef(Variant* target) noexcept {
  Variant v;
  if (target) {
    v.kind_ = Kind::kByRef;
    v.plain_.target = &target->Deref();
  }
  return v;
}

void Variant::DestroyOwned() noexcept {
  switch (kind_) {
    case Kind::kString:
      string_.~basic_string();
      break;
    case Kind::kObject:
      object_.~Ref();
      break;
    case Kind::kArray:
      array_.~unique_ptr();
      break;
    default:
      break;
  }
  kind_ = Kind::kEmpty;
  plain_ = Plain{};
}

// Takes over what `other` holds and leaves it Empty; `this` holds nothing that needs
// destroying.
void Variant::MoveOwnedFrom(Variant& other) noexcept {
  kind_ = other.kind_;
  switch (kind_) {
    case Kind::kString:
      TakeString(other);
      break;
    case Kind::kObject:
      new (&object_) Ref<Dispatch>(std::move(other.object_));
      other.object_.~Ref();
      break;
    case Kind::kArray:
      // A released pointer holds nothing: there is nothing to destroy.
      new (&array_) std::unique_ptr<VariantArray>(other.array_.release());
      break;
    default:
      plain_ = other.plain_;
      break;
  }
  other.kind_ = Kind::kEmpty;
  other.plain_ = Plain{};
}

// The new value is taken out of `other` before the old one is destroyed, so assigning a
// Variant from an element of its own array is safe. A Variant that holds nothing of its own,
// or a text, cannot hold `other`: it takes the value over in place.
void Variant::MoveAssignOwned(Variant& other) noexcept {
  if (IsPlain(kind_)) {
    MoveOwnedFrom(other);
    return;
  }
  if (kind_ == Kind::kString && other.kind_ == Kind::kString) {
    string_ = std::move(other.string_);
    other.DestroyOwned();
    return;
  }
  Variant taken(std::move(other));
  if (!IsPlain(kind_)) DestroyOwned();
  MoveOwnedFrom(taken);
}

// Deep copy: an array is copied element by element; a reference stays a reference.
// `this` holds nothing that needs destroying.
void Variant::CopyFrom(const Variant& other) {
  switch (other.kind_) {
    case Kind::kString:
      new (&string_) std::u16string(other.string_);
      break;
    case Kind::kObject:
      new (&object_) Ref<Dispatch>(other.object_);
      break;
    case Kind::kArray:
      new (&array_) std::unique_ptr<VariantArray>(std::make_unique<VariantArray>(*other.array_));
      break;
    default:
      plain_ = other.plain_;
      break;
  }
  kind_ = other.kind_;
}

Variant::Variant(const Variant& other) {
  CopyFrom(other);
  assert(CheckInvariant());
}

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    Variant copy(other);
    *this = std::move(copy);
  }
  return *this;
}

bool Variant::CheckInvariant() const noexcept {
  if (kind_ == Kind::kByRef) return plain_.target != nullptr && !plain_.target->IsByRef();
  if (kind_ == Kind::kArray) return array_ != nullptr;
  return true;
}

bool Variant::IsByRef() const noexcept { return kind_ == Kind::kByRef; }

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
  const Ref<Dispatch>* object = VariantAccess::Object(*this);
  if (!object) RaiseStandard(error::kObjectRequired);
  return *object;
}

const VariantArray& Variant::ToArray() const {
  const Variant& v = Deref();
  if (v.kind_ != Kind::kArray) RaiseStandard(error::kTypeMismatch);
  return *v.array_;
}

VariantArray& Variant::ToArray() {
  Variant& v = Deref();
  if (v.kind_ != Kind::kArray) RaiseStandard(error::kTypeMismatch);
  return *v.array_;
}

int32_t Variant::ErrorScode() const noexcept {
  const Variant& v = Deref();
  return v.kind_ == Kind::kError ? v.plain_.scode : 0;
}

double Variant::DateSerial() const noexcept {
  const Variant& v = Deref();
  return v.kind_ == Kind::kDate ? v.plain_.real : 0.0;
}

int32_t ErrorNumberOfScode(int32_t scode) noexcept {
  const uint32_t bits = static_cast<uint32_t>(scode);
  if (scode == Variant::kMissingScode) return error::kArgumentMissing;
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
