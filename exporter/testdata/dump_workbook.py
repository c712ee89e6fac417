#!/usr/bin/python3
"""Prints what an independent reader finds in a workbook, for the exporter's
tests: one "key<TAB>value" line each for the first sheet's cells, row
heights, merged areas and cell formats.  Loading fails loudly on a file a
spreadsheet would have to repair.

    dump_workbook.py BOOK.xlsx
"""
import sys

from openpyxl import load_workbook


def main(path):
    book = load_workbook(path)
    sheet = book.worksheets[0]
    print("title\t%s" % sheet.title)
    print("sheets\t%d" % len(book.worksheets))
    print("max_row\t%d" % sheet.max_row)
    for merged in sorted(str(r) for r in sheet.merged_cells.ranges):
        print("merge:%s\t1" % merged)
    for row, dim in sheet.row_dimensions.items():
        if dim.height is not None:
            print("height:%d\t%g" % (row, dim.height))
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None:
                kind = "n" if isinstance(cell.value, (int, float)) else "s"
                value = ("%.15g" % cell.value) if kind == "n" else cell.value
                print("value:%s\t%s:%s" % (cell.coordinate, kind, value.replace("\n", "\\n")))
            if cell.has_style:
                border = cell.border
                left = border.left.style if border.left is not None else None
                bottom = border.bottom.style if border.bottom is not None else None
                print("style:%s\t%s|%d|%s|%s|%s" % (
                    cell.coordinate, cell.number_format, int(bool(cell.font.b)),
                    left, bottom, cell.fill.fgColor.rgb))


if __name__ == "__main__":
    main(sys.argv[1])
