// libFuzzer target: a workbook stream from anywhere must either be read or be refused
// with xls::Error, never crash; and whatever we write from a stream we accepted must be
// read again.

#include "reports/xls/workbook.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray stream(reinterpret_cast<const char*>(data), qsizetype(size));
    std::unique_ptr<xls::Workbook> book;
    try {
        book = xls::Workbook::fromStream(stream);
        for (int s = 1; s <= book->worksheetCount(); ++s) {
            book->activate(s);
            (void)book->layout();
        }
    } catch (const xls::Error&) {
        return 0;
    }
    if (book->worksheetCount() == 0)
        return 0;
    QByteArray written;
    try {
        book->activate(1);
        book->setText(4, 2, QStringLiteral("测试文字"));
        book->setNumber(5, 1, 7);
        book->setNumber(5, 2, 1LL << 40);
        book->clear(1, 1);
        book->setBorders(4, 1, 6, 3);
        written = book->stream();
    } catch (const xls::Error&) {
        return 0; // e.g. too many cell formats to add one
    }
    try {
        auto again = xls::Workbook::fromStream(written);
        again->activate(1);
        (void)again->layout();
    } catch (const xls::Error&) {
        std::abort(); // we wrote something we cannot read
    }
    return 0;
}
