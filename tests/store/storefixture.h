#pragma once
// A catalogue copy in a temporary application directory and a few ways to fill it.

#include "shell/app/testing.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/recordset.h"
#include "store/sqltext.h"

#include <QStringList>

#include <memory>

struct StoreFixture {
    app::testing::TestEnv env{QStringLiteral(MARROWIN_SHIPPED_DIR)};
    std::unique_ptr<store::Connection> db = store::openCatalogue();

    // An incoming document: serial, 文号, 文件标题名, 文件页数, 归档时间 (any date form).
    void addIncoming(const QString& serial, const QString& number, const QString& title,
                     const QString& pages = QStringLiteral("3"),
                     const QString& filed = QStringLiteral("2004-03-05")) {
        db->execute(QStringLiteral("insert into 文件收文库 (收文流水号, 年度, 责任者, 文号, "
                                   "文件标题名, 文件页数, 保管期限, 密级, 归档时间) values "
                                   "(%1, '2004', '办公室', %2, %3, %4, '永久', '公开', %5)")
                        .arg(store::sqlQuote(serial), store::sqlQuote(number),
                             store::sqlQuote(title), store::sqlQuote(pages),
                             store::sqlQuote(filed)));
    }

    int count(const QString& table) {
        store::Recordset rs;
        rs.open(QStringLiteral("select count(*) as n from ") + table, *db);
        return rs.value(0).toInt();
    }

    // The texts of one column over all visible rows, from the current position on.
    static QStringList column(store::Recordset& rs, const QString& name) {
        QStringList values;
        if (rs.recordCount() == 0)
            return values;
        for (rs.moveFirst(); !rs.eof(); rs.moveNext())
            values << rs.text(name);
        return values;
    }
};
