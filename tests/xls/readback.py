#!/usr/bin/python3
"""Reads a workbook with xlrd (formatting_info=True) and prints it as JSON: per sheet its
name, values, each cell's formatting (font, alignment, lines), merges, column widths and
row heights. An independent reader's view of what a program wrote."""
import json
import sys

import xlrd


def fmt(book, xf_index):
    xf = book.xf_list[xf_index]
    font = book.font_list[xf.font_index]
    b = xf.border
    return {
        "font": [font.name, font.height, font.weight >= 700, font.italic],
        "align": [xf.alignment.hor_align, xf.alignment.vert_align, xf.alignment.text_wrapped],
        "lines": [b.left_line_style, b.right_line_style, b.top_line_style, b.bottom_line_style],
        "format": book.format_map[xf.format_key].format_str if xf.format_key in book.format_map else "",
    }


def main():
    book = xlrd.open_workbook(sys.argv[1], formatting_info=True)
    sheets = []
    for s in book.sheets():
        cells = []
        for r in range(s.nrows):
            row = []
            for c in range(s.ncols):
                cell = s.cell(r, c)
                row.append([cell.ctype, cell.value, fmt(book, cell.xf_index)])
            cells.append(row)
        sheets.append({
            "name": s.name,
            "cells": cells,
            "merged": sorted(list(m) for m in s.merged_cells),
            "widths": {str(k): v.width for k, v in sorted(s.colinfo_map.items())},
            "heights": {str(k): v.height for k, v in sorted(s.rowinfo_map.items()) if k < 3},
            "landscape": s.portrait == 0 if hasattr(s, "portrait") else None,
        })
    json.dump({"sheets": sheets}, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main()
