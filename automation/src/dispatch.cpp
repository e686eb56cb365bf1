// The dispatch base for C++ objects, argument access and the client-side call helpers.
#include "automation/dispatch.h"

#include <new>

#include "automation/text.h"

namespace automation {

bool DispatchObject::Invoke(DispId id, InvokeKind kind, std::span<Variant> args, Variant& result,
                            ExceptionInfo& error) noexcept {
  try {
    result = Variant();
    InvokeMember(id, kind, args, result);
    return true;
  } catch (const AutomationError& e) {
    error.number = e.number();
    error.source = e.source();
    error.description = e.description();
  } catch (const std::bad_alloc&) {
    error.number = error::kOutOfMemory;
    error.source.clear();
    error.description = StandardErrorText(error::kOutOfMemory);
  } catch (const std::exception& e) {
    error.number = error::kInvalidProcedureCall;
    error.source.clear();
    error.description = FromUtf8(e.what());
  } catch (...) {
    error.number = error::kInvalidProcedureCall;
    error.source.clear();
    error.description = StandardErrorText(error::kInvalidProcedureCall);
  }
  result = Variant();
  return false;
}

DispId DispatchObject::GetIDsOfNames(std::u16string_view name) const noexcept {
  for (const MemberName& member : MemberNames()) {
    if (EqualsIgnoreCase(member.name, name)) return member.id;
  }
  return kDispIdUnknown;
}

void RaiseMemberNotFound() { RaiseStandard(error::kMemberNotFound); }

void Args::RaiseNotOptional() { RaiseStandard(error::kArgumentNotOptional); }

void Args::RaiseWrongCount() { RaiseStandard(error::kWrongArgumentCount); }

Variant& Args::Raw(size_t i) const {
  if (i >= args_.size()) RaiseNotOptional();
  return args_[i];
}

VariantArray Args::Rest(size_t first) const {
  std::vector<Variant> items;
  for (size_t i = first; i < args_.size(); ++i) items.push_back(args_[i].Deref());
  return VariantArray(std::move(items), 0);
}

void InvokeOrThrow(Dispatch* object, DispId id, InvokeKind kind, std::span<Variant> args,
                   Variant& result) {
  if (!object) RaiseStandard(error::kObjectNotSet);
  ExceptionInfo info;
  if (!object->Invoke(id, kind, args, result, info)) {
    throw AutomationError(info.number, std::move(info.source), std::move(info.description));
  }
}

void PutPropertyRef(Dispatch* object, DispId id, Ref<Dispatch> value) {
  Variant argv[1] = {Variant(std::move(value))};
  Variant result;
  InvokeOrThrow(object, id, InvokeKind::kPropertyPutRef, argv, result);
}

DispId GetDispId(Dispatch* object, std::u16string_view name) {
  if (!object) RaiseStandard(error::kObjectNotSet);
  const DispId id = object->GetIDsOfNames(name);
  if (id == kDispIdUnknown) RaiseMemberNotFound();
  return id;
}

}  // namespace automation
