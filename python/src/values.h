// Python values to automation Variants and back.
//
//   int         Long within 32 bits, else Double (as the platform's numeric literals)
//   float       Double
//   bool        Boolean
//   str         String
//   None        Null                         (Empty, Null and Nothing come back as None)
//   Decimal     Currency, rounded half to even at 4 decimals
//   datetime    Date (a date alone is midnight; back always a datetime, to the millisecond)
//   list, tuple array of Variants with lower bound 0 (back as a list)
//   Object      Object
//   Empty, Nothing, Missing   the Variants of the same names
#pragma once

#include <pybind11/pybind11.h>

#include "automation/variant.h"

namespace talmo_python {

namespace py = pybind11;

// The Variant of `value`. Raises TypeError for a type without one, OverflowError for an
// int or a Decimal out of range, ValueError for a Decimal that is not a number and for a
// datetime with a time zone. A ByRef is refused here: it is an argument, not a value.
automation::Variant ToVariant(py::handle value);

// The Python value of `value`, looking through a by-reference Variant.
py::object FromVariant(const automation::Variant& value);

}  // namespace talmo_python
