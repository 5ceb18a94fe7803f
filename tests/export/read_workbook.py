"""Reads a workbook with openpyxl and prints, one line each, the sheet and every
cell with what the export tests check: value, font, fill, borders, alignment."""
import json
import sys

import openpyxl
import openpyxl.reader.excel
from openpyxl.cell.text import Text
from openpyxl.utils.escape import unescape
from openpyxl.xml.constants import SHEET_MAIN_NS
from openpyxl.xml.functions import iterparse


def read_string_table(xml_source):
    """The shared strings as spreadsheet programs read them: every _xHHHH_ escape
    decoded once, left to right. (openpyxl itself only drops "x005F_", which
    leaves "_x0041_" undecoded and so cannot tell literal text from an escape.)"""
    return [unescape(Text.from_tree(node).content)
            for _, node in iterparse(xml_source) if node.tag == f"{{{SHEET_MAIN_NS}}}si"]


openpyxl.reader.excel.read_string_table = read_string_table


def colour(c):
    if c is None or c.type != "rgb" or c.rgb in (None, "00000000"):
        return "-"
    return c.rgb


def border(b):
    sides = [f"{s.style} {colour(s.color)}" if s.style else "-" for s in (b.left, b.right, b.top, b.bottom)]
    return sides[0] if len(set(sides)) == 1 else "/".join(sides)


def main(path):
    book = openpyxl.load_workbook(path)
    ws = book.active
    widths = " ".join(f"{k}={d.width:g}" for k, d in sorted(ws.column_dimensions.items()) if d.customWidth)
    print(f"sheets {','.join(book.sheetnames)}; gridlines {ws.sheet_view.showGridLines}; "
          f"{ws.max_row} rows, {ws.max_column} columns; widths {widths}")
    for (row, col), c in sorted(ws._cells.items()):
        f = c.font
        print(" ".join([
            c.coordinate,
            json.dumps(c.value, ensure_ascii=False),
            f"{f.name} {f.sz:g}{' bold' if f.b else ''} {colour(f.color)}",
            "fill " + (colour(c.fill.fgColor) if c.fill.fill_type == "solid" else "-"),
            "border " + border(c.border),
            f"align {c.alignment.horizontal or '-'}/{c.alignment.vertical or '-'}"
            + (" wrap" if c.alignment.wrap_text else ""),
        ]))


if __name__ == "__main__":
    main(sys.argv[1])
