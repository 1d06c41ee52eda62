#!/usr/bin/python3
"""Prints one worksheet of a workbook as JSON, read by xlrd: the cell values and the line
styles of every cell's borders, rows and columns counted from 1."""
import json
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
sheet = book.sheet_by_index(int(sys.argv[2]) - 1)
cells = {}
borders = {}
for r in range(sheet.nrows):
    for c in range(sheet.ncols):
        cell = sheet.cell(r, c)
        key = "%d,%d" % (r + 1, c + 1)
        if cell.ctype != xlrd.XL_CELL_EMPTY and cell.ctype != xlrd.XL_CELL_BLANK:
            value = cell.value
            if isinstance(value, float) and value == int(value):
                value = int(value)
            cells[key] = value
        b = book.xf_list[cell.xf_index].border
        lines = [b.top_line_style, b.bottom_line_style, b.left_line_style, b.right_line_style]
        if any(lines):
            borders[key] = lines
json.dump({"nsheets": book.nsheets, "nrows": sheet.nrows, "ncols": sheet.ncols,
           "cells": cells, "borders": borders}, sys.stdout, ensure_ascii=False)
