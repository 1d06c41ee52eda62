#pragma once
// Rewrites 用户管理 in a test's catalogue copy.
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/sqltext.h"

#include <QList>
#include <QString>
#include <optional>

namespace shelltest {

struct User {
    QString name;
    std::optional<QString> password; // nothing: no value in the database
};

inline void setUsers(const QList<User>& users) {
    store::Connection cn(store::catalogueConnectionString());
    cn.execute(QStringLiteral("delete * from 用户管理"));
    for (const User& u : users) {
        const QString password = u.password ? store::sqlQuote(*u.password) : QStringLiteral("null");
        cn.execute(QStringLiteral("insert into 用户管理 (用户名,密码) values (%1,%2)")
                       .arg(store::sqlQuote(u.name), password));
    }
}

} // namespace shelltest
