#pragma once
// Catalogue rows for the lending tests, written straight into the test's catalogue.

#include "store/catalogue.h"
#include "store/connection.h"
#include "store/recordset.h"
#include "tests/common/catalogue.h"

#include <QString>
#include <QStringList>

namespace lendingtest {

using testdb::count;
using testdb::exec;

inline void clearTables() {
    for (const char* t : {"文件收文库", "文件发文库", "归档库", "合同协议库", "借阅记录库"})
        exec(QStringLiteral("delete * from ") + QString::fromUtf8(t));
}

inline QString quoted(const QString& s) {
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("''")) +
           QLatin1Char('\'');
}

inline void addLoan(const QString& number, const QString& item, const QString& state,
                    const QString& borrower = QStringLiteral("张三")) {
    exec(QStringLiteral(
             "insert into 借阅记录库 (借阅编号,文件资料编号,文件资料名,数量,借阅人,经办人,"
             "借阅时间,归还时间,状态,备注) values (%1,%2,%3,1,%4,'管理员','2004-03-01',%5,"
             "%6,'')")
             .arg(quoted(number), quoted(item), quoted(QStringLiteral("资料") + item),
                  quoted(borrower),
                  state == QStringLiteral("借阅") ? QStringLiteral("null")
                                                  : QStringLiteral("'2004-03-02'"),
                  quoted(state)));
}

// An incoming document with its serial, title and filing day.
inline void addIncoming(const QString& serial, const QString& title, int day) {
    exec(QStringLiteral("insert into 文件收文库 values (%1,'2004','办公室','文1号',%2,'2004-01-05',"
                        "'3','永久','秘密','1','2','3','4','5','6','2004-02-%3','')")
             .arg(quoted(serial), quoted(title))
             .arg(day, 2, 10, QLatin1Char('0')));
}

// One column of one loan, found by its loan number.
inline QVariant loanValue(const QString& number, const QString& column) {
    store::Connection c(store::catalogueConnectionString());
    store::Recordset rs;
    rs.open(QStringLiteral("select ") + column +
                QStringLiteral(" from 借阅记录库 where 借阅编号=") + quoted(number),
            c);
    return rs.eof() ? QVariant() : rs.value(0);
}

} // namespace lendingtest
