#include "values.h"

#include <datetime.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "object.h"
#include "marker_values.h"

namespace talmo_python {
namespace {

using automation::Variant;
using automation::VarType;
namespace chrono = std::chrono;

// Date serials count days from 1899-12-30; the fraction is the time of day.
constexpr chrono::sys_days kDateZero{chrono::year{1899} / 12 / 30};
constexpr double kMicrosecondsPerDay = 86'400e6;
constexpr int64_t kMillisecondsPerDay = 86'400'000;
// Wider than the years 1 to 9999 that datetime holds; outside it a serial cannot be a date.
constexpr double kSerialLimit = 3'700'000;

void ImportDateTime() {
  if (!PyDateTimeAPI) {
    PyDateTime_IMPORT;
    if (!PyDateTimeAPI) throw py::error_already_set();
  }
}

py::object DecimalClass() { return py::module_::import("decimal").attr("Decimal"); }

std::string TypeNameOf(py::handle value) {
  return py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>();
}

Variant IntValue(py::handle value) {
  int overflow = 0;
  const long long number = PyLong_AsLongLongAndOverflow(value.ptr(), &overflow);
  if (overflow == 0 && number >= std::numeric_limits<int32_t>::min() &&
      number <= std::numeric_limits<int32_t>::max()) {
    return Variant(static_cast<int32_t>(number));
  }
  const double real = PyLong_AsDouble(value.ptr());
  if (real == -1.0 && PyErr_Occurred()) throw py::error_already_set();
  return Variant(real);
}

// Exact: the Decimal scaled by 10 000 and rounded half to even, as Currency stores it.
Variant CurrencyValue(py::handle value) {
  if (!value.attr("is_finite")().cast<bool>()) {
    throw py::value_error("a Currency must be a finite number, not " +
                          py::repr(value).cast<std::string>());
  }
  const py::object scaled = value.attr("scaleb")(4).attr("to_integral_value")(
      py::arg("rounding") = py::module_::import("decimal").attr("ROUND_HALF_EVEN"));
  int overflow = 0;
  const long long units = PyLong_AsLongLongAndOverflow(py::int_(scaled).ptr(), &overflow);
  if (overflow != 0) {
    throw std::overflow_error(py::repr(value).cast<std::string>() +
                              " is out of the Currency range");
  }
  return Variant(automation::Currency{units});
}

// Before the zero date the whole part counts days back while the fraction still runs
// forward through the day: 1899-12-29 06:00 is -1.25.
Variant DateValue(py::handle value) {
  PyObject* date = value.ptr();
  const chrono::year_month_day day{chrono::year{PyDateTime_GET_YEAR(date)},
                                   chrono::month{unsigned(PyDateTime_GET_MONTH(date))},
                                   chrono::day{unsigned(PyDateTime_GET_DAY(date))}};
  const double days = static_cast<double>((chrono::sys_days{day} - kDateZero).count());
  double time = 0;
  if (PyDateTime_Check(date)) {
    if (!value.attr("tzinfo").is_none()) {
      throw py::value_error(
          "a Date has no time zone: pass a naive datetime (for example "
          "value.astimezone().replace(tzinfo=None) for local time)");
    }
    const int64_t seconds =
        (PyDateTime_DATE_GET_HOUR(date) * 60 + PyDateTime_DATE_GET_MINUTE(date)) * 60 +
        PyDateTime_DATE_GET_SECOND(date);
    time = static_cast<double>(seconds * 1'000'000 + PyDateTime_DATE_GET_MICROSECOND(date)) /
           kMicrosecondsPerDay;
  }
  return Variant::Date(days >= 0 ? days + time : days - time);
}

py::object DateTimeOf(double serial) {
  if (!(std::abs(serial) < kSerialLimit)) {
    throw py::value_error("the Date " + std::to_string(serial) + " is outside datetime's years");
  }
  const double whole = std::trunc(serial);
  const int64_t milliseconds = std::llround(std::abs(serial - whole) * kMillisecondsPerDay);
  const auto moment = chrono::sys_time<chrono::milliseconds>(kDateZero) +
                      chrono::days{static_cast<int64_t>(whole)} +
                      chrono::milliseconds{milliseconds};
  const chrono::sys_days day = chrono::floor<chrono::days>(moment);
  const chrono::year_month_day date{day};
  const chrono::hh_mm_ss time{moment - day};
  PyObject* result = PyDateTime_FromDateAndTime(
      int(date.year()), int(unsigned(date.month())), int(unsigned(date.day())),
      int(time.hours().count()), int(time.minutes().count()), int(time.seconds().count()),
      int(time.subseconds().count()) * 1000);
  if (!result) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(result);
}

Variant ArrayValue(py::handle sequence) {
  std::vector<Variant> items;
  items.reserve(py::len(sequence));
  for (py::handle item : sequence) items.push_back(ToVariant(item));
  return Variant(automation::VariantArray(std::move(items), 0));
}

Variant SpecialValue(const Special& special) {
  switch (special.kind) {
    case Special::Kind::kEmpty:
      return Variant();
    case Special::Kind::kNothing:
      return Variant::Nothing();
    case Special::Kind::kMissing:
      return Variant::Missing();
  }
  return Variant();
}

}  // namespace

Variant ToVariant(py::handle value) {
  ImportDateTime();
  PyObject* o = value.ptr();
  if (o == Py_None) return Variant::Null();
  if (PyBool_Check(o)) return Variant(o == Py_True);
  if (PyLong_Check(o)) return IntValue(value);
  if (PyFloat_Check(o)) return Variant(PyFloat_AS_DOUBLE(o));
  if (PyUnicode_Check(o)) return Variant(value.cast<std::u16string>());
  if (py::isinstance<Object>(value)) return Variant(value.cast<const Object&>().dispatch());
  if (PyDate_Check(o)) return DateValue(value);  // datetime too
  if (PyList_Check(o) || PyTuple_Check(o)) return ArrayValue(value);
  if (py::isinstance<Special>(value)) return SpecialValue(value.cast<const Special&>());
  if (py::isinstance(value, DecimalClass())) return CurrencyValue(value);
  if (py::isinstance<ByRef>(value)) {
    throw py::type_error("a talmo.ByRef is passed only as an argument of a call");
  }
  throw py::type_error("talmo cannot pass a " + TypeNameOf(value) +
                       "; use int, float, str, bool, None, decimal.Decimal, datetime, "
                       "a list or tuple, or a talmo object");
}

py::object FromVariant(const Variant& variant) {
  const Variant& value = variant.Deref();
  switch (value.type()) {
    case VarType::kEmpty:
    case VarType::kNull:
      return py::none();
    case VarType::kInteger:
    case VarType::kLong:
    case VarType::kByte:
      return py::int_(value.ToLong());
    case VarType::kSingle:
    case VarType::kDouble:
      return py::float_(value.ToDouble());
    case VarType::kCurrency:
      return DecimalClass()(value.ToCurrency().scaled).attr("scaleb")(-4);
    case VarType::kDate:
      ImportDateTime();
      return DateTimeOf(value.DateSerial());
    case VarType::kString:
      return py::cast(value.ToString());
    case VarType::kObject: {
      automation::Ref<automation::Dispatch> object = value.ToObject();
      if (!object) return py::none();
      return py::cast(Object(std::move(object)));
    }
    case VarType::kError:
      if (value.IsMissing()) return MissingValue();
      return py::int_(value.ErrorScode());
    case VarType::kBoolean:
      return py::bool_(value.ToBoolean());
    default:
      break;
  }
  if (value.IsArray()) {
    py::list list;
    for (const Variant& item : value.ToArray().items()) list.append(FromVariant(item));
    return list;
  }
  throw py::type_error("a Variant of type " + std::to_string(automation::VarTypeOf(value)) +
                       " has no Python value");
}

}  // namespace talmo_python
