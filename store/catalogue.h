#pragma once
// The catalogue database: its file, its connection string and its eight tables.

#include <QList>
#include <QString>
#include <QStringList>

namespace store {

class Connection;

// "sys_kw.kwd" and "sy.mdb" in the application directory.
QString cataloguePath();
QString backupTemplatePath();
// The database password of the connection string.
QString databasePassword();
// "PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=" + path + ";Jet OLEDB:Database Password=…;"
QString connectionStringFor(const QString& path);
// Built anew on every call, for the catalogue in the application directory.
QString catalogueConnectionString();

struct ColumnDef {
    QString name;
    QString sqlType;     // SMALLINT, INTEGER, SINGLE, DOUBLE, CURRENCY, DATE, TEXT
    QString constraints; // e.g. "NOT NULL UNIQUE", "PRIMARY KEY AUTOINCREMENT"
};
struct TableDef {
    QString name;
    QList<ColumnDef> columns; // in the table's own order
};
// The eight tables, each with its columns in the design's order.
const QList<TableDef>& catalogueTables();
const TableDef* tableDef(const QString& name);
// 发文单位管理, 合同协议库, 借阅记录库, 文件发文库, 文件收文库, 选择项, 用户管理, 归档库
QStringList fullTableOrder();
// 文件发文库, 文件收文库
QStringList documentTableOrder();
// Creates the eight empty tables on an open connection.
void createCatalogueTables(Connection& connection);
// A new database file holding the eight empty tables: encrypted with password, or a plain
// SQLite file when password is empty. An existing file is never touched (DbError).
void createDatabaseFile(const QString& path, const QString& password);
// The rows a new catalogue ships with: the choice lists, the first user account
// (admin / admin) and a few units.
void insertShippedRows(Connection& connection);

} // namespace store
