// The record-set layer over the shipped catalogue: connections, the Jet dialect, record
// sets, filters, dates and the shipped files.

#include "storefixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <sqlcipher/sqlite3.h>

using namespace store;

namespace {

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Runs a command line tool on a database file with SQL on its standard input.
struct ToolResult {
    int exitCode;
    QString out;
};
ToolResult runTool(const QString& tool, const QString& file, const QString& sql) {
    QProcess p;
    p.start(tool, {file});
    p.write(sql.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(10000);
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()).trimmed()};
}

QString connectionString(const QString& path, const QString& password) {
    return QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=%1;"
                          "Jet OLEDB:Database Password=%2;")
        .arg(path, password);
}

} // namespace

class TestStore : public QObject {
    Q_OBJECT
private slots:
    void shippedCatalogueIsEncrypted();
    void templateIsPlainWithEmptyTables();
    void tablesHaveTheDesignColumnOrder();
    void openFailures_data();
    void openFailures();
    void unwritableFileIsPermissionDenied();
    void repeatedSerialIsRefusedAndKept_data();
    void repeatedSerialIsRefusedAndKept();
    void recordCountCountsAppendedRowAndFollowsFilter();
    void filters_data();
    void filters();
    void requeryKeepsFilterAndEmptyClears();
    void malformedFilters_data();
    void malformedFilters();
    void bookmarkSurvivesRequery();
    void loanNumbersCompareAsText();
    void likeUnderscoreMatchesOneCharacter();
    void choiceListsFollowRowOrder();
    void dateForms_data();
    void dateForms();
    void datesSortChronologically();
    void orderedRowsFollowTheEngine_data();
    void orderedRowsFollowTheEngine();
    void invalidDateNamesTheColumn();
    void deleteStaysOnRowUntilMove();
    void aliasWritesTheBaseColumn();
    void loanNumberAssignedOnInsert();
    void quotesCannotBreakStatements();
    void copyOutAndIn_data();
    void copyOutAndIn();
    void restoreInOneTransaction();
    void moveCompleteFollowsEveryMove();
    void batchedFileMatchesPageByPage_data();
    void batchedFileMatchesPageByPage();
};

void TestStore::shippedCatalogueIsEncrypted() {
    StoreFixture f;
    const QString path = cataloguePath();
    QVERIFY(runTool(QStringLiteral("sqlite3"), path, QStringLiteral("select count(*) from 选择项;"))
                .exitCode != 0);
    const ToolResult withKey =
        runTool(QStringLiteral("sqlcipher"), path,
                QStringLiteral("pragma key='蓝湖--mq--1987';\nselect count(*) from 用户管理 where "
                               "用户名='admin' and 密码='admin';\n"));
    QCOMPARE(withKey.out.split(QLatin1Char('\n')).last(), QStringLiteral("1"));
    // Connections after the first open with the derived raw key; what they write stays
    // readable with the password.
    auto later = openCatalogue();
    later->execute(QStringLiteral("insert into 文件收文库 (收文流水号) values ('S2004-99')"));
    later.reset();
    const ToolResult written = runTool(
        QStringLiteral("sqlcipher"), path,
        QStringLiteral("pragma key='蓝湖--mq--1987';\nselect 收文流水号 from 文件收文库;\n"));
    QCOMPARE(written.out.split(QLatin1Char('\n')).last(), QStringLiteral("S2004-99"));
    // And what the sqlcipher program writes, with its own encryption, reads back here.
    const QString many = QStringLiteral("pragma key='蓝湖--mq--1987';\nwith recursive n(i) as "
                                        "(select 1 union all select i + 1 from n where i < 300) "
                                        "insert into 归档库 (流水号, 备注) select 'G' || i, "
                                        "hex(randomblob(200)) from n;\n");
    QCOMPARE(runTool(QStringLiteral("sqlcipher"), path, many).exitCode, 0);
    QCOMPARE(f.count(QStringLiteral("归档库")), 300);
    QVERIFY(f.count(QStringLiteral("选择项")) >= 3);
    QVERIFY(f.count(QStringLiteral("发文单位管理")) >= 3);
}

void TestStore::templateIsPlainWithEmptyTables() {
    StoreFixture f;
    QStringList sql;
    for (const QString& t : fullTableOrder())
        sql << QStringLiteral("select '%1', count(*) from %1;").arg(t);
    const ToolResult r = runTool(QStringLiteral("sqlite3"), backupTemplatePath(), sql.join('\n'));
    QCOMPARE(r.exitCode, 0);
    QStringList expected;
    for (const QString& t : fullTableOrder())
        expected << t + QStringLiteral("|0");
    QCOMPARE(r.out.split(QLatin1Char('\n')), expected);
}

void TestStore::tablesHaveTheDesignColumnOrder() {
    StoreFixture f;
    QCOMPARE(catalogueTables().size(), 8);
    for (const TableDef& table : catalogueTables()) {
        Recordset rs;
        rs.open(QStringLiteral("select * from ") + table.name, *f.db);
        QCOMPARE(rs.fieldCount(), table.columns.size());
        for (int i = 0; i < rs.fieldCount(); ++i)
            QCOMPARE(rs.fieldName(i), table.columns[i].name);
    }
    Recordset rs;
    rs.open(QStringLiteral("select * from 借阅记录库"), *f.db);
    QCOMPARE(rs.fieldType(rs.fieldIndex(QStringLiteral("数量"))), int(kInteger));
    QCOMPARE(rs.fieldType(rs.fieldIndex(QStringLiteral("借阅时间"))), int(kDate));
    QCOMPARE(rs.fieldType(rs.fieldIndex(QStringLiteral("借阅编号"))), int(kText));
}

void TestStore::openFailures_data() {
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QByteArray>("content"); // empty: no file at all
    QTest::addColumn<QString>("password");
    QTest::addColumn<qint64>("number");
    QTest::addColumn<QString>("descriptionPart");
    QTest::newRow("missing file") << "无此文件.kwd" << QByteArray() << databasePassword()
                                  << kFileNotFound << "找不到";
    QTest::newRow("wrong password")
        << "sys_kw.kwd" << QByteArray() << "蓝湖--mq--1988" << kWrongPassword << "密码";
    QTest::newRow("no password") << "sys_kw.kwd" << QByteArray() << "" << kWrongPassword << "密码";
    QTest::newRow("text file") << "note.kwd" << QByteArray(3000, 'a') << databasePassword()
                               << kNotADatabase << "不是";
    QTest::newRow("empty file") << "empty.kwd" << QByteArray("") << databasePassword()
                                << kNotADatabase << "不是";
}

void TestStore::openFailures() {
    QFETCH(QString, fileName);
    QFETCH(QByteArray, content);
    QFETCH(QString, password);
    QFETCH(qint64, number);
    QFETCH(QString, descriptionPart);
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
    const QString path = env.path(fileName);
    if (!content.isNull()) {
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(content);
    }
    const bool existed = QFile::exists(path);
    const QByteArray before = fileHash(path);
    try {
        Connection c(connectionString(path, password));
        QFAIL("the open succeeded");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), number);
        QVERIFY2(e.description().contains(descriptionPart), qPrintable(e.description()));
        QVERIFY(e.description().contains(path));
    }
    QCOMPARE(QFile::exists(path), existed);
    QCOMPARE(fileHash(path), before);
    QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
}

void TestStore::unwritableFileIsPermissionDenied() {
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    // A file another connection is writing is in use: the write fails with 70.
    auto other = openCatalogue();
    other->execute(QStringLiteral("begin immediate"));
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    rs.setValue(QStringLiteral("文号"), QStringLiteral("2"));
    try {
        rs.update();
        QFAIL("wrote into a file in use");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), kPermissionDenied);
    }
    other->rollback();
    rs.update();
    if (getuid() == 0)
        return; // root writes every file
    f.db.reset();
    QFile::setPermissions(cataloguePath(), QFile::ReadOwner);
    try {
        openCatalogue();
        QFAIL("the open succeeded");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), kPermissionDenied);
    }
}

void TestStore::repeatedSerialIsRefusedAndKept_data() {
    QTest::addColumn<bool>("batch");
    QTest::newRow("Update") << false;
    QTest::newRow("UpdateBatch") << true;
}

void TestStore::repeatedSerialIsRefusedAndKept() {
    QFETCH(bool, batch);
    StoreFixture f;
    f.addIncoming(QStringLiteral("S2004-1"), QStringLiteral("1"), QStringLiteral("甲"));
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    rs.addNew();
    rs.setValue(QStringLiteral("收文流水号"), QStringLiteral("S2004-1"));
    rs.setValue(QStringLiteral("文件标题名"), QStringLiteral("重复的编号"));
    try {
        batch ? rs.updateBatch() : rs.update();
        QFAIL("the repeated serial was stored");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), kEngineFailure);
    }
    QCOMPARE(f.count(QStringLiteral("文件收文库")), 1);
    QVERIFY(rs.hasPendingChanges());
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.text(QStringLiteral("文件标题名")), QStringLiteral("重复的编号"));
    rs.setValue(QStringLiteral("收文流水号"), QStringLiteral("S2004-2"));
    batch ? rs.updateBatch() : rs.update();
    QVERIFY(!rs.hasPendingChanges());
    QCOMPARE(f.count(QStringLiteral("文件收文库")), 2);
    Recordset stored;
    stored.open(QStringLiteral("select 收文流水号 from 文件收文库 order by 收文流水号"), *f.db);
    QCOMPARE(StoreFixture::column(stored, QStringLiteral("收文流水号")),
             (QStringList{"S2004-1", "S2004-2"}));
}

void TestStore::recordCountCountsAppendedRowAndFollowsFilter() {
    StoreFixture f;
    for (int i = 1; i <= 4; ++i)
        f.addIncoming(QStringLiteral("S2004-%1").arg(i), QString::number(i % 2),
                      QStringLiteral("文件%1").arg(i));
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    QCOMPARE(rs.recordCount(), 4);
    rs.setFilter(QStringLiteral("文号 = '1'"));
    QCOMPARE(rs.recordCount(), 2);
    rs.addNew();
    QCOMPARE(rs.recordCount(), 3);
    QCOMPARE(rs.absolutePosition(), 3);
    rs.cancelUpdate();
    QCOMPARE(rs.recordCount(), 2);
    rs.setFilter(QString());
    QCOMPARE(rs.recordCount(), 4);
}

void TestStore::filters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("serials");
    QTest::newRow("text equal") << "文号 = '12'" << QStringList{"S2"};
    QTest::newRow("like contains") << "文号 like '*办*'" << QStringList{"S1", "S3"};
    QTest::newRow("like starts") << "文号 like '办*'" << QStringList{"S3"};
    QTest::newRow("like percent") << "文件标题名 like '%通知'" << QStringList{"S1", "S4"};
    QTest::newRow("date literal") << "归档时间 >= #2004-5-3#" << QStringList{"S3", "S4"};
    QTest::newRow("date before") << "归档时间 < #2004-5-3#" << QStringList{"S1", "S2"};
    QTest::newRow("bare number") << "文件页数 = 12" << QStringList{"S2"};
    QTest::newRow("not empty") << "备注<>''" << QStringList{"S4"};
    QTest::newRow("quote in literal") << "文件标题名 = 'O''Brien的来信'" << QStringList{"S2"};
    QTest::newRow("bracketed name") << "[文号] <> '12'" << QStringList{"S1", "S3", "S4"};
    QTest::newRow("ascii any case") << "文件标题名 like '*obrien*'" << QStringList{};
    QTest::newRow("no match") << "文号 = '99'" << QStringList{};
}

void TestStore::filters() {
    QFETCH(QString, filter);
    QFETCH(QStringList, serials);
    StoreFixture f;
    f.addIncoming("S1", "市办发[2004]1号", "关于开会的通知", "3", "2004-03-05");
    f.addIncoming("S2", "12", "O'Brien的来信", "12", "2004-05-02");
    f.addIncoming("S3", "办字5号", "年度报告", "7", "2004-05-03");
    f.addIncoming("S4", "8", "放假通知", "1", "2004-10-01");
    f.db->execute(QStringLiteral("update 文件收文库 set 备注='急' where 收文流水号='S4'"));
    f.db->execute(QStringLiteral("update 文件收文库 set 备注='' where 收文流水号='S3'"));
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    rs.setFilter(filter);
    QCOMPARE(rs.filter(), filter);
    QCOMPARE(rs.recordCount(), serials.size());
    QCOMPARE(StoreFixture::column(rs, QStringLiteral("收文流水号")), serials);
}

void TestStore::requeryKeepsFilterAndEmptyClears() {
    StoreFixture f;
    f.addIncoming("S1", "1", "通知一");
    f.addIncoming("S2", "2", "报告");
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    rs.setFilter(QStringLiteral("文件标题名 like '*通知*'"));
    QCOMPARE(rs.recordCount(), 1);
    f.addIncoming("S3", "3", "通知二");
    rs.requery();
    QCOMPARE(rs.recordCount(), 2);
    QCOMPARE(rs.filter(), QStringLiteral("文件标题名 like '*通知*'"));
    rs.setFilter(QString());
    QCOMPARE(rs.recordCount(), 3);
    QCOMPARE(rs.filter(), QString());
}

void TestStore::malformedFilters_data() {
    QTest::addColumn<QString>("filter");
    QTest::newRow("no value") << "文号 =";
    QTest::newRow("no operator") << "文号 '12'";
    QTest::newRow("unknown operator") << "文号 ~ '12'";
    QTest::newRow("unknown column") << "没有的列 = '12'";
    QTest::newRow("lone quote") << "文号 = 'a'b'";
    QTest::newRow("unclosed quote") << "文号 = 'abc";
    QTest::newRow("bare word") << "文号 = abc";
    QTest::newRow("like number") << "文号 like 12";
    QTest::newRow("bad date") << "归档时间 > #2004-13-45#";
}

void TestStore::malformedFilters() {
    QFETCH(QString, filter);
    StoreFixture f;
    f.addIncoming("S1", "12", "通知");
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    rs.setFilter(QStringLiteral("文号 = '12'"));
    try {
        rs.setFilter(filter);
        QFAIL("the filter was accepted");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), kBadFilter);
        QVERIFY2(e.description().contains(filter), qPrintable(e.description()));
    }
    QCOMPARE(rs.filter(), QStringLiteral("文号 = '12'"));
    QCOMPARE(rs.recordCount(), 1);
}

void TestStore::bookmarkSurvivesRequery() {
    StoreFixture f;
    for (int i = 1; i <= 5; ++i)
        f.addIncoming(QStringLiteral("S%1").arg(i), QString::number(i), QStringLiteral("文件"), "1",
                      QStringLiteral("2004-03-0%1").arg(i));
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    rs.setAbsolutePosition(3);
    const Recordset::Bookmark mark = rs.bookmark();
    rs.setValue(QStringLiteral("文件标题名"), QStringLiteral("改过的"));
    rs.update();
    rs.requery();
    QCOMPARE(rs.absolutePosition(), 1);
    rs.setBookmark(mark);
    QCOMPARE(rs.absolutePosition(), 3);
    QCOMPARE(rs.text(QStringLiteral("收文流水号")), QStringLiteral("S3"));
    QCOMPARE(rs.text(QStringLiteral("文件标题名")), QStringLiteral("改过的"));
}

void TestStore::loanNumbersCompareAsText() {
    StoreFixture f;
    for (const char* number : {"2004-0009", "2005-0001", "2004-0010", "2004-0002"})
        f.db->execute(QStringLiteral("insert into 借阅记录库 (借阅编号, 数量, 借阅人, 状态) "
                                     "values ('%1', 1, '张三', '借阅')")
                          .arg(QLatin1String(number)));
    Recordset rs;
    rs.open(QStringLiteral("select top 1 借阅编号 from 借阅记录库 order by 借阅编号 desc"), *f.db);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.text(0), QStringLiteral("2005-0001"));
    f.db->execute(QStringLiteral("delete * from 借阅记录库 where 借阅编号 like '2005%'"));
    rs.requery();
    QCOMPARE(rs.text(0), QStringLiteral("2004-0010"));
    QCOMPARE(rs.fieldType(0), int(kText));
}

void TestStore::likeUnderscoreMatchesOneCharacter() {
    StoreFixture f;
    int n = 0;
    for (const char* date : {"20040305", "2004035", "200403051", "20050305", "2004三月五日"})
        f.db->execute(QStringLiteral("insert into 合同协议库 (合同流水号, 签订日期) values "
                                     "('H2004-%1', '%2')")
                          .arg(++n)
                          .arg(QString::fromUtf8(date)));
    Recordset rs;
    rs.open(
        QStringLiteral("select * from 合同协议库 where 签订日期 like '2004____' Order by 签订日期"),
        *f.db);
    QCOMPARE(StoreFixture::column(rs, QStringLiteral("签订日期")),
             (QStringList{"20040305", "2004三月五日"}));
}

void TestStore::choiceListsFollowRowOrder() {
    StoreFixture f;
    f.db->execute(QStringLiteral("delete * from 选择项"));
    f.db->execute(QStringLiteral(
        "insert into 选择项 values ('长期', '秘密'), ('永久', '公开'), ('短期', '内部')"));
    Recordset periods;
    periods.open(QStringLiteral("select 保管期限 from 选择项"), *f.db);
    QCOMPARE(StoreFixture::column(periods, QStringLiteral("保管期限")),
             (QStringList{"长期", "永久", "短期"}));
    Recordset levels;
    levels.open(QStringLiteral("select 密级 from 选择项"), *f.db);
    QCOMPARE(StoreFixture::column(levels, QStringLiteral("密级")),
             (QStringList{"秘密", "公开", "内部"}));
}

void TestStore::dateForms_data() {
    QTest::addColumn<QVariant>("input");
    QTest::newRow("date text") << QVariant(QStringLiteral("2004年3月5日"));
    QTest::newRow("QDate") << QVariant(QDate(2004, 3, 5));
    QTest::newRow("iso") << QVariant(QStringLiteral("2004-03-05"));
    QTest::newRow("y-m-d") << QVariant(QStringLiteral("2004-3-5"));
    QTest::newRow("y/m/d") << QVariant(QStringLiteral("2004/3/5"));
}

void TestStore::dateForms() {
    QFETCH(QVariant, input);
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    rs.setValue(QStringLiteral("归档时间"), input);
    rs.update();
    Recordset raw;
    raw.open(
        QStringLiteral("select typeof(归档时间) as t, 归档时间 || '' as stored from 文件收文库"),
        *f.db);
    QCOMPARE(raw.text(QStringLiteral("stored")), QStringLiteral("2004-03-05"));
    QCOMPARE(raw.text(QStringLiteral("t")), QStringLiteral("text"));
    rs.requery();
    QCOMPARE(rs.value(QStringLiteral("归档时间")), QVariant(QDate(2004, 3, 5)));
    QCOMPARE(rs.text(QStringLiteral("归档时间")), QStringLiteral("2004-3-5"));
    QCOMPARE(rs.fieldType(rs.fieldIndex(QStringLiteral("归档时间"))), int(kDate));
}

void TestStore::datesSortChronologically() {
    StoreFixture f;
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    const QStringList dates{"2004年10月1日", "2004年3月5日", "2003年12月31日"};
    for (int i = 0; i < dates.size(); ++i) {
        rs.addNew();
        rs.setValue(QStringLiteral("收文流水号"), QStringLiteral("S%1").arg(i));
        rs.setValue(QStringLiteral("归档时间"), dates[i]);
    }
    rs.updateBatch();
    rs.requery();
    QCOMPARE(StoreFixture::column(rs, QStringLiteral("归档时间")),
             (QStringList{"2003-12-31", "2004-3-5", "2004-10-1"}));
}

// The record set orders held rows itself for a closing one-column ORDER BY; whichever way
// it takes, the rows must come in exactly the engine's order: nulls, ties, byte order of
// Chinese texts, keys alike in their first sixteen bytes, signed numbers, a column of
// mixed kinds (which the engine must then order).
void TestStore::orderedRowsFollowTheEngine_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("mixedKinds");
    const QString all = QStringLiteral("select * from 文件收文库 ");
    QTest::newRow("text") << all + "order by 备注"
                          << "收文流水号" << false;
    QTest::newRow("text desc") << all + "Order By 备注 DESC"
                               << "收文流水号" << false;
    QTest::newRow("bracketed, asc, semicolon") << all + "where 年度 = '2004' order by [备注] asc ;"
                                               << "收文流水号" << false;
    QTest::newRow("alias")
        << "select 收文流水号 as 编号, 备注 as 说明 from 文件收文库 order by 说明"
        << "编号" << false;
    QTest::newRow("alias hides the column")
        << "select 收文流水号 as 编号, 文号 as 备注 from 文件收文库 order by 备注"
        << "编号" << false;
    QTest::newRow("dates with ties") << all + "Order by 归档时间"
                                     << "收文流水号" << false;
    QTest::newRow("dates desc") << all + "Order by 归档时间 desc"
                                << "收文流水号" << false;
    QTest::newRow("mixed kinds") << all + "Order by 归档时间"
                                 << "收文流水号" << true;
    QTest::newRow("mixed kinds desc") << all + "Order by 归档时间 desc"
                                      << "收文流水号" << true;
    QTest::newRow("integers") << "select * from 借阅记录库 order by 数量"
                              << "流水号" << false;
    QTest::newRow("integers desc") << "select * from 借阅记录库 order by 数量 desc"
                                   << "流水号" << false;
    QTest::newRow("rowid desc") << "select * from 借阅记录库 order by 流水号 desc"
                                << "流水号" << false;
    QTest::newRow("column not selected") << "select 收文流水号 from 文件收文库 order by 备注 desc"
                                         << "收文流水号" << false;
    QTest::newRow("two terms") << all + "order by 归档时间, 备注 desc"
                               << "收文流水号" << false;
}

void TestStore::orderedRowsFollowTheEngine() {
    QFETCH(QString, sql);
    QFETCH(QString, key);
    QFETCH(bool, mixedKinds);
    StoreFixture f;
    const QStringList remarks{"",
                              "a",
                              "A",
                              "ab",
                              "a b",
                              "通知",
                              "通知附件",
                              "abcdefghijklmnop",
                              "abcdefghijklmnopq",
                              "abcdefghijklmnop",
                              "2004年度全市安全生产通知甲",
                              "2004年度全市安全生产通知乙",
                              "2004年度全市安全生产通知甲",
                              "通知"};
    const QStringList dates{"2004-03-05", "2003-12-31", "2004-03-05", "2004-10-01"};
    for (int i = 0; i <= remarks.size(); ++i) {
        const QString remark = i < remarks.size() ? sqlQuote(remarks[i]) : QStringLiteral("null");
        const QString date = i % 5 == 4 ? QStringLiteral("null") : sqlQuote(dates[i % 4]);
        f.db->execute(
            QStringLiteral("insert into 文件收文库 (收文流水号, 年度, 文号, 备注, 归档时间) "
                           "values ('S%1', '2004', '%2', %3, %4)")
                .arg(i)
                .arg(i % 3)
                .arg(remark, date));
        f.db->execute(
            QStringLiteral("insert into 借阅记录库 (借阅编号, 数量) values ('2004-%1', %2)")
                .arg(i)
                .arg(i % 6 == 5 ? QStringLiteral("null") : QString::number(i % 4 - 2)));
    }
    // A DATE column keeps a text that reads as a number as a number.
    if (mixedKinds)
        f.db->execute(
            QStringLiteral("insert into 文件收文库 (收文流水号, 归档时间) values ('S99', '2004')"));

    QStringList engine;
    sqlite3_stmt* stmt = nullptr;
    QCOMPARE(sqlite3_prepare_v2(f.db->handle(), sql.toUtf8().constData(), -1, &stmt, nullptr),
             SQLITE_OK);
    int keyColumn = 0;
    while (QString::fromUtf8(sqlite3_column_name(stmt, keyColumn)) != key)
        ++keyColumn;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        engine << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(stmt, keyColumn)));
    sqlite3_finalize(stmt);
    QVERIFY(engine.size() > remarks.size());

    Recordset rs;
    rs.open(sql, *f.db);
    QCOMPARE(StoreFixture::column(rs, key), engine);
    rs.requery();
    QCOMPARE(StoreFixture::column(rs, key), engine);
}

void TestStore::invalidDateNamesTheColumn() {
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    for (const char* bad : {"2004年13月1日", "明天", "2004-2-30"}) {
        rs.setValue(QStringLiteral("归档时间"), QString::fromUtf8(bad));
        try {
            rs.update();
            QFAIL("an invalid date was stored");
        } catch (const DbError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("归档时间")),
                     qPrintable(e.description()));
        }
        rs.cancelUpdate();
    }
    rs.requery();
    QCOMPARE(rs.text(QStringLiteral("归档时间")), QStringLiteral("2004-3-5"));
}

void TestStore::deleteStaysOnRowUntilMove() {
    StoreFixture f;
    for (int i = 1; i <= 3; ++i)
        f.addIncoming(QStringLiteral("S%1").arg(i), "1", "文件", "1",
                      QStringLiteral("2004-03-0%1").arg(i));
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    rs.moveNext();
    rs.deleteCurrent();
    QVERIFY(!rs.eof());
    QVERIFY_THROWS_EXCEPTION(DbError, rs.value(0));
    QCOMPARE(rs.recordCount(), 2);
    rs.updateBatch();
    rs.moveNext();
    QCOMPARE(rs.text(QStringLiteral("收文流水号")), QStringLiteral("S3"));
    QCOMPARE(f.count(QStringLiteral("文件收文库")), 2);
    // The last row: the next move reaches EOF.
    rs.deleteCurrent();
    rs.moveNext();
    QVERIFY(rs.eof());
    rs.moveFirst();
    QCOMPARE(rs.text(0), QStringLiteral("S1"));
}

void TestStore::aliasWritesTheBaseColumn() {
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    Recordset rs;
    rs.open(QStringLiteral("select 收文流水号 as 编号, 文件标题名 as 标题 from 文件收文库"), *f.db);
    QCOMPARE(rs.fieldName(0), QStringLiteral("编号"));
    rs.setValue(QStringLiteral("编号"), QStringLiteral("S9"));
    rs.update();
    Recordset check;
    check.open(QStringLiteral("select 收文流水号 from 文件收文库"), *f.db);
    QCOMPARE(check.text(0), QStringLiteral("S9"));
}

void TestStore::loanNumberAssignedOnInsert() {
    StoreFixture f;
    Recordset rs;
    rs.open(QStringLiteral("select * from 借阅记录库 order by 流水号 desc"), *f.db);
    for (int i = 0; i < 2; ++i) {
        rs.addNew();
        rs.setValue(QStringLiteral("借阅编号"), QStringLiteral("2004-000%1").arg(i + 1));
        rs.setValue(QStringLiteral("数量"), QStringLiteral("2"));
        rs.update();
        QCOMPARE(rs.value(QStringLiteral("流水号")).toLongLong(), qlonglong(i + 1));
        QCOMPARE(rs.value(QStringLiteral("数量")), QVariant(qlonglong(2)));
    }
    rs.addNew();
    rs.setValue(QStringLiteral("数量"), QStringLiteral("两本"));
    QVERIFY_THROWS_EXCEPTION(DbError, rs.update());
}

void TestStore::quotesCannotBreakStatements() {
    StoreFixture f;
    const QString title = QStringLiteral("O'Brien'); delete from 用户管理; --");
    QCOMPARE(sqlQuote(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    f.addIncoming("S1", "1", title);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 where 文件标题名 = ") + sqlQuote(title),
            *f.db);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.text(QStringLiteral("文件标题名")), title);
    rs.setFilter(QStringLiteral("文件标题名 = ") + sqlQuote(title));
    QCOMPARE(rs.recordCount(), 1);
    QVERIFY(f.count(QStringLiteral("用户管理")) >= 1);
}

void TestStore::copyOutAndIn_data() {
    QTest::addColumn<QString>("fileName");
    QTest::newRow("plain") << "backup.mdb";
    QTest::newRow("quote and Chinese") << "张三's 备份 (2004).mdb";
}

void TestStore::copyOutAndIn() {
    QFETCH(QString, fileName);
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    f.addIncoming("S2", "2", "报告");
    f.db->execute(
        QStringLiteral("insert into 借阅记录库 (借阅编号, 数量) values ('2004-0001', 1)"));
    QDir(f.env.dir()).mkpath(QStringLiteral("备份目录"));
    const QString target = f.env.path(QStringLiteral("备份目录/") + fileName);
    QVERIFY(QFile::copy(backupTemplatePath(), target));
    const QString file = sqlEscape(target);
    for (const QString& t : {QStringLiteral("文件收文库"), QStringLiteral("借阅记录库")})
        f.db->execute(QStringLiteral("insert into %1 in '%2' select * from %1").arg(t, file));
    const ToolResult copied = runTool(
        QStringLiteral("sqlite3"), target,
        QStringLiteral("select count(*) from 文件收文库; select count(*) from 借阅记录库;"));
    QCOMPARE(copied.out, QStringLiteral("2\n1"));

    f.db->execute(QStringLiteral("delete * from 文件收文库"));
    f.db->execute(QStringLiteral("delete * from 借阅记录库"));
    f.db->execute(
        QStringLiteral("insert into 文件收文库 select * from 文件收文库 in  '%1'").arg(file));
    f.db->execute(
        QStringLiteral(" insert into 借阅记录库 select * from 借阅记录库 in  '%1'").arg(file));
    QCOMPARE(f.count(QStringLiteral("文件收文库")), 2);
    QCOMPARE(f.count(QStringLiteral("借阅记录库")), 1);
    QVERIFY(f.db->attachedAlias(target).isEmpty());
}

void TestStore::restoreInOneTransaction() {
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    const QString source = f.env.path(QStringLiteral("恢复'源.mdb"));
    QVERIFY(QFile::copy(backupTemplatePath(), source));
    f.db->attach(source, QStringLiteral("restore_source"));
    QCOMPARE(f.db->attachedAlias(source), QStringLiteral("restore_source"));
    f.db->beginTransaction();
    f.db->execute(QStringLiteral("delete * from 文件收文库"));
    f.db->execute(QStringLiteral("insert into 文件收文库 select * from 文件收文库 in  '%1'")
                      .arg(sqlEscape(source)));
    QCOMPARE(f.count(QStringLiteral("文件收文库")), 0);
    f.db->rollback();
    f.db->detach(QStringLiteral("restore_source"));
    QCOMPARE(f.count(QStringLiteral("文件收文库")), 1);
    // Attaching inside a transaction is refused with a clear error, and a missing file is
    // never created by an attach.
    f.db->beginTransaction();
    QVERIFY_THROWS_EXCEPTION(DbError, f.db->attach(source, QStringLiteral("late")));
    f.db->rollback();
    const QString missing = f.env.path(QStringLiteral("没有.mdb"));
    try {
        f.db->execute(
            QStringLiteral("insert into 选择项 in '%1' select * from 选择项").arg(missing));
        QFAIL("copied into a missing file");
    } catch (const DbError& e) {
        QCOMPARE(e.number(), kFileNotFound);
    }
    QVERIFY(!QFile::exists(missing));
}

void TestStore::moveCompleteFollowsEveryMove() {
    StoreFixture f;
    f.addIncoming("S1", "1", "通知");
    f.addIncoming("S2", "2", "报告");
    Recordset rs;
    QSignalSpy moves(&rs, &Recordset::moveComplete);
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    QCOMPARE(moves.count(), 1);
    rs.moveNext();
    rs.moveNext();
    QVERIFY(rs.eof());
    rs.moveFirst();
    rs.setFilter(QStringLiteral("文号 = '2'"));
    QCOMPARE(moves.count(), 5);
    QCOMPARE(rs.text(0), QStringLiteral("S2"));
    QVERIFY_THROWS_EXCEPTION(DbError, (rs.moveNext(), rs.moveNext()));
}

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"

// A batched connection gathers writes and reads ahead; with a cache of a few pages the
// engine evicts, writes and reads pages back all through one transaction, and every
// read must see the writes before it. The finished file is then read page by page.
void TestStore::batchedFileMatchesPageByPage_data() {
    QTest::addColumn<int>("cachePages");
    QTest::newRow("10 pages") << 10;
    QTest::newRow("100 pages") << 100;
    QTest::newRow("all in cache") << 4000;
}

void TestStore::batchedFileMatchesPageByPage() {
    QFETCH(int, cachePages);
    StoreFixture f;
    const QString path = f.env.path(QStringLiteral("批量.mdb"));
    QVERIFY(QFile::copy(backupTemplatePath(), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    const QString filled = QStringLiteral(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 3000) "
        "insert into 归档库 (流水号, 文件标题名, 备注) select printf('G%05d', (i * 7919) % 3000), "
        "'标题' || i, hex(randomblob(150)) from n");
    {
        Connection c(connectionString(path, QString()), Connection::FileAccess::Batched);
        c.execute(QStringLiteral("pragma journal_mode = off"));
        c.execute(QStringLiteral("pragma cache_size = %1").arg(cachePages));
        c.beginTransaction();
        c.execute(filled);
        c.execute(QStringLiteral("update 归档库 set 年度 = substr(流水号, 2)"));
        c.execute(QStringLiteral("delete from 归档库 where 流水号 like 'G%5'"));
        Recordset rs;
        rs.open(QStringLiteral("select count(*), sum(length(备注)), min(年度) from 归档库"), c);
        QCOMPARE(rs.textAt(0, 0), QStringLiteral("2700"));
        QCOMPARE(rs.textAt(0, 1), QStringLiteral("810000"));
        QCOMPARE(rs.textAt(0, 2), QStringLiteral("00000"));
        rs.close();
        c.commit();
        c.flushWrites(QStringLiteral("main"));
    }
    const ToolResult check =
        runTool(QStringLiteral("sqlite3"), path,
                QStringLiteral("pragma integrity_check;\nselect count(*), count(distinct 年度) "
                               "from 归档库;\n"));
    QCOMPARE(check.out, QStringLiteral("ok\n2700|2700"));
}
