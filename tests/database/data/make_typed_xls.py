#!/usr/bin/python3
# Writes typed.xls (BIFF8) with python3-xlwt: cells of every kind FreeXL
# reports, for the Excel engine's type-guessing tests. Run once by hand; the
# tests read the committed file.
import datetime
import xlwt

DATE = xlwt.easyxf(num_format_str="YYYY-MM-DD")
DATETIME = xlwt.easyxf(num_format_str="YYYY-MM-DD hh:mm:ss")
TIME = xlwt.easyxf(num_format_str="hh:mm:ss")
BLANK = xlwt.easyxf("pattern: pattern solid;")

book = xlwt.Workbook(encoding="utf-8")
sheet = book.add_sheet("Types")
for col, name in enumerate(["NUM", "WHEN", "MIXED", "", "LATE", "TEXTNUM"]):
    if name:
        sheet.write(0, col, name)

d = datetime.datetime
rows = {
    1: [1, (d(2024, 3, 15), DATE), 7.0, "a", None, "1"],
    2: [2.5, (d(2024, 3, 15, 10, 30), DATETIME), "text", "b", None, "2"],
    3: [None, (datetime.time(14, 5), TIME), 145.5, None, None, None],
    4: [-3, None, (d(2024, 3, 15), DATE), "d", None, None],
    5: [None, None, None, None, None, None],
    6: [1e6, None, (d(2024, 3, 15, 10, 30), DATETIME), "f", None, None],
    7: [0.1, None, None, None, None, None],
    8: [8, None, None, None, None, None],
    9: ["123.5", "2024-01-02", None, None, 42, None],
    10: ["abc", "junk", None, None, None, None],
    11: [(d(2024, 1, 1), DATE), 45000.25, None, None, None, None],
}
for row, cells in rows.items():
    for col, cell in enumerate(cells):
        if cell is None:
            continue
        if isinstance(cell, tuple):
            sheet.write(row, col, cell[0], cell[1])
        else:
            sheet.write(row, col, cell)
# Formatted but empty cells below the data: rows that hold nothing.
for row in range(12, 16):
    for col in range(6):
        sheet.write(row, col, None, BLANK)

second = book.add_sheet("\u00dcbersicht 2")
second.write(0, 0, 2024)
second.write(0, 1, "Stra\u00dfe")
second.write(1, 0, 1)
second.write(1, 1, "K\u00f6ln \u20ac")

book.add_sheet("Empty")
book.save("typed.xls")
