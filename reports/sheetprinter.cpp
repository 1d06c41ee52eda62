#include "reports/sheetprinter.h"
#include "reports/spreadsheet.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <algorithm>
#include <map>

namespace reports {

namespace {

constexpr double pointsPerInch = 72.0;
constexpr double cellPadding = 2.0; // points of room beside a cell's text

QPageSize pageSizeOf(int paperCode) {
    switch (paperCode) {
    case 1:
        return QPageSize(QPageSize::Letter);
    case 5:
        return QPageSize(QPageSize::Legal);
    case 8:
        return QPageSize(QPageSize::A3);
    case 11:
        return QPageSize(QPageSize::A5);
    case 12:
        return QPageSize(QPageSize::B4);
    case 13:
        return QPageSize(QPageSize::B5);
    default:
        return QPageSize(QPageSize::A4);
    }
}

QPageLayout pageLayoutOf(const xls::PageSetup& p) {
    const QMarginsF margins(p.leftMargin * pointsPerInch, p.topMargin * pointsPerInch,
                            p.rightMargin * pointsPerInch, p.bottomMargin * pointsPerInch);
    return QPageLayout(pageSizeOf(p.paperSize),
                       p.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, margins,
                       QPageLayout::Point, QMarginsF(0, 0, 0, 0));
}

QFont fontOf(const xls::FontSpec& f) {
    QFont font(f.name.isEmpty() ? QStringLiteral("Sans") : f.name);
    font.setPointSizeF(std::max(1.0, f.points));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStrikeOut(f.strikeOut);
    return font;
}

QPen penOf(int style) {
    QPen pen(Qt::black);
    pen.setCapStyle(Qt::SquareCap);
    switch (style) {
    case 2:
    case 8:
    case 10:
    case 12:
        pen.setWidthF(1.0);
        break;
    case 5:
    case 6:
        pen.setWidthF(1.5);
        break;
    case 7:
        pen.setWidthF(0.25);
        break;
    default:
        pen.setWidthF(0.5);
        break;
    }
    switch (style) {
    case 3:
    case 8:
        pen.setStyle(Qt::DashLine);
        break;
    case 4:
        pen.setStyle(Qt::DotLine);
        break;
    case 9:
    case 10:
        pen.setStyle(Qt::DashDotLine);
        break;
    case 11:
    case 12:
        pen.setStyle(Qt::DashDotDotLine);
        break;
    default:
        break;
    }
    return pen;
}

// A run of rows or columns on one page.
struct Span {
    int first, last;
};

std::vector<Span> paginate(const std::vector<double>& sizes, int from, double room,
                           double roomAfterFirst) {
    std::vector<Span> spans;
    int start = from;
    const int n = int(sizes.size());
    while (start < n) {
        const double limit = spans.empty() ? room : roomAfterFirst;
        double used = 0;
        int end = start;
        while (end < n && (end == start || used + sizes[size_t(end)] <= limit + 0.01)) {
            used += sizes[size_t(end)];
            ++end;
        }
        spans.push_back({start, end - 1});
        start = end;
    }
    if (spans.empty())
        spans.push_back({0, std::max(0, n - 1)});
    return spans;
}

// Header or footer text: &L, &C, &R sections; &P page, &N pages; other codes dropped.
std::array<QString, 3> headerSections(const QString& text, int page, int pages) {
    std::array<QString, 3> out;
    int section = 1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('&') || i + 1 >= text.size()) {
            out[size_t(section)] += c;
            continue;
        }
        const QChar code = text[++i];
        switch (code.toUpper().unicode()) {
        case 'L':
            section = 0;
            break;
        case 'C':
            section = 1;
            break;
        case 'R':
            section = 2;
            break;
        case 'P':
            out[size_t(section)] += QString::number(page);
            break;
        case 'N':
            out[size_t(section)] += QString::number(pages);
            break;
        case '&':
            out[size_t(section)] += QLatin1Char('&');
            break;
        case '"': {
            const qsizetype end = text.indexOf(QLatin1Char('"'), i + 1);
            i = end < 0 ? text.size() : end;
            break;
        }
        default:
            while (i + 1 < text.size() && text[i + 1].isDigit())
                ++i;
            break;
        }
    }
    return out;
}

class SheetPainter {
public:
    SheetPainter(const xls::SheetLayout& s, QPagedPaintDevice& device, QPainter& p)
        : sheet_(s), device_(device), painter_(p) {
        // The painter draws in points; fonts are sized so that they come out right under
        // that scale, and their metrics then read in points too.
        const double pointsPerPixel = pointsPerInch / device.logicalDpiY();
        for (const auto& f : s.fonts) {
            QFont font = fontOf(f);
            font.setPointSizeF(font.pointSizeF() * pointsPerPixel);
            fonts_.push_back(font);
        }
        // Column widths count digits of the default font.
        QFontMetricsF metrics(fonts_.empty() ? QFont() : fonts_[0], &device);
        const double digit = metrics.horizontalAdvance(QLatin1Char('0'));
        for (int w : s.columnWidths)
            columns_.push_back(w / 256.0 * digit);
        for (int h : s.rowHeights)
            rows_.push_back(h / 20.0);
        for (const auto& c : s.cells)
            cells_[{c.row, c.column}] = &c;
        for (const auto& m : s.merges)
            for (int r = m.row1; r <= m.row2; ++r)
                for (int c = m.column1; c <= m.column2; ++c)
                    mergeOf_[{r, c}] = &m;
    }

    int paint() {
        const QPageLayout layout = device_.pageLayout();
        const QRectF paint = layout.paintRect(QPageLayout::Point);
        const xls::PageSetup& page = sheet_.page;
        double scale = page.scale / 100.0;
        const double usedWidth = sum(columns_, 0, int(columns_.size()) - 1);
        const double usedHeight = sum(rows_, 0, int(rows_.size()) - 1);
        if (page.fitToPage) {
            scale = 1.0;
            if (page.fitWidth > 0 && usedWidth > 0)
                scale = std::min(scale, paint.width() * page.fitWidth / usedWidth);
            if (page.fitHeight > 0 && usedHeight > 0)
                scale = std::min(scale, paint.height() * page.fitHeight / usedHeight);
            scale = std::max(scale, 0.1);
        }
        const double width = paint.width() / scale, height = paint.height() / scale;
        const bool titles = page.titleFirstRow >= 0 && page.titleLastRow >= page.titleFirstRow &&
                            page.titleFirstRow < int(rows_.size());
        const int titleLast = titles ? std::min(page.titleLastRow, int(rows_.size()) - 1) : -1;
        const double titleHeight = titles ? sum(rows_, page.titleFirstRow, titleLast) : 0;

        const auto rowSpans =
            paginate(rows_, 0, height, std::max(height - titleHeight, height / 4));
        const auto columnSpans = paginate(columns_, 0, width, width);
        const int pages = int(rowSpans.size() * columnSpans.size());
        int number = 0;
        const double toDevice = device_.logicalDpiX() / pointsPerInch;
        for (const Span& cols : columnSpans)
            for (const Span& rows : rowSpans) {
                if (number > 0 && !device_.newPage())
                    return number;
                ++number;
                painter_.save();
                painter_.scale(toDevice, toDevice);
                drawHeaderFooter(paint, layout, number, pages);
                painter_.scale(scale, scale);
                double x0 = 0;
                if (page.centerHorizontally)
                    x0 = std::max(0.0, (width - sum(columns_, cols.first, cols.last)) / 2);
                std::vector<int> pageRows;
                if (titles && rows.first > titleLast)
                    for (int r = page.titleFirstRow; r <= titleLast; ++r)
                        pageRows.push_back(r);
                for (int r = rows.first; r <= rows.last; ++r)
                    pageRows.push_back(r);
                drawRows(pageRows, cols, x0);
                painter_.restore();
            }
        return number;
    }

private:
    static double sum(const std::vector<double>& v, int first, int last) {
        double s = 0;
        for (int i = std::max(first, 0); i <= last && i < int(v.size()); ++i)
            s += v[size_t(i)];
        return s;
    }

    void drawHeaderFooter(const QRectF& paint, const QPageLayout& layout, int page, int pages) {
        const auto& p = sheet_.page;
        const double fullHeight = layout.fullRectPoints().height();
        QFont font = fonts_.empty() ? QFont() : fonts_[0];
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        const QFontMetricsF m(font, &device_);
        const double lineHeight = m.height();
        auto draw = [&](const QString& text, double top) {
            if (text.isEmpty())
                return;
            const auto parts = headerSections(text, page, pages);
            const QRectF box(0, top, paint.width(), lineHeight);
            painter_.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, parts[0]);
            painter_.drawText(box, Qt::AlignHCenter | Qt::AlignVCenter, parts[1]);
            painter_.drawText(box, Qt::AlignRight | Qt::AlignVCenter, parts[2]);
        };
        draw(p.header, p.headerMargin * pointsPerInch - paint.top());
        draw(p.footer, fullHeight - p.footerMargin * pointsPerInch - lineHeight - paint.top());
    }

    const xls::LayoutCell* cellAt(int r, int c) const {
        auto it = cells_.find({r, c});
        return it == cells_.end() ? nullptr : it->second;
    }

    void drawRows(const std::vector<int>& pageRows, Span cols, double x0) {
        std::vector<double> xs{x0};
        for (int c = cols.first; c <= cols.last; ++c)
            xs.push_back(xs.back() + columns_[size_t(c)]);
        if (sheet_.page.gridLines)
            drawGrid(pageRows, xs);
        double y = 0;
        for (int r : pageRows) {
            const double h = rows_[size_t(r)];
            if (h > 0)
                for (int c = cols.first; c <= cols.last; ++c)
                    drawCell(r, c, QRectF(xs[size_t(c - cols.first)], y, columns_[size_t(c)], h),
                             pageRows, cols, xs, y);
            y += h;
        }
    }

    // The sheet's grid, printed only when its page setup asks for it.
    void drawGrid(const std::vector<int>& pageRows, const std::vector<double>& xs) {
        double height = 0;
        for (int r : pageRows)
            height += rows_[size_t(r)];
        QPen pen(QColor(160, 160, 160));
        pen.setWidthF(0.25);
        painter_.setPen(pen);
        for (double x : xs)
            painter_.drawLine(QPointF(x, 0), QPointF(x, height));
        double y = 0;
        painter_.drawLine(QPointF(xs.front(), 0), QPointF(xs.back(), 0));
        for (int r : pageRows) {
            y += rows_[size_t(r)];
            painter_.drawLine(QPointF(xs.front(), y), QPointF(xs.back(), y));
        }
    }

    void drawCell(int r, int c, const QRectF& rect, const std::vector<int>& pageRows, Span cols,
                  const std::vector<double>& xs, double y) {
        const xls::LayoutCell* cell = cellAt(r, c);
        auto merge = mergeOf_.find({r, c});
        const xls::MergedRange* m = merge == mergeOf_.end() ? nullptr : merge->second;
        if (cell) {
            const xls::CellStyle& st = sheet_.styles[size_t(cell->style)];
            // Lines inside a merged range are not drawn.
            const bool inLeft = m && c > m->column1, inRight = m && c < m->column2;
            const bool inTop = m && r > m->row1, inBottom = m && r < m->row2;
            auto line = [&](int style, QPointF a, QPointF b) {
                if (!style)
                    return;
                painter_.setPen(penOf(style));
                painter_.drawLine(a, b);
            };
            if (!inLeft)
                line(st.left, rect.topLeft(), rect.bottomLeft());
            if (!inRight)
                line(st.right, rect.topRight(), rect.bottomRight());
            if (!inTop)
                line(st.top, rect.topLeft(), rect.topRight());
            if (!inBottom)
                line(st.bottom, rect.bottomLeft(), rect.bottomRight());
        }
        QRectF box = rect;
        if (m) {
            if (r != m->row1 && !(r == pageRows.front() && r > m->row1))
                return;
            if (c != m->column1 && c != cols.first)
                return;
            const xls::LayoutCell* anchor = cellAt(m->row1, m->column1);
            if (!anchor || anchor->text.isEmpty())
                return;
            double right = box.left();
            for (int k = c; k <= std::min(m->column2, cols.last); ++k)
                right += columns_[size_t(k)];
            double bottom = y;
            auto pos = std::find(pageRows.begin(), pageRows.end(), r);
            for (auto it = pos; it != pageRows.end() && *it <= m->row2; ++it)
                bottom += rows_[size_t(*it)];
            box = QRectF(box.left(), y, right - box.left(), bottom - y);
            drawText(*anchor, box, false, cols, xs, r);
            return;
        }
        if (cell && !cell->text.isEmpty())
            drawText(*cell, box, true, cols, xs, r);
    }

    void drawText(const xls::LayoutCell& cell, QRectF box, bool mayOverflow, Span cols,
                  const std::vector<double>& xs, int row) {
        const xls::CellStyle& st = sheet_.styles[size_t(cell.style)];
        const QFont& font = fonts_.empty()
                                ? painter_.font()
                                : fonts_[size_t(std::min<int>(st.font, int(fonts_.size()) - 1))];
        painter_.setFont(font);
        painter_.setPen(Qt::black);
        int h = Qt::AlignLeft;
        switch (st.hAlign) {
        case xls::HAlign::General:
            h = cell.numeric ? Qt::AlignRight : Qt::AlignLeft;
            break;
        case xls::HAlign::Center:
        case xls::HAlign::CenterAcross:
        case xls::HAlign::Distributed:
            h = Qt::AlignHCenter;
            break;
        case xls::HAlign::Right:
            h = Qt::AlignRight;
            break;
        case xls::HAlign::Justify:
            h = Qt::AlignJustify;
            break;
        default:
            h = Qt::AlignLeft;
            break;
        }
        int v = Qt::AlignBottom;
        if (st.vAlign == xls::VAlign::Top)
            v = Qt::AlignTop;
        else if (st.vAlign == xls::VAlign::Center || st.vAlign == xls::VAlign::Distributed ||
                 st.vAlign == xls::VAlign::Justify)
            v = Qt::AlignVCenter;
        const bool wrap = st.wrap || st.hAlign == xls::HAlign::Justify;
        QRectF clip = box;
        if (mayOverflow && !wrap) {
            // Text wider than its cell runs on over empty neighbours, as on screen.
            const QFontMetricsF m(font, &device_);
            const double need = m.horizontalAdvance(cell.text) + 2 * cellPadding;
            const int c = cell.column;
            double left = box.left(), right = box.right();
            if (need > box.width()) {
                if (h != Qt::AlignRight)
                    for (int k = c + 1; k <= cols.last && right - left < need && !occupied(row, k);
                         ++k)
                        right = xs[size_t(k - cols.first + 1)];
                if (h != Qt::AlignLeft)
                    for (int k = c - 1; k >= cols.first && right - left < need && !occupied(row, k);
                         --k)
                        left = xs[size_t(k - cols.first)];
            }
            clip = QRectF(left, box.top(), right - left, box.height());
            if (h == Qt::AlignHCenter) {
                const double extra = std::max(0.0, need - box.width()) / 2;
                box = QRectF(box.left() - extra, box.top(), box.width() + 2 * extra, box.height());
            } else {
                box = clip;
            }
        }
        painter_.save();
        painter_.setClipRect(clip, Qt::IntersectClip);
        const QRectF inner = box.adjusted(cellPadding, 0, -cellPadding, 0);
        painter_.drawText(inner, h | v | (wrap ? Qt::TextWordWrap : 0), cell.text);
        painter_.restore();
    }

    bool occupied(int r, int c) const {
        const xls::LayoutCell* cell = cellAt(r, c);
        return (cell && !cell->text.isEmpty()) || mergeOf_.count({r, c});
    }

    const xls::SheetLayout& sheet_;
    QPagedPaintDevice& device_;
    QPainter& painter_;
    std::vector<QFont> fonts_;
    std::vector<double> columns_, rows_;
    std::map<std::pair<int, int>, const xls::LayoutCell*> cells_;
    std::map<std::pair<int, int>, const xls::MergedRange*> mergeOf_;
};

} // namespace

int paintSheet(const xls::SheetLayout& sheet, QPagedPaintDevice& device, QPainter& painter) {
    return SheetPainter(sheet, device, painter).paint();
}

void printSheet(const xls::SheetLayout& sheet, const QString& documentName) {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const auto all = QPrinterInfo::availablePrinters();
        if (all.isEmpty())
            throw ReportError(
                QStringLiteral("没有可用的打印机，请先安装打印机并把它设为默认打印机。"));
        info = all.first();
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(documentName.isEmpty() ? QStringLiteral("Marrowin") : documentName);
    printer.setFullPage(false);
    if (!printer.setPageLayout(pageLayoutOf(sheet.page)))
        printer.setPageOrientation(sheet.page.landscape ? QPageLayout::Landscape
                                                        : QPageLayout::Portrait);
    QPainter painter;
    if (!painter.begin(&printer))
        throw ReportError(QStringLiteral("无法在打印机“%1”上打印。").arg(info.printerName()));
    paintSheet(sheet, printer, painter);
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        throw ReportError(QStringLiteral("打印机“%1”打印失败。").arg(info.printerName()));
}

} // namespace reports
