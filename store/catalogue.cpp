#include "store/catalogue.h"

#include "shell/app/app.h"
#include "store/connection.h"
#include "store/engine_p.h"
#include "store/error.h"
#include "store/sqltext.h"

#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

namespace store {

namespace {

const QString kCatalogueFile = QStringLiteral("sys_kw.kwd");
const QString kTemplateFile = QStringLiteral("sy.mdb");

QList<ColumnDef> documentColumns(const QString& serial) {
    const QString text = QStringLiteral("TEXT");
    const QString date = QStringLiteral("DATE");
    return {
        {serial, text, QStringLiteral("NOT NULL UNIQUE")},
        {QStringLiteral("年度"), text, {}},
        {QStringLiteral("责任者"), text, {}},
        {QStringLiteral("文号"), text, {}},
        {QStringLiteral("文件标题名"), text, {}},
        {QStringLiteral("发文时间"), date, {}},
        {QStringLiteral("文件页数"), text, {}},
        {QStringLiteral("保管期限"), text, {}},
        {QStringLiteral("密级"), text, {}},
        {QStringLiteral("全宗号"), text, {}},
        {QStringLiteral("案卷目录号"), text, {}},
        {QStringLiteral("案卷号"), text, {}},
        {QStringLiteral("分卷号"), text, {}},
        {QStringLiteral("装订页号"), text, {}},
        {QStringLiteral("卷内件号"), text, {}},
        {QStringLiteral("归档时间"), date, {}},
        {QStringLiteral("备注"), text, {}},
    };
}

QList<TableDef> buildTables() {
    const QString text = QStringLiteral("TEXT");
    const QString date = QStringLiteral("DATE");
    const QString unique = QStringLiteral("NOT NULL UNIQUE");
    return {
        {QStringLiteral("发文单位管理"),
         {{QStringLiteral("发文单位"), text, unique}, {QStringLiteral("单位编码"), text, {}}}},
        {QStringLiteral("合同协议库"),
         {{QStringLiteral("合同流水号"), text, unique},
          {QStringLiteral("合同编号"), text, {}},
          {QStringLiteral("装盒号"), text, {}},
          {QStringLiteral("名称"), text, {}},
          {QStringLiteral("甲方"), text, {}},
          {QStringLiteral("乙方"), text, {}},
          {QStringLiteral("签订日期"), text, {}},
          {QStringLiteral("入档时间"), date, {}},
          {QStringLiteral("备注"), text, {}}}},
        {QStringLiteral("借阅记录库"),
         {{QStringLiteral("流水号"), QStringLiteral("INTEGER"),
           QStringLiteral("PRIMARY KEY AUTOINCREMENT")},
          {QStringLiteral("借阅编号"), text, {}},
          {QStringLiteral("文件资料编号"), text, {}},
          {QStringLiteral("文件资料名"), text, {}},
          {QStringLiteral("数量"), QStringLiteral("INTEGER"), {}},
          {QStringLiteral("借阅人"), text, {}},
          {QStringLiteral("经办人"), text, {}},
          {QStringLiteral("借阅时间"), date, {}},
          {QStringLiteral("归还时间"), date, {}},
          {QStringLiteral("状态"), text, {}},
          {QStringLiteral("备注"), text, {}}}},
        {QStringLiteral("文件发文库"), documentColumns(QStringLiteral("发文流水号"))},
        {QStringLiteral("文件收文库"), documentColumns(QStringLiteral("收文流水号"))},
        {QStringLiteral("选择项"),
         {{QStringLiteral("保管期限"), text, {}}, {QStringLiteral("密级"), text, {}}}},
        {QStringLiteral("用户管理"),
         {{QStringLiteral("用户名"), text, {}}, {QStringLiteral("密码"), text, {}}}},
        {QStringLiteral("归档库"), documentColumns(QStringLiteral("流水号"))},
    };
}

QString createTableSql(const TableDef& table) {
    QStringList columns;
    for (const ColumnDef& column : table.columns) {
        QString def = column.name + QLatin1Char(' ') + column.sqlType;
        if (!column.constraints.isEmpty())
            def += QLatin1Char(' ') + column.constraints;
        columns << def;
    }
    return QStringLiteral("create table %1 (%2)")
        .arg(table.name, columns.join(QStringLiteral(", ")));
}

} // namespace

QString cataloguePath() {
    return app::appPath(kCatalogueFile);
}
QString backupTemplatePath() {
    return app::appPath(kTemplateFile);
}
QString databasePassword() {
    return QStringLiteral("蓝湖--mq--1987");
}

QString connectionStringFor(const QString& path) {
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=") + path +
           QStringLiteral(";Jet OLEDB:Database Password=") + databasePassword() + QLatin1Char(';');
}

QString catalogueConnectionString() {
    return connectionStringFor(cataloguePath());
}

const QList<TableDef>& catalogueTables() {
    static const QList<TableDef> tables = buildTables();
    return tables;
}

const TableDef* tableDef(const QString& name) {
    for (const TableDef& table : catalogueTables())
        if (table.name == name)
            return &table;
    return nullptr;
}

QStringList fullTableOrder() {
    return {QStringLiteral("发文单位管理"), QStringLiteral("合同协议库"),
            QStringLiteral("借阅记录库"),   QStringLiteral("文件发文库"),
            QStringLiteral("文件收文库"),   QStringLiteral("选择项"),
            QStringLiteral("用户管理"),     QStringLiteral("归档库")};
}

QStringList documentTableOrder() {
    return {QStringLiteral("文件发文库"), QStringLiteral("文件收文库")};
}

void createCatalogueTables(Connection& connection) {
    for (const TableDef& table : catalogueTables())
        connection.execute(createTableSql(table));
}

void createDatabaseFile(const QString& path, const QString& password) {
    QStringList statements;
    for (const TableDef& table : catalogueTables())
        statements << createTableSql(table);
    detail::writeNewDatabase(path, password.toUtf8(), statements);
}

void insertShippedRows(Connection& connection) {
    const QList<QPair<QString, QString>> choices = {
        {QStringLiteral("永久"), QStringLiteral("公开")},
        {QStringLiteral("长期"), QStringLiteral("内部")},
        {QStringLiteral("短期"), QStringLiteral("秘密")},
        {QStringLiteral("30年"), QStringLiteral("机密")},
        {QStringLiteral("10年"), QStringLiteral("绝密")},
    };
    const QList<QPair<QString, QString>> units = {
        {QStringLiteral("办公室"), QStringLiteral("01")},
        {QStringLiteral("人事科"), QStringLiteral("02")},
        {QStringLiteral("财务科"), QStringLiteral("03")},
        {QStringLiteral("档案室"), QStringLiteral("04")},
        {QStringLiteral("业务科"), QStringLiteral("05")},
    };
    connection.beginTransaction();
    try {
        for (const auto& [period, level] : choices)
            connection.execute(QStringLiteral("insert into 选择项 (保管期限, 密级) values (%1, %2)")
                                   .arg(sqlQuote(period), sqlQuote(level)));
        connection.execute(
            QStringLiteral("insert into 用户管理 (用户名, 密码) values ('admin', 'admin')"));
        for (const auto& [unit, code] : units)
            connection.execute(
                QStringLiteral("insert into 发文单位管理 (发文单位, 单位编码) values (%1, %2)")
                    .arg(sqlQuote(unit), sqlQuote(code)));
        connection.commit();
    } catch (...) {
        connection.rollback();
        throw;
    }
}

} // namespace store
