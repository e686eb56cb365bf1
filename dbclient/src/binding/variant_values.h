// Field values as automation Variants: what member 55 gives and what 50 and 56 accept.
#pragma once

#include <string>

#include "automation/dispatch.h"
#include "automation/variant.h"
#include "dbclient/value.h"

namespace dbclient::binding {

// The Variant form of a stored value: Text and Code give a String, Integer a Long, Option an
// Integer, Boolean a Boolean, Date a Date at midnight (the undefined date is the automation
// zero date), Time a Date holding the time of day, Decimal a Double and BLOB a String with
// one character per byte.
automation::Variant ToVariant(const Value& value);

// A caller's Variant as engine input. A String input refers to `text`, which must outlive
// the input. Null, objects, arrays and error values do not convert: ClientFailure with the
// client's type-mismatch error.
Input ToInput(const automation::Variant& value, std::u16string& text);

}  // namespace dbclient::binding
