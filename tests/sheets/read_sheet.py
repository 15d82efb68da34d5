#!/usr/bin/python3
"""Reads a sheet file the program wrote, independently of the program, and prints
it as JSON for the sheet tests: read_sheet.py xlsx|csv FILE

xlsx (openpyxl): sheet name, frozen cell, autofilter range, column widths, and per
cell its type (empty, number, text, date), cached value, formula, number format
and boldness.
csv (the csv module): byte-order mark, the record terminators used outside quoted
fields, and the records as lists of texts.
"""
import csv
import datetime
import io
import json
import sys


def xlsx_cell(formula_cell, value_cell):
    value = value_cell.value
    if value is None:
        kind = "empty"
    elif isinstance(value, datetime.datetime):
        kind = "date"
        value = value.date().isoformat() if value.time() == datetime.time(0) else value.isoformat()
    elif isinstance(value, bool):
        kind = "bool"
    elif isinstance(value, (int, float)):
        kind = "number"
    else:
        kind = "text"
    formula = formula_cell.value if formula_cell.data_type == "f" else None
    return {
        "type": kind,
        "value": value,
        "formula": formula,
        "format": formula_cell.number_format,
        "bold": bool(formula_cell.font is not None and formula_cell.font.b),
    }


def dump_xlsx(path):
    import openpyxl

    with_formulas = openpyxl.load_workbook(path)
    with_values = openpyxl.load_workbook(path, data_only=True)
    sheet = with_formulas.worksheets[0]
    values = with_values.worksheets[0]
    rows = [[xlsx_cell(f, v) for f, v in zip(frow, vrow)]
            for frow, vrow in zip(sheet.iter_rows(), values.iter_rows())]
    widths = {}
    for letter, dim in sheet.column_dimensions.items():
        if dim.width:
            widths[letter] = dim.width
    return {
        "sheet": sheet.title,
        "freeze": sheet.freeze_panes,
        "autofilter": sheet.auto_filter.ref,
        "widths": widths,
        "rows": rows,
    }


def terminators(text):
    found = set()
    quoted = False
    i = 0
    while i < len(text):
        ch = text[i]
        if ch == '"':
            quoted = not quoted
        elif not quoted and ch in "\r\n":
            if text.startswith("\r\n", i):
                found.add("CRLF")
                i += 1
            else:
                found.add("LF" if ch == "\n" else "CR")
        i += 1
    return sorted(found)


def dump_csv(path):
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-8-sig")
    rows = list(csv.reader(io.StringIO(text, newline=""), delimiter=";", quotechar='"'))
    return {
        "bom": raw.startswith(b"\xef\xbb\xbf"),
        "terminators": terminators(text),
        "endsWithTerminator": text.endswith("\r\n"),
        "rows": rows,
    }


def main():
    kind, path = sys.argv[1], sys.argv[2]
    dump = dump_xlsx(path) if kind == "xlsx" else dump_csv(path)
    # One write: the output may be unbuffered, and a token per write is slow.
    sys.stdout.write(json.dumps(dump, ensure_ascii=False))


if __name__ == "__main__":
    main()
