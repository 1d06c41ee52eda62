#pragma once
// Prints a worksheet on the default printer: its used range with the workbook's column
// widths, row heights, fonts, alignment, lines and merges, laid out by its page setup
// (paper, orientation, margins, scale, rows repeated on every page) over as many pages as
// it needs. Throws ReportError when there is no printer or the job fails.

#include "reports/xls/sheetlayout.h"

#include <QString>

class QPagedPaintDevice;
class QPainter;

namespace reports {

void printSheet(const xls::SheetLayout& sheet, const QString& documentName);

// The drawing itself, on any paged device (a printer, a PDF writer); returns the page count.
int paintSheet(const xls::SheetLayout& sheet, QPagedPaintDevice& device, QPainter& painter);

} // namespace reports
