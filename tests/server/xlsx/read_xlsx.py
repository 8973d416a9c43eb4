"""Prints every cell of every worksheet of an .xlsx file as JSON, read with openpyxl:
{"sheets": [{"title": ..., "cells": [[row, column, type, value], ...]}]}."""
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
sheets = []
for sheet in book.worksheets:
    cells = []
    for row in sheet.iter_rows():
        for cell in row:
            if cell.value is not None:
                cells.append([cell.row, cell.column, cell.data_type, str(cell.value)])
    sheets.append({"title": sheet.title, "cells": cells})
json.dump({"sheets": sheets}, sys.stdout)
