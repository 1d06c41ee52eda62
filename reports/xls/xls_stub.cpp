// workbook layer
