"""The component itself from Python: connection, tables, the record rules, errors."""
import datetime as dt

import pytest

import talmo
from conftest import BIN, SAMPLE_COMPANY

ORDER = 1  # document type of a sales order


def test_connection_and_properties(db):
    assert (db.CompanyName(), db.NavisionPath()) == (SAMPLE_COMPANY, str(BIN))
    for value in (True, False):
        db.ViewErrors = value
        assert db.ViewErrors() is value


def test_tables_are_objects_with_indexed_fields(db):
    items = db.AllocTable(27)
    assert repr(items) == "<talmo.Object Table>" and items.EntryProcess() is None
    items.SetFilter(1, "K0*")
    numbers = []
    while items.Find(">"):
        numbers.append(items.Field(1))
    assert numbers and numbers == sorted(numbers) and all(n.startswith("K0") for n in numbers)
    assert items.Count() == len(numbers)
    assert items.Find("-")
    assert items.Field(1) == items.Field[1] == items[1] == numbers[0]
    assert isinstance(items.Field(items.FieldNo("Unit Price")), float)


def test_records_written_through_the_rules_and_rolled_back(db):
    customers = db.AllocTable(18)
    assert customers.Find("-")
    db.BWT()
    header = db.AllocTable(36)
    assert repr(header.EntryProcess()) == "<talmo.Object Entry36>"
    header.Validate(1, ORDER)
    header.Validate(3, "PY00001")
    header.Validate(2, customers.Field(1))
    assert header.Field(79) == customers.Field(2)  # the customer rule copied the name
    header.Validate(19, dt.date(2024, 3, 1))
    assert header.Field(19) == dt.datetime(2024, 3, 1)
    header.Field[10] = "Jana Horáková"
    assert header.Field(10) == "Jana Horáková"
    assert header.Insert(True) is True
    assert db.AllocTable(36).GetRecT(ORDER, "PY00001") is True
    db.AWT()
    assert db.AllocTable(36).GetRecT(ORDER, "PY00001") is False

    header.EntryProcess = talmo.Nothing
    assert header.EntryProcess() is None


def test_errors_of_the_component(db):
    with pytest.raises(talmo.AutomationError) as raised:
        db.TableNo(1.5)
    assert (raised.value.number, raised.value.description) == (
        999, "ID tabulky musí být typu String nebo Long")
    with pytest.raises(talmo.AutomationError) as raised:
        db.AllocTable("Nonexistent Table")
    assert "Nonexistent Table" in raised.value.description  # the client's message, name filled in


def test_by_reference_arguments_of_the_database_client(sample_ini, tmp_path):
    client = talmo.CreateObject("DbClient.Application")
    client.LibraryFolder(str(BIN))
    client.OpenDatabase(str(tmp_path / "sample.db"))
    client.Login("", "")
    client.OpenCompany(SAMPLE_COMPANY)
    handle = talmo.ByRef(0)
    assert client.OpenTable(handle, 27) == handle.value > 0
    assert client.TableName(handle.value) == "Item"
