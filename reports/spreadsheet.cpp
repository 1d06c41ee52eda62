#include "reports/spreadsheet.h"
#include "reports/sheetprinter.h"
#include "reports/xls/workbook.h"

#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <cmath>
#include <limits>

namespace reports {

ReportError::ReportError(const QString& description)
    : std::runtime_error(description.toStdString()), description_(description) {}

struct Spreadsheet::Impl {
    bool running = true;
    std::unique_ptr<xls::Workbook> book;
    QString templatePath;
    bool sheetActive = false;

    void requireRunning() const {
        if (!running)
            throw ReportError(QStringLiteral("电子表格已经退出，不能再操作报表。"));
    }
    void requireBook() const {
        requireRunning();
        if (!book)
            throw ReportError(QStringLiteral("还没有打开报表模板。"));
    }
    void requireSheet() const {
        requireBook();
        if (!sheetActive)
            throw ReportError(QStringLiteral("还没有选定报表模板中的工作表。"));
    }
};

namespace {

// Runs one step of the workbook layer, its failure turned into a ReportError.
template <class F> void step(F&& f) {
    try {
        f();
    } catch (const xls::Error& e) {
        throw ReportError(e.description());
    }
}

} // namespace

Spreadsheet::Spreadsheet() : d(std::make_unique<Impl>()) {}

Spreadsheet::~Spreadsheet() {
    quit();
}

void Spreadsheet::open(const QString& templatePath) {
    d->requireRunning();
    close();
    if (!QFileInfo(templatePath).isFile())
        throw ReportError(QStringLiteral("找不到报表模板文件“%1”。").arg(templatePath));
    step([&] { d->book = xls::Workbook::open(templatePath); });
    d->templatePath = QFileInfo(templatePath).absoluteFilePath();
}

void Spreadsheet::activateWorksheet(int position) {
    d->requireBook();
    step([&] { d->book->activate(position); });
    d->sheetActive = true;
}

void Spreadsheet::setCell(int row, int column, const QVariant& value) {
    d->requireSheet();
    step([&] {
        xls::Workbook& b = *d->book;
        if (!value.isValid() || value.isNull()) {
            b.clear(row, column);
            return;
        }
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar:
        case QMetaType::Long:
            b.setNumber(row, column, value.toLongLong());
            return;
        case QMetaType::ULongLong:
        case QMetaType::ULong: {
            const qulonglong v = value.toULongLong();
            if (v <= qulonglong(std::numeric_limits<qint64>::max()))
                b.setNumber(row, column, qint64(v));
            else
                b.setReal(row, column, double(v));
            return;
        }
        case QMetaType::Double:
        case QMetaType::Float: {
            const double v = value.toDouble();
            if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9.0e15)
                b.setNumber(row, column, qint64(v));
            else if (std::isfinite(v))
                b.setReal(row, column, v);
            else
                b.setText(row, column, value.toString());
            return;
        }
        case QMetaType::QDate:
            b.setText(row, column, value.toDate().toString(Qt::ISODate));
            return;
        case QMetaType::QDateTime:
            b.setText(row, column,
                      value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
            return;
        default:
            b.setText(row, column, value.toString());
            return;
        }
    });
}

void Spreadsheet::setBorders(int row1, int column1, int row2, int column2) {
    d->requireSheet();
    step([&] { d->book->setBorders(row1, column1, row2, column2); });
}

void Spreadsheet::saveAs(const QString& path) {
    d->requireBook();
    if (QFileInfo(path).absoluteFilePath() == d->templatePath)
        throw ReportError(
            QStringLiteral("不能把报表保存到报表模板“%1”上，模板必须保持不变。").arg(path));
    step([&] { d->book->save(path); });
}

void Spreadsheet::printOut() {
    d->requireSheet();
    xls::SheetLayout layout;
    step([&] { layout = d->book->layout(); });
    printSheet(layout, layout.name);
}

void Spreadsheet::close() {
    if (d) {
        d->book.reset();
        d->sheetActive = false;
        d->templatePath.clear();
    }
}

void Spreadsheet::quit() {
    close();
    if (d)
        d->running = false;
}

bool Spreadsheet::running() const {
    return d && d->running;
}

} // namespace reports
