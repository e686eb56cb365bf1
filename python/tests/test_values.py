"""Values both ways, arguments and members, seen through the test component's echo class."""
import datetime as dt
from decimal import Decimal

import pytest

import talmo

DOUBLE, CURRENCY, DATE = 5, 6, 7  # VarType codes for Convert

ROUND_TRIPS = {  # name: (value sent, type the object saw, value that came back)
    "int": (7, "Long", 7),
    "lowest Long": (-2**31, "Long", -2**31),
    "beyond Long": (2**31, "Double", 2147483648.0),
    "bool": (True, "Boolean", True),
    "float": (1.5, "Double", 1.5),
    "str": ("Žluťoučký kůň", "String", "Žluťoučký kůň"),
    "None is Null": (None, "Null", None),
    "Decimal": (Decimal("136.2"), "Currency", Decimal("136.2000")),
    "Decimal half to even": (Decimal("-0.00015"), "Currency", Decimal("-0.0002")),
    "largest Currency": (Decimal("922337203685477.5807"), "Currency",
                         Decimal("922337203685477.5807")),
    "datetime": (dt.datetime(2024, 2, 29, 13, 45, 30, 250000), "Date",
                 dt.datetime(2024, 2, 29, 13, 45, 30, 250000)),
    "date is midnight": (dt.date(2024, 1, 1), "Date", dt.datetime(2024, 1, 1)),
    "nested list": ([1, "a", (2.5, None)], "Variant()", [1, "a", [2.5, None]]),
    "Nothing": (talmo.Nothing, "Nothing", None),
}


@pytest.mark.parametrize("sent,seen,back", ROUND_TRIPS.values(), ids=ROUND_TRIPS.keys())
def test_values_cross_both_ways(echo, sent, seen, back):
    assert echo.Describe(sent) == seen
    result = echo.Echo(sent)
    assert result == back and type(result) is type(back)


SERIALS = {  # Date serials count days from 1899-12-30; before it the fraction runs forward.
    "zero date": (dt.datetime(1899, 12, 30), 0.0),
    "noon": (dt.datetime(2024, 1, 1, 12), 45292.5),
    "a day before, 6 am": (dt.datetime(1899, 12, 29, 6), -1.25),
}


@pytest.mark.parametrize("moment,serial", SERIALS.values(), ids=SERIALS.keys())
def test_dates_are_day_serials(echo, moment, serial):
    assert echo.Convert(moment, DOUBLE) == serial
    assert echo.Convert(serial, DATE) == moment


def test_values_made_by_the_object(echo):
    assert echo.Convert("12.3456", CURRENCY) == Decimal("12.3456")
    # Kept to the millisecond: a serial is not exact beyond it.
    assert echo.Convert(45292.5 + 0.4 / 86_400_000, DATE) == dt.datetime(2024, 1, 1, 12)


REFUSED = {
    "dict": ({"a": 1}, TypeError),
    "ByRef inside a list": ([talmo.ByRef(1)], TypeError),
    "int beyond Double": (10**400, OverflowError),
    "Decimal beyond Currency": (Decimal("922337203685477.58075"), OverflowError),
    "datetime with a zone": (dt.datetime(2024, 1, 1, tzinfo=dt.timezone.utc), ValueError),
}


@pytest.mark.parametrize("value,error", REFUSED.values(), ids=REFUSED.keys())
def test_values_without_an_automation_form_are_refused(echo, value, error):
    with pytest.raises(error):
        echo.Echo(value)


def test_optional_and_by_reference_arguments(echo):
    assert echo.Describe(1, talmo.Missing, "x") == "Long, missing, String"
    target = talmo.ByRef(41)
    assert echo.Describe(target) == "ByRef Long"
    echo.Fill(target, dt.date(2024, 5, 1))
    assert target.value == dt.datetime(2024, 5, 1)
    with pytest.raises(talmo.AutomationError):
        echo.Fill(target, "kept", 5)  # writes, then raises error 5
    assert target.value == "kept"


def test_indexed_and_default_members_and_objects(echo):
    other = talmo.CreateObject("Talmo.TestEcho")
    echo.Item[3] = "X"
    echo[4] = other  # an object is assigned by reference
    assert (echo.Item(3), echo.Item[3], echo[3], echo(3)) == ("X", "X", "X", "X")
    assert echo[4] == other and echo[4] != echo and echo.Describe(other) == "TestEcho"
    with pytest.raises(TypeError, match=r"call it, TestEcho.Item\(\), to read it"):
        bool(echo.Item)


def test_errors_carry_number_source_and_description(echo):
    with pytest.raises(talmo.AutomationError) as raised:
        echo.Raise(1001, "Nic tu není")
    error = raised.value
    assert (error.number, error.source, error.description, str(error)) == (
        1001, "Talmo.TestEcho", "Nic tu není", "1001: Nic tu není")
    with pytest.raises(talmo.UnknownMemberError) as raised:
        echo.Bogus
    assert (raised.value.number, raised.value.description) == (
        438, "Object doesn't support this property or method: TestEcho.Bogus")
    assert not hasattr(echo, "Bogus") and hasattr(echo, "echo")  # names ignore case
