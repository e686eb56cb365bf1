// The members that the component calls by number, carried by the client's native interface:
// the same member with the same arguments, as one typed call instead of a dispatch.
#pragma once

#include <span>

#include "automation/dispatch.h"
#include "automation/variant.h"
#include "dbclient/native_client.h"

namespace talmo {

// Runs `member` with `args` (in call order, by-reference ones looked through and written
// back as the member writes them) on `native` and stores its answer in `result`. False, with
// nothing called, for a member that the native interface does not carry.
bool CallNative(dbclient::NativeClient& native, automation::DispId member,
                std::span<automation::Variant> args, automation::Variant& result);

}  // namespace talmo
