"""The example script writes an order through the record rules and lists what it wrote."""
import os
import pathlib
import subprocess
import sys
from decimal import Decimal

import talmo
from conftest import STOP_NOW

EXAMPLE = pathlib.Path(os.environ["TALMO_EXAMPLES"]) / "sample_order.py"


def run_example(ini):
    run = subprocess.run([sys.executable, EXAMPLE, ini], capture_output=True, text=True)
    assert run.returncode == 0, run.stderr
    title, _, *rows = run.stdout.splitlines()
    return title.removeprefix("Order "), [row.split(maxsplit=6) for row in rows]


def test_the_example_creates_and_lists_an_order(sample_ini):
    number, printed = run_example(sample_ini)
    assert number == "PY00001"
    assert [row[0] for row in printed] == ["10000", "20000", "30000"]
    assert [row[2] for row in printed] == ["1", "2", "3"]
    assert [Decimal(row[5]) for row in printed] == [Decimal("136.20") * q for q in (1, 2, 3)]

    db = talmo.CreateObject("Talmo.Database")
    db.AutoConnect(str(sample_ini))
    try:
        lines = db.AllocTable(37)
        stored = []
        for row in printed:
            assert lines.GetRecT(1, number, int(row[0]))
            stored.append([lines.Field(6), f"{lines.Field(29):.2f}", lines.Field(11)])
        assert stored == [[row[1], row[4], row[6]] for row in printed]
    finally:
        db.Disconnect(STOP_NOW)

    assert run_example(sample_ini)[0] == "PY00002"
