#pragma once
// Straight access to the test's catalogue for the area tests: writing rows and counting
// them, each through a short-lived connection of its own.

#include "store/catalogue.h"
#include "store/connection.h"
#include "store/recordset.h"

#include <QString>

namespace testdb {

inline void exec(const QString& sql) {
    store::Connection c(store::catalogueConnectionString());
    c.execute(sql);
}

inline int count(const QString& table, const QString& where = QString()) {
    store::Connection c(store::catalogueConnectionString());
    store::Recordset rs;
    rs.open(QStringLiteral("select count(*) from ") + table +
                (where.isEmpty() ? QString() : QStringLiteral(" where ") + where),
            c);
    return rs.value(0).toInt();
}

} // namespace testdb
