"""Reads a workbook with openpyxl and prints what the export tests check, as JSON."""
import json
import sys

import openpyxl


def colour(c):
    if c is None or c.type != "rgb" or c.rgb in (None, "00000000"):
        return None
    return c.rgb


def side(s):
    return {"style": s.style, "color": colour(s.color) if s.style else None}


def main(path):
    book = openpyxl.load_workbook(path)
    ws = book.active
    cells = {}
    for (row, col), c in sorted(ws._cells.items()):
        fill = c.fill
        cells[c.coordinate] = {
            "value": c.value,
            "font": {"name": c.font.name, "size": c.font.sz, "bold": bool(c.font.b), "color": colour(c.font.color)},
            "fill": colour(fill.fgColor) if fill.fill_type == "solid" else None,
            "border": {k: side(getattr(c.border, k)) for k in ("left", "right", "top", "bottom")},
            "horizontal": c.alignment.horizontal,
            "vertical": c.alignment.vertical,
        }
    widths = {k: d.width for k, d in ws.column_dimensions.items() if d.customWidth}
    print(json.dumps({
        "sheets": book.sheetnames,
        "gridlines": ws.sheet_view.showGridLines,
        "widths": widths,
        "maxRow": ws.max_row,
        "maxColumn": ws.max_column,
        "cells": cells,
    }, ensure_ascii=False))


if __name__ == "__main__":
    main(sys.argv[1])
