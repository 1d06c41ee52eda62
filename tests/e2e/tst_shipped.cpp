// The shipped files: a first build writes them, a rebuild keeps the catalogue the program
// wrote and a template the user replaced.

#include "shell/app/testing.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/recordset.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QStringList kShipped = {QStringLiteral("sys_kw.kwd"), QStringLiteral("sy.mdb"),
                              QStringLiteral("dotoexcle.xlt")};

void runMakecatalogue(const QString& dir) {
    QProcess p;
    p.start(QStringLiteral(MAKECATALOGUE), {dir});
    QVERIFY(p.waitForFinished(60000));
    QCOMPARE(p.exitCode(), 0);
}

QByteArray contents(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class ShippedFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aRebuildKeepsWhatWasMade();
};

void ShippedFiles::aRebuildKeepsWhatWasMade() {
    app::testing::TestEnv env; // an empty application directory
    runMakecatalogue(env.dir());
    for (const QString& name : kShipped)
        QVERIFY2(QFile::exists(env.path(name)), qPrintable(name));

    {
        auto connection = store::openCatalogue();
        connection->execute(QStringLiteral(
            "insert into 发文单位管理 (发文单位, 单位编码) values ('新设科', '99')"));
    }
    QFile mine(env.path(QStringLiteral("dotoexcle.xlt")));
    QVERIFY(mine.open(QIODevice::WriteOnly | QIODevice::Truncate));
    mine.write("a template of the user's own");
    mine.close();

    QHash<QString, QByteArray> before;
    for (const QString& name : kShipped)
        before[name] = contents(env.path(name));
    runMakecatalogue(env.dir());
    for (const QString& name : kShipped)
        QVERIFY2(contents(env.path(name)) == before[name], qPrintable(name));

    auto connection = store::openCatalogue();
    store::Recordset rs;
    rs.open(QStringLiteral("select 单位编码 from 发文单位管理 where 发文单位='新设科'"),
            *connection);
    QCOMPARE(rs.recordCount(), 1);
    QCOMPARE(rs.text(0), QStringLiteral("99"));
}

QTEST_GUILESS_MAIN(ShippedFiles)
#include "tst_shipped.moc"
