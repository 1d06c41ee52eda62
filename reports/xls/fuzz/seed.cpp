// Writes the fuzzer's starting corpus: workbook streams of the shipped template, of a
// filled report, and of the fixture templates when they are at hand.

#include "reports/xls/ole.h"
#include "reports/xls/shippedtemplate.h"
#include "reports/xls/workbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

static void put(const QString& dir, const QString& name, const QByteArray& bytes) {
    QFile f(dir + QLatin1Char('/') + name);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s corpus-dir [fixture-dir]\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    QTemporaryDir tmp;
    const QString shipped = tmp.filePath(QStringLiteral("dotoexcle.xlt"));
    QString error;
    if (!xls::writeShippedTemplate(shipped, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 1;
    }
    try {
        put(out, QStringLiteral("shipped.bin"), xls::ole::read(shipped).workbook);
        auto book = xls::Workbook::open(shipped);
        book->activate(3);
        for (int k = 1; k <= 40; ++k) {
            book->setNumber(k + 3, 1, k);
            book->setText(k + 3, 4,
                          k == 20 ? QString(5000, QChar(0x6587)) : QStringLiteral("文件%1").arg(k));
        }
        book->setBorders(4, 1, 44, 8);
        put(out, QStringLiteral("filled.bin"), book->stream());
        if (argc > 2)
            for (const char* name : {"libreoffice.xlt", "gnumeric.xls"}) {
                const QString path =
                    QString::fromLocal8Bit(argv[2]) + QLatin1Char('/') + QLatin1String(name);
                if (QFile::exists(path))
                    put(out, QLatin1String(name) + QStringLiteral(".bin"),
                        xls::ole::read(path).workbook);
            }
    } catch (const xls::Error& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.description()));
        return 1;
    }
    return 0;
}
