"""Opens a workbook in LibreOffice (headless) as a user would print it. Prints one
JSON object: the height in points of each row from row 3 on as LibreOffice lays it
out (read from a conversion to flat ODS), the header rows and columns every printed
page repeats, and for each page of a conversion to PDF whether it shows dates."""
import json
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET
from pathlib import Path

NS = {
    "table": "urn:oasis:names:tc:opendocument:xmlns:table:1.0",
    "style": "urn:oasis:names:tc:opendocument:xmlns:style:1.0",
    "office": "urn:oasis:names:tc:opendocument:xmlns:office:1.0",
}


def convert(book, to, out):
    subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + out + "/profile",
                    "--convert-to", to, "--outdir", out, book],
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=240)
    return Path(out) / (Path(book).stem + "." + to)


def points(length):
    value, unit = re.fullmatch(r"([0-9.]+)(cm|mm|in|pt)", length).groups()
    return round(float(value) * {"cm": 72 / 2.54, "mm": 72 / 25.4, "in": 72, "pt": 1}[unit], 1)


def main(book):
    with tempfile.TemporaryDirectory() as out:
        root = ET.parse(convert(book, "fods", out)).getroot()
        heights = {}
        for st in root.iter("{%s}style" % NS["style"]):
            props = st.find("style:table-row-properties", NS)
            if props is not None and props.get("{%s}row-height" % NS["style"]):
                heights[st.get("{%s}name" % NS["style"])] = points(props.get("{%s}row-height" % NS["style"]))
        table = root.find(".//table:table", NS)
        rows = []
        for row in table.iter("{%s}table-row" % NS["table"]):
            repeat = int(row.get("{%s}number-rows-repeated" % NS["table"], "1"))
            rows += [heights.get(row.get("{%s}style-name" % NS["table"]))] * min(repeat, 1000)
        header_rows = len(table.findall(".//table:table-header-rows/table:table-row", NS))
        header_columns = len(table.findall(".//table:table-header-columns/table:table-column", NS))

        pdf = convert(book, "pdf", out)
        text = subprocess.run(["pdftotext", "-layout", str(pdf), "-"], check=True,
                              capture_output=True, text=True).stdout
        pages = [p for p in text.split("\f") if p.strip()]
        dated = [bool(re.search(r"\d{4}/\d{1,2}/\d{1,2}\(", p)) for p in pages]
    print(json.dumps({"rows": rows[2:], "headerRows": header_rows, "headerColumns": header_columns,
                      "pagesWithDates": dated}))


if __name__ == "__main__":
    main(sys.argv[1])
