// The record-set layer on 100,000 incoming documents, beside the plain SQLite C API:
// opening the register's record set, a like filter, opening a connection, and the memory
// the record set holds against the raw text it holds.

#include "bench/common/catalogue_fill.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/layouts.h"
#include "store/recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 100000;

double ms(const QElapsedTimer& t) {
    return double(t.nsecsElapsed()) / 1e6;
}

template <typename F> double median(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        f();
        times.push_back(ms(t));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

size_t heapInUse() {
    return mallinfo2().uordblks;
}

void row(const char* what, double ours, const char* unit, const QString& peer, const QString& goal,
         bool met) {
    std::printf("%-44s %10.2f %-3s %-28s %-18s %s\n", what, ours, unit, peer.toUtf8().constData(),
                goal.toUtf8().constData(), met ? "ok" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sys_kw.kwd"));
    const QString conn = store::connectionStringFor(path);
    const QString query = QStringLiteral("select ") +
                          store::documentColumnList(QStringLiteral("收文流水号")) +
                          QStringLiteral(" from 文件收文库 Order by 归档时间");

    QElapsedTimer t;
    t.start();
    store::createDatabaseFile(path, store::databasePassword());
    double firstOpen = 0;
    {
        // The first connection of the process derives the key.
        QElapsedTimer open;
        open.start();
        store::Connection db(conn);
        firstOpen = ms(open);
        store::insertShippedRows(db);
        bench::fillDocuments(db, QStringLiteral("文件收文库"), kRows);
    }
    std::printf("catalogue with %d incoming documents written in %.0f ms\n\n", kRows, ms(t));
    std::printf("%-44s %14s %-28s %-18s\n", "measure", "store", "peer", "goal");

    store::Connection db(conn);
    // The peer: the same query read with the C API into a vector of strings.
    size_t rawBytes = 0;
    const double plain = median(5, [&] {
        std::vector<std::string> cells;
        cells.reserve(size_t(kRows) * 17);
        sqlite3_stmt* stmt = nullptr;
        const QByteArray sql = query.toUtf8();
        sqlite3_prepare_v2(db.handle(), sql.constData(), -1, &stmt, nullptr);
        const int n = sqlite3_column_count(stmt);
        rawBytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW)
            for (int i = 0; i < n; ++i) {
                const char* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, i));
                const int len = sqlite3_column_bytes(stmt, i);
                cells.emplace_back(text ? text : "", size_t(len));
                rawBytes += size_t(len);
            }
        sqlite3_finalize(stmt);
    });
    const double ours = median(5, [&] {
        store::Recordset rs;
        rs.open(query, db);
    });
    row("open the 17-column register record set", ours, "ms",
        QStringLiteral("C API to strings %1 ms").arg(plain, 0, 'f', 1),
        QStringLiteral("<= 2x (%1x)").arg(ours / plain, 0, 'f', 2), ours <= 2 * plain);

    const size_t before = heapInUse();
    auto rs = std::make_unique<store::Recordset>();
    rs->open(query, db);
    const size_t held = heapInUse() - before;
    const double filter =
        median(7, [&] { rs->setFilter(QStringLiteral("文件标题名 like '*通知*'")); });
    const int matched = rs->recordCount();
    rs->setFilter(QString());
    row("filter 文件标题名 like '*通知*'", filter, "ms",
        QStringLiteral("%1 of %2 rows").arg(matched).arg(kRows), QStringLiteral("< 20 ms"),
        filter < 20);

    const double later = median(21, [&] { store::Connection again(conn); });
    row("open a connection (after the first)", later, "ms",
        QStringLiteral("first in process %1 ms").arg(firstOpen, 0, 'f', 1),
        QStringLiteral("< 5 ms"), later < 5);

    const double ratio = double(held) / double(rawBytes);
    row("memory of the 100,000-row record set", double(held) / 1048576.0, "MiB",
        QStringLiteral("raw text %1 MiB").arg(double(rawBytes) / 1048576.0, 0, 'f', 1),
        QStringLiteral("<= 3x (%1x)").arg(ratio, 0, 'f', 2), ratio <= 3);
    return 0;
}
