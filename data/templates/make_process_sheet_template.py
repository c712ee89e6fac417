#!/usr/bin/python3
"""Builds process_sheet.xlsx, the sample workbook template of SheetPump.

The template holds one printed page of 37 rows and 28 columns (A to AB), as
SheetPump's layout defaults expect: the title and the information cells in
rows 1 to 4, the column headings in row 5, data rows 6 to 36 and a footer in
row 37.  Each of the 19 columns of the shipped post's process sheet lands in
the template column of the default column table.

Run with Debian's python3 (python3-openpyxl):
    /usr/bin/python3 data/templates/make_process_sheet_template.py [OUT.xlsx]
"""
import sys

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, PatternFill, Side
from openpyxl.utils import get_column_letter

PAGE_ROWS = 37
FIRST_DATA_ROW = 6
LAST_DATA_ROW = 36
WIDTH = 28

# (first column, last column, heading, number format) for each CSV column,
# in CSV order.  The first columns are the default column table of SheetPump.
COLUMNS = [
    (1, 1, "工具", "0"),
    (2, 3, "手続き名", "@"),
    (4, 6, "コメント", "@"),
    (7, 8, "工具軌跡", "@"),
    (9, 10, "工具径", "0.000"),
    (11, 12, "工具名", "@"),
    (13, 13, "主軸回転", "0"),
    (14, 15, "送り速度", "0"),
    (16, 16, "X最小", "0.000"),
    (17, 17, "X最大", "0.000"),
    (18, 18, "Y最小", "0.000"),
    (19, 19, "Y最大", "0.000"),
    (20, 20, "Z最小", "0.000"),
    (21, 21, "Z最大", "0.000"),
    (22, 22, "切削距離", "0.0"),
    (23, 23, "切削時間(秒)", "0"),
    (24, 24, "早送り距離", "0.0"),
    (25, 26, "早送り時間(秒)", "0"),
    (27, 28, "総加工時間(秒)", "0"),
]

# Information cells: (label cell, label, value cells to merge).
INFORMATION = [
    ("A2", "部品名", "D2:L2"),
    ("A3", "材質", "D3:L3"),
    ("N2", "機械", "Q2:W2"),
    ("N3", "担当者", "Q3:W3"),
    ("X2", "日付", "Z2:AB2"),
    ("X3", "図番", "Z3:AB3"),
]

FONT = "IPAGothic"
thin = Side(style="thin")
medium = Side(style="medium")
grid = Border(left=thin, right=thin, top=thin, bottom=thin)
heading_fill = PatternFill("solid", fgColor="D9D9D9")


def build(path):
    book = Workbook()
    sheet = book.active
    sheet.title = "加工指示書"
    for column in range(1, WIDTH + 1):
        sheet.column_dimensions[get_column_letter(column)].width = 7.5
    sheet.column_dimensions["A"].width = 5

    for row in range(1, PAGE_ROWS + 1):
        sheet.row_dimensions[row].height = 16.5
    sheet.row_dimensions[1].height = 30
    sheet.row_dimensions[5].height = 27

    title = sheet.cell(row=1, column=1, value="加工指示書")
    title.font = Font(name=FONT, size=18, bold=True)
    title.alignment = Alignment(horizontal="center", vertical="center")
    sheet.merge_cells(start_row=1, start_column=1, end_row=1, end_column=WIDTH)

    for label_cell, label, value_cells in INFORMATION:
        cell = sheet[label_cell]
        cell.value = label
        cell.font = Font(name=FONT, size=10, bold=True)
        first, last = value_cells.split(":")
        sheet.merge_cells(value_cells)
        for row in sheet[value_cells]:
            for value_cell in row:
                value_cell.border = Border(bottom=thin)
                value_cell.font = Font(name=FONT, size=10)

    for first, last, heading, number_format in COLUMNS:
        head = sheet.cell(row=5, column=first, value=heading)
        for row in range(5, LAST_DATA_ROW + 1):
            for column in range(first, last + 1):
                cell = sheet.cell(row=row, column=column)
                cell.border = grid
                if row == 5:
                    cell.fill = heading_fill
                    cell.font = Font(name=FONT, size=9, bold=True)
                    cell.alignment = Alignment(horizontal="center", vertical="center",
                                               wrap_text=True)
                else:
                    cell.font = Font(name=FONT, size=9)
                    cell.number_format = number_format
                    cell.alignment = Alignment(
                        horizontal="left" if number_format == "@" else "right",
                        vertical="center", shrink_to_fit=True)
            if last > first:
                sheet.merge_cells(start_row=row, start_column=first, end_row=row,
                                  end_column=last)
        head.value = heading

    footer = sheet.cell(row=PAGE_ROWS, column=1, value="備考")
    footer.font = Font(name=FONT, size=9)
    for column in range(1, WIDTH + 1):
        sheet.cell(row=PAGE_ROWS, column=column).border = Border(top=medium)

    sheet.page_setup.orientation = "landscape"
    sheet.page_setup.paperSize = sheet.PAPERSIZE_A4
    sheet.print_options.horizontalCentered = True
    sheet.sheet_properties.pageSetUpPr.fitToPage = True
    sheet.page_setup.fitToWidth = 1
    sheet.page_setup.fitToHeight = 0
    book.save(path)


if __name__ == "__main__":
    build(sys.argv[1] if len(sys.argv) > 1 else "process_sheet.xlsx")
