#include "session/db_client.h"

#include <cstdlib>
#include <string_view>

#include "automation/registry.h"
#include "errors/fin_errors.h"
#include "session/native_calls.h"
#include "session/no_destructor.h"

namespace talmo {
namespace {

constexpr std::u16string_view kDbClientClassId = u"{9F78D5E3-A1B3-11CF-AF9F-00030F8047D7}";

struct Binding {
  automation::Ref<automation::Dispatch> client;
  bool isConnected = false;
  DbClientCreator creator = nullptr;
};

Binding& State() noexcept {
  static NoDestructor<Binding> binding;
  return binding.get();
}

bool LateBindingOnly() noexcept {
  static const bool late = [] {
    const char* binding = std::getenv("TALMO_CLIENT_BINDING");
    return binding != nullptr && std::string_view(binding) == "late";
  }();
  return late;
}

// The late-bound forms of the two calls every guarded operation makes, out of line: the
// native ones are the hot path and stay small.
[[gnu::noinline]] void LatePutErrorDisplay(bool value) {
  automation::PutProperty(DbClient(), client_member::kErrorDisplay, value);
}

[[gnu::noinline]] void LateCheckLastError(Directives directives) {
  automation::Variant code;
  automation::InvokeOrThrow(DbClient(), client_member::kLastError, automation::InvokeKind::kMethod,
                            {}, code);
  CheckClientError(code.ToLong(), directives);
}

// The guard's put of the error-display switch, twice in every guarded operation.
void PutErrorDisplay(bool value) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    native->SetErrorDisplay(value);
    return;
  }
  LatePutErrorDisplay(value);
}

}  // namespace

namespace binding_state {
constinit dbclient::NativeClient* native = nullptr;
constinit bool viewErrors = false;
}  // namespace binding_state

automation::Dispatch* DbClient() noexcept { return State().client.get(); }

void SetDbClient(automation::Ref<automation::Dispatch> client) noexcept {
  dbclient::NativeClient* native = nullptr;
  if (client && !LateBindingOnly()) {
    native = static_cast<dbclient::NativeClient*>(
        client->QueryNative(dbclient::NativeClient::kInterfaceId));
  }
  // Swap first so that release steps running inside the old object's release see the new
  // state.
  binding_state::native = native;
  automation::Ref<automation::Dispatch> old = std::exchange(State().client, std::move(client));
  old.reset();
}

bool IsConnected() noexcept { return State().isConnected; }
void SetIsConnected(bool connected) noexcept { State().isConnected = connected; }

void SetViewErrors(bool view) noexcept { binding_state::viewErrors = view; }

void SetDbClientCreator(DbClientCreator creator) noexcept { State().creator = creator; }

automation::Ref<automation::Dispatch> CreateDbClient() {
  if (DbClientCreator creator = State().creator) return creator();
  return automation::CreateObject(kDbClientClassId);
}

void PutClientFlag(automation::DispId member, bool value) {
  if (member == client_member::kErrorDisplay) {
    PutErrorDisplay(value);
    return;
  }
  automation::PutProperty(DbClient(), member, value);
}

void GuardOn() { PutErrorDisplay(!ViewErrors()); }

void GuardOff() { PutErrorDisplay(false); }

void CheckLastError(Directives directives) {
  if (dbclient::NativeClient* native = NativeDbClient()) {
    // Nearly every call succeeds: the check is not even entered then.
    if (const int32_t code = native->LastError(); code != 0) CheckClientError(code, directives);
    return;
  }
  LateCheckLastError(directives);
}

automation::Variant CallClient(automation::DispId member, std::span<automation::Variant> args) {
  automation::Variant result;
  if (dbclient::NativeClient* native = NativeDbClient();
      native != nullptr && CallNative(*native, member, args, result)) {
    return result;
  }
  automation::InvokeOrThrow(DbClient(), member, automation::InvokeKind::kMethod, args, result);
  return result;
}

automation::Variant CallChecked(automation::DispId member, std::span<automation::Variant> args,
                                Directives directives) {
  automation::Variant result = CallClient(member, args);
  CheckLastError(directives);
  return result;
}

}  // namespace talmo
