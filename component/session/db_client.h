// The process-wide binding to the database client (`DbClient`) and the guarded call that
// wraps every use of it.
//
// Every operation that reaches the database follows one protocol:
//   GuardOn();                      // member 1 := not ViewErrors
//   Call(member, args...);          // the call, then member 45 and CheckClientError
//   ...                             // more calls, each checked on its own
//   GuardOff();                     // member 1 := False, on normal completion only
// A client error raised by a check has already put member 1 := False. Without a client
// object every step raises the standard error 91.
//
// Two paths carry the protocol. A client that answers the native interface
// (dbclient/native_client.h) gets its switch, its last error and the members that interface
// carries (tables, record buffers, searching, writing, fields) as typed calls, and every
// other member through Invoke; any other client is called late bound for everything. Both
// paths run the same members in the same order with the same effects, except that a key
// look-up and an initialisation that keeps the key are each one native call standing for
// their members, that a field's type and class are asked once per open table, and that
// Validate reads a field's related table from the field descriptions once; only the cost of
// reaching the client differs.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <utility>

#include "automation/dispatch.h"
#include "automation/ref.h"
#include "automation/variant.h"
#include "dbclient/native_client.h"
#include "session/client_members.h"

namespace talmo {

// A directive list for the error check: accept directives ("OK;19.1008,19.1095") and
// substitution directives ("10;Customer"). Usually empty.
using Directives = std::span<const std::u16string_view>;

// The client object, or null while none exists.
automation::Dispatch* DbClient() noexcept;
// Stores `client` as the process-wide client (an earlier one is released); null empties it.
// The client's native interface is looked up here, unless the environment variable
// TALMO_CLIENT_BINDING is "late" (a diagnostic switch: every client is then called late bound).
void SetDbClient(automation::Ref<automation::Dispatch> client) noexcept;
// Read on every call, so kept in plain variables; set only through SetDbClient and
// SetViewErrors.
namespace binding_state {
extern dbclient::NativeClient* native;  // lives as long as the client object
extern bool viewErrors;
}  // namespace binding_state

// The native interface of the client, or null when it is called late bound.
inline dbclient::NativeClient* NativeDbClient() noexcept { return binding_state::native; }

// True from a complete OpenConnection until CloseConnection.
bool IsConnected() noexcept;
void SetIsConnected(bool connected) noexcept;

// The error-display flag: while False the client shows no error of its own during calls.
inline bool ViewErrors() noexcept { return binding_state::viewErrors; }
void SetViewErrors(bool view) noexcept;

// How a new client object is made. The default creates the registered client by its class
// id; tests substitute a function that hands out a recording stand-in. Null restores the
// default.
using DbClientCreator = automation::Ref<automation::Dispatch> (*)();
void SetDbClientCreator(DbClientCreator creator) noexcept;
// A new client object from the current creator; raises what creation raises (429 when the
// client is not registered).
automation::Ref<automation::Dispatch> CreateDbClient();

// Puts member 1 := not ViewErrors (raises 91 without a client).
void GuardOn();
// Puts member 1 := False (raises 91 without a client).
void GuardOff();
// Puts one of the client's Boolean properties (members 1 and 2).
void PutClientFlag(automation::DispId member, bool value);

// Reads the last error (member 45) and hands the code to CheckClientError with
// `directives`.
void CheckLastError(Directives directives);

// Calls method `member` with `args` in call order (by-reference arguments as for CallChecked)
// and returns its result, without reading the last error. Raises 91 without a client; a
// client error stays the client's last error.
automation::Variant CallClient(automation::DispId member, std::span<automation::Variant> args);

// Calls method `member` with `args` in call order (pass Variant::ByRef(&v) for an argument
// the client may write), reads member 45 and hands the code to CheckClientError with
// `directives`. Returns the method's result (Empty for none). Raises 91 without a client,
// the client error when the check does not accept it. Allocates nothing for the call.
automation::Variant CallChecked(automation::DispId member, std::span<automation::Variant> args,
                                Directives directives);

template <class... A>
automation::Variant CallUnchecked(automation::DispId member, A&&... args) {
  automation::Variant argv[sizeof...(A) + 1] = {automation::Variant(std::forward<A>(args))...};
  return CallClient(member, std::span<automation::Variant>(argv, sizeof...(A)));
}

template <class... A>
automation::Variant Call(automation::DispId member, A&&... args) {
  automation::Variant argv[sizeof...(A) + 1] = {automation::Variant(std::forward<A>(args))...};
  return CallChecked(member, std::span<automation::Variant>(argv, sizeof...(A)), {});
}

template <class... A>
automation::Variant CallWith(Directives directives, automation::DispId member, A&&... args) {
  automation::Variant argv[sizeof...(A) + 1] = {automation::Variant(std::forward<A>(args))...};
  return CallChecked(member, std::span<automation::Variant>(argv, sizeof...(A)), directives);
}

// One complete guarded call: GuardOn, CallWith, GuardOff.
template <class... A>
automation::Variant GuardedCall(Directives directives, automation::DispId member, A&&... args) {
  GuardOn();
  automation::Variant result = CallWith(directives, member, std::forward<A>(args)...);
  GuardOff();
  return result;
}

}  // namespace talmo
