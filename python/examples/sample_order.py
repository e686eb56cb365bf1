#!/usr/bin/env python3
"""Creates a sample sales order through the record rules and lists its lines.

    python3 sample_order.py [INI_FILE]

INI_FILE holds the connection settings (without it, Talmo.ini beside the component). The
component and the database client must be registered with talmo-regsvr, in the registry
file that TALMO_REGISTRY names or in the default one.
"""
import datetime
import sys
from decimal import ROUND_HALF_EVEN, Decimal

import talmo

CUSTOMERS, ITEMS, SALES_HEADERS, SALES_LINES = 18, 27, 36, 37
ORDER = 1        # document type
ITEM_LINE = 2    # line type
PRICE_INCLUDING_VAT = Decimal("136.20")
STOP_NOW = 1     # Disconnect


def next_order_no(db, pattern="PY?????"):
    """The last order number within the pattern's range, or its lowest, increased by one."""
    headers = db.AllocTable(SALES_HEADERS)
    headers.SetRange(1, ORDER)
    low, high = pattern.replace("?", "0"), pattern.replace("?", "9")
    headers.SetRange(3, low, high)
    return db.IncStr(headers.Field(3) if headers.Find("+") else low)


def insert(table, what):
    if not table.Insert(True):
        raise RuntimeError(f"{what} was not inserted")


def create_order(db):
    """Writes a header for the first customer and three lines of the first item."""
    customers, items = db.AllocTable(CUSTOMERS), db.AllocTable(ITEMS)
    if not customers.Find("-") or not items.Find("-"):
        raise RuntimeError("the database has no customers or no items")
    number = next_order_no(db)

    # Each Validate runs the field's rules, as the application does when a user types.
    header = db.AllocTable(SALES_HEADERS)
    header.Validate(1, ORDER)
    header.Validate(3, number)
    header.Validate(2, customers.Field(1))      # name, address and terms of the customer
    header.Validate(19, datetime.date.today())  # order date
    insert(header, f"order {number}")

    for quantity in (1, 2, 3):
        line = db.AllocTable(SALES_LINES)
        line.Field[1] = ORDER
        line.Field[3] = number
        line.Field[4] = quantity * 10000
        line.Validate(5, ITEM_LINE)
        line.Validate(6, items.Field(1))  # description, unit, VAT group and price of the item
        line.Validate(15, quantity)
        vat = Decimal(str(line.Field(25)))  # the VAT % the rules found
        net = PRICE_INCLUDING_VAT / (1 + vat / 100)
        line.Validate(22, net.quantize(Decimal("0.01"), ROUND_HALF_EVEN))
        line.Validate(30, PRICE_INCLUDING_VAT * quantity)  # amount including VAT
        insert(line, f"line {quantity * 10000} of order {number}")
    return number


def print_lines(db, number):
    lines = db.AllocTable(SALES_LINES)
    lines.SetRange(1, ORDER)
    lines.SetRange(3, number)
    print(f"Order {number}")
    print(f"{'Line':>6} {'Item':<10} {'Qty':>5} {'Price':>10} {'Amount':>10} {'With VAT':>10}"
          "  Description")
    found = lines.Find("-")
    while found:
        print(f"{lines.Field(4):>6} {lines.Field(6):<10} {lines.Field(15):>5g} "
              f"{lines.Field(22):>10.2f} {lines.Field(29):>10.2f} {lines.Field(30):>10.2f}"
              f"  {lines.Field(11)}")
        found = lines.NextRec(1) > 0


def main():
    db = talmo.CreateObject("Talmo.Database")
    if len(sys.argv) > 1:
        db.AutoConnect(sys.argv[1])
    else:
        db.AutoConnect()
    db.BWT()
    try:
        number = create_order(db)
    except BaseException:
        db.AWT()
        raise
    db.EWT()
    print_lines(db, number)
    db.Disconnect(STOP_NOW)


if __name__ == "__main__":
    try:
        main()
    except talmo.AutomationError as error:
        sys.exit(f"sample_order.py: error {error.number}: {error.description}")
