// The four data operations driven as the main window runs them: file dialogs and
// message boxes answered by the test environment, the catalogue and the backup files
// read back afterwards (backup files by the sqlite3 program, a reader of its own).

#include "shell/app/testing.h"
#include "shell/backup/backupcommands.h"
#include "store/backup.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/recordset.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <functional>
#include <sys/resource.h>

using app::Answer;
using app::Icon;
using app::testing::TestEnv;

namespace {

using Command = std::function<void(QWidget*, QString&)>;
using Snapshot = QMap<QString, QList<QStringList>>;

const QString kReplace = QStringLiteral("文件已存在,确认替换它！");

QString literal(const store::TableDef& t, const store::ColumnDef& c, int i) {
    const QString type = c.sqlType.toUpper();
    if (c.constraints.contains(QStringLiteral("AUTOINCREMENT"), Qt::CaseInsensitive))
        return QString::number(100 + 7 * i); // gaps the engine would not make again
    if (type == QStringLiteral("DATE"))
        return QStringLiteral("'2004-03-%1'").arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
    if (type == QStringLiteral("INTEGER") || type == QStringLiteral("SMALLINT"))
        return QString::number(i + 1);
    if (type == QStringLiteral("DOUBLE") || type == QStringLiteral("SINGLE") ||
        type == QStringLiteral("CURRENCY"))
        return QString::number(i + 0.5);
    return QStringLiteral("'%1%2-%3 O''Brien'").arg(t.name.left(2), c.name).arg(i);
}

QString insertRow(const store::TableDef& t, int i) {
    QStringList names, values;
    for (const auto& c : t.columns) {
        names << c.name;
        values << literal(t, c, i);
    }
    return QStringLiteral("insert into %1 (%2) values (%3)")
        .arg(t.name, names.join(QLatin1Char(',')), values.join(QLatin1Char(',')));
}

// Adds rows to every table of the catalogue; salt keeps later rows apart from earlier.
void addRows(int count, int salt = 0, const QStringList& only = {}) {
    auto c = store::openCatalogue();
    for (const auto& t : store::catalogueTables()) {
        if (!only.isEmpty() && !only.contains(t.name))
            continue;
        for (int i = 0; i < count; ++i)
            c->execute(insertRow(t, salt + i));
    }
}

void emptyTables(const QStringList& tables) {
    auto c = store::openCatalogue();
    for (const auto& t : tables)
        c->execute(QStringLiteral("delete from ") + t);
}

Snapshot catalogueSnapshot() {
    Snapshot s;
    auto c = store::openCatalogue();
    for (const auto& t : store::catalogueTables()) {
        store::Recordset rs;
        rs.open(QStringLiteral("select * from ") + t.name, *c);
        QList<QStringList> rows;
        for (int r = 0; r < rs.recordCount(); ++r) {
            QStringList row;
            for (int f = 0; f < rs.fieldCount(); ++f)
                row << rs.textAt(r, f);
            rows << row;
        }
        s.insert(t.name, rows);
        rs.close();
    }
    return s;
}

// The sqlite3 program's answer to one statement on a plain file.
QString sqlite(const QString& file, const QString& sql) {
    QProcess p;
    p.start(QStringLiteral("sqlite3"), {QStringLiteral("-batch"), file, sql});
    if (!p.waitForFinished(60000))
        return QStringLiteral("<timeout>");
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed() +
           QString::fromUtf8(p.readAllStandardError()).trimmed();
}

int rowsIn(const QString& file, const QString& table) {
    bool ok = false;
    const int n = sqlite(file, QStringLiteral("select count(*) from ") + table).toInt(&ok);
    return ok ? n : -1;
}

QStringList otherTables(const QStringList& tables) {
    QStringList out;
    for (const auto& t : store::fullTableOrder())
        if (!tables.contains(t))
            out << t;
    return out;
}

// A backup by command into name in the application directory, as the user chooses it.
QString backUp(TestEnv& env, const Command& command, const QString& name, QString& sdest) {
    const QString file = env.path(name);
    env.choose(file);
    command(nullptr, sdest);
    return file;
}

// A restore or transfer-in from source, as the user chooses it and answers its question;
// the messages before it are cleared so that only its own remain.
void restoreFrom(TestEnv& env, const Command& command, const QString& source, QString& sdest,
                 Answer answer = Answer::Yes) {
    env.clearMessages();
    env.choose(source);
    env.answer(answer);
    command(nullptr, sdest);
}

// The largest file this process may write while it lives: writes beyond it fail, as
// they would on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        rlimit limit = saved_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

// Enough rows that a copy of the catalogue is larger than a file size limit of 256 KiB.
void addManyRows() {
    store::openCatalogue()->execute(QStringLiteral(
        "with recursive n(i) as (select 1 union all select i + 1 from n where i < 2000) "
        "insert into 归档库 (流水号, 备注) select 'G' || i, hex(randomblob(200)) from n"));
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        store::setBackupCheckerPath(QStringLiteral(MARROWIN_BACKUPCHECK));
        QVERIFY(QFile::exists(QStringLiteral(MARROWIN_BACKUPCHECK)));
    }

    void cancelDoesNothing_data() {
        QTest::addColumn<Command>("command");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<bool>("save");
        QTest::newRow("full backup") << Command(backup::fullBackup) << "数据备份"
                                     << "200435数据备份.mdb" << true;
        QTest::newRow("document backup") << Command(backup::documentBackup) << "文件数据备份"
                                         << "200435文件备份.mdb" << true;
        QTest::newRow("full restore") << Command(backup::fullRestore) << "数据恢复"
                                      << "" << false;
        QTest::newRow("transfer-in") << Command(backup::documentTransferIn) << "文件数据恢复"
                                     << "" << false;
    }
    void cancelDoesNothing() {
        QFETCH(Command, command);
        QFETCH(QString, title);
        QFETCH(QString, proposed);
        QFETCH(bool, save);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(2);
        const Snapshot before = catalogueSnapshot();
        const QStringList filesBefore = QDir(env.dir()).entryList(QDir::Files);
        QString sdest;
        command(nullptr, sdest);
        QVERIFY(env.messages.isEmpty());
        QCOMPARE(env.fileDialogs.size(), 1);
        const auto& d = env.fileDialogs.first();
        QCOMPARE(d.title, title);
        QCOMPARE(QDir(d.directory).canonicalPath(), QDir(env.dir()).canonicalPath());
        QCOMPARE(d.proposedName, proposed);
        QCOMPARE(d.filter, QStringLiteral("(数据库)*.mdb (*.mdb)"));
        QCOMPARE(d.save, save);
        QCOMPARE(d.mustExist, !save);
        QCOMPARE(d.defaultSuffix, QStringLiteral("mdb"));
        QCOMPARE(QDir(env.dir()).entryList(QDir::Files), filesBefore);
        QCOMPARE(catalogueSnapshot(), before);
        if (!save)
            QCOMPARE(sdest, store::cataloguePath());
    }

    void proposedNameHasNoLeadingZeros_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("proposed");
        QTest::newRow("15 January") << QDate(2004, 1, 15) << "2004115数据备份.mdb";
        QTest::newRow("5 November") << QDate(2004, 11, 5) << "2004115数据备份.mdb";
        QTest::newRow("31 December") << QDate(2004, 12, 31) << "20041231数据备份.mdb";
    }
    void proposedNameHasNoLeadingZeros() {
        QFETCH(QDate, day);
        QFETCH(QString, proposed);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR), QDateTime(day, QTime(9, 0)));
        QString sdest;
        backup::fullBackup(nullptr, sdest);
        QCOMPARE(env.fileDialogs.size(), 1);
        QCOMPARE(env.fileDialogs.first().proposedName, proposed);
    }

    void decliningReplaceReopensTheDialog() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        const QString target = env.path(QStringLiteral("old.mdb"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
        f.close();
        env.choose(target);
        env.answer(Answer::No);
        env.choose(std::nullopt);
        QString sdest;
        backup::documentBackup(nullptr, sdest);
        QCOMPARE(env.fileDialogs.size(), 2);
        QCOMPARE(env.fileDialogs.at(1).title, QStringLiteral("文件数据备份"));
        QCOMPARE(env.fileDialogs.at(1).proposedName, QStringLiteral("200435文件备份.mdb"));
        QCOMPARE(env.messageTexts(), QStringList{kReplace});
        QCOMPARE(env.messages.first().icon, Icon::Question);
        QCOMPARE(env.messages.first().buttons, app::Buttons::YesNo);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("keep me"));
    }

    void replacingWritesAFreshBackup() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(3);
        const QString target = env.path(QStringLiteral("old.mdb"));
        QFile f(target);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
        f.close();
        env.choose(target);
        env.answer(Answer::Yes);
        QString sdest;
        backup::fullBackup(nullptr, sdest);
        QCOMPARE(env.messageTexts(), (QStringList{kReplace, QStringLiteral("数据备份成功！")}));
        QCOMPARE(env.messages.last().icon, Icon::Information);
        QCOMPARE(sdest, target);
        QCOMPARE(rowsIn(target, QStringLiteral("合同协议库")), 3);
    }

    void nameWithoutExtensionGetsMdb() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        env.choose(env.path(QStringLiteral("monday")));
        QString sdest;
        backup::fullBackup(nullptr, sdest);
        QCOMPARE(sdest, env.path(QStringLiteral("monday.mdb")));
        QVERIFY(QFile::exists(sdest));
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("数据备份成功！")});
    }

    void documentBackupHoldsOnlyTheDocumentTables() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(4);
        QString sdest;
        const QString target =
            backUp(env, backup::documentBackup, QStringLiteral("docs.mdb"), sdest);
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("文件数据备份成功！")});
        QCOMPARE(sdest, target);
        QCOMPARE(rowsIn(target, QStringLiteral("文件发文库")), 4);
        QCOMPARE(rowsIn(target, QStringLiteral("文件收文库")), 4);
        for (const auto& t : otherTables(store::documentTableOrder()))
            QCOMPARE(rowsIn(target, t), 0);
        // A plain file with no password: the sqlite3 program reads the rows themselves.
        QCOMPARE(sqlite(target, QStringLiteral("select 收文流水号 from 文件收文库 limit 1")),
                 QStringLiteral("文件收文流水号-0 O'Brien"));
    }

    void fullBackupThenFullRestoreBringsEveryRowBack() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(5);
        const Snapshot original = catalogueSnapshot();
        QString sdest;
        const QString target = backUp(env, backup::fullBackup, QStringLiteral("all.mdb"), sdest);
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("数据备份成功！")});

        emptyTables({QStringLiteral("文件收文库"), QStringLiteral("借阅记录库")});
        addRows(2, 50);
        QVERIFY(catalogueSnapshot() != original);

        restoreFrom(env, backup::fullRestore, target, sdest);
        QCOMPARE(env.messageTexts(),
                 (QStringList{QStringLiteral("系统数据将全部丢失，确认要从数据文件") + target +
                                  QStringLiteral("中恢复系统数据吗？"),
                              QStringLiteral("数据恢复成功！")}));
        QCOMPARE(env.messages.last().icon, Icon::Information);
        QCOMPARE(sdest, store::cataloguePath());
        const Snapshot restored = catalogueSnapshot();
        for (const auto& t : store::fullTableOrder())
            QCOMPARE(restored.value(t), original.value(t));
        QCOMPARE(restored.value(QStringLiteral("借阅记录库")).first().first(),
                 QStringLiteral("100"));
    }

    void fullRestoreFromADocumentBackupEmptiesTheOthers() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(3);
        QString sdest;
        const QString target =
            backUp(env, backup::documentBackup, QStringLiteral("docs.mdb"), sdest);
        const Snapshot original = catalogueSnapshot();

        restoreFrom(env, backup::fullRestore, target, sdest);
        QCOMPARE(env.messageTexts().last(), QStringLiteral("数据恢复成功！"));
        const Snapshot restored = catalogueSnapshot();
        for (const auto& t : store::documentTableOrder())
            QCOMPARE(restored.value(t), original.value(t));
        for (const auto& t : otherTables(store::documentTableOrder()))
            QVERIFY2(restored.value(t).isEmpty(), qPrintable(t));
        // The emptied loan table does not hand out the numbers of the loans it held.
        auto c = store::openCatalogue();
        c->execute(QStringLiteral("insert into 借阅记录库 (借阅编号) values ('2004-0001')"));
        store::Recordset rs;
        rs.open(QStringLiteral("select max(流水号) from 借阅记录库"), *c);
        QCOMPARE(rs.value(0).toInt(), 100 + 7 * 2 + 1);
    }

    // A window that has the catalogue open holds rows it writes back by their row
    // numbers: the restore waits until every such window is closed. The restored file is
    // the catalogue as before, encrypted with the same password.
    void restoreWaitsForTheDataWindows() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(2);
        QString sdest;
        const QString target = backUp(env, backup::fullBackup, QStringLiteral("all.mdb"), sdest);
        addRows(1, 40);
        const Snapshot changed = catalogueSnapshot();
        {
            auto window = store::openCatalogue();
            for (const Command& command :
                 {Command(backup::fullRestore), Command(backup::documentTransferIn)}) {
                restoreFrom(env, command, target, sdest);
                QCOMPARE(env.messages.size(), 2);
                QCOMPARE(env.messages.last().text,
                         QStringLiteral("数据库正在使用，请关闭所有数据窗口，从新开始恢复"));
            }
        }
        QCOMPARE(catalogueSnapshot(), changed);
        restoreFrom(env, backup::fullRestore, target, sdest);
        QCOMPARE(env.messageTexts().last(), QStringLiteral("数据恢复成功！"));
        QVERIFY(catalogueSnapshot() != changed);
        QVERIFY(!QFile::exists(store::cataloguePath() + QStringLiteral(".restoring")));

        QProcess cli;
        cli.start(QStringLiteral("sqlcipher"), {store::cataloguePath()});
        cli.write("pragma key='蓝湖--mq--1987';\nselect count(*) from 文件收文库;\n");
        cli.closeWriteChannel();
        QVERIFY(cli.waitForFinished(60000));
        QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()).trimmed(), QStringLiteral("2"));
        QVERIFY(sqlite(store::cataloguePath(), QStringLiteral("select count(*) from 选择项")) !=
                QStringLiteral("5"));
    }

    void transferInReplacesOnlyTheDocumentTables() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(3);
        QString sdest;
        const QString target =
            backUp(env, backup::documentBackup, QStringLiteral("docs.mdb"), sdest);
        const Snapshot backedUp = catalogueSnapshot();

        addRows(2, 30); // new rows everywhere, in the document tables too
        const Snapshot changed = catalogueSnapshot();

        restoreFrom(env, backup::documentTransferIn, target, sdest);
        QCOMPARE(env.messageTexts(),
                 (QStringList{QStringLiteral("文件数据将更新，确认要从数据文件") + target +
                                  QStringLiteral("中恢复系统数据吗？"),
                              QStringLiteral("文件数据更新成功！")}));
        const Snapshot after = catalogueSnapshot();
        for (const auto& t : store::documentTableOrder())
            QCOMPARE(after.value(t), backedUp.value(t)); // replaced, not merged
        for (const auto& t : otherTables(store::documentTableOrder()))
            QCOMPARE(after.value(t), changed.value(t));
    }

    void decliningTheRestoreQuestionChangesNothing() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        QString sdest;
        const QString target = backUp(env, backup::fullBackup, QStringLiteral("all.mdb"), sdest);
        addRows(2);
        const Snapshot before = catalogueSnapshot();
        restoreFrom(env, backup::fullRestore, target, sdest, Answer::No);
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(catalogueSnapshot(), before);
    }

    // Files that must never reach the delete statements. make() turns a good full backup
    // (or a path) into the file to restore from.
    void unusableSourceChangesNothing_data() {
        using Make = std::function<QString(TestEnv&, const QString& goodBackup)>;
        QTest::addColumn<Make>("make");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("documents"); // the flaw is in a document table too
        auto edited = [](const QString& sql) {
            return Make([sql](TestEnv&, const QString& good) {
                sqlite(good, sql);
                return good;
            });
        };
        QTest::newRow("text file") << Make([](TestEnv& env, const QString&) {
            const QString p = env.path(QStringLiteral("notes.mdb"));
            QFile f(p);
            f.open(QIODevice::WriteOnly);
            f.write("these are my notes, no database at all\n");
            return p;
        }) << "不是未加密的数据库文件"
                                   << true;
        QTest::newRow("document table missing")
            << edited(QStringLiteral("drop table 文件收文库")) << "缺少数据表 文件收文库" << true;
        QTest::newRow("archive missing")
            << edited(QStringLiteral("drop table 归档库")) << "缺少数据表 归档库" << false;
        QTest::newRow("document column renamed")
            << edited(QStringLiteral("alter table 文件发文库 rename column 备注 to 说明"))
            << "文件发文库 的字段与本系统不符" << true;
        QTest::newRow("unit column missing")
            << edited(
                   QStringLiteral("create table t as select 发文单位 from 发文单位管理;"
                                  "drop table 发文单位管理; alter table t rename to 发文单位管理"))
            << "发文单位管理 的字段与本系统不符" << false;
        QTest::newRow("trigger") << edited(QStringLiteral(
                                        "create trigger tr after insert on 选择项 begin "
                                        "delete from 选择项; end"))
                                 << "触发器 tr" << true;
        QTest::newRow("view") << edited(QStringLiteral("create view v as select * from 选择项"))
                              << "视图 v" << true;
        QTest::newRow("virtual table")
            << edited(QStringLiteral("create virtual table vt using fts4(a)")) << "虚拟表 vt"
            << true;
        QTest::newRow("damaged") << Make([](TestEnv&, const QString& good) {
            sqlite(good, QStringLiteral("create index ix on 文件收文库(文件标题名)"));
            // Overwrite most of the file after the header with noise.
            QFile f(good);
            f.open(QIODevice::ReadWrite);
            const qint64 size = f.size();
            f.seek(4096);
            f.write(QByteArray(int(size - 4096), '\x5a'));
            return good;
        }) << "数据库" << true;
        QTest::newRow("the catalogue itself") << Make([](TestEnv& env, const QString&) {
            return env.path(QStringLiteral("sys_kw.kwd"));
        }) << "不能选择系统数据库" << true;
        QTest::newRow("the template")
            << Make([](TestEnv& env, const QString&) { return env.path(QStringLiteral("sy.mdb")); })
            << "不能选择备份模板" << true;
    }
    void unusableSourceChangesNothing() {
        using Make = std::function<QString(TestEnv&, const QString&)>;
        QFETCH(Make, make);
        QFETCH(QString, reason);
        QFETCH(bool, documents);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(20);
        QString sdest;
        const QString good = backUp(env, backup::fullBackup, QStringLiteral("good.mdb"), sdest);
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("数据备份成功！")});
        const QString source = make(env, good);
        addRows(1, 90);
        const Snapshot before = catalogueSnapshot();

        QList<Command> commands{Command(backup::fullRestore)};
        if (documents)
            commands << Command(backup::documentTransferIn);
        for (const Command& command : commands) {
            restoreFrom(env, command, source, sdest);
            QCOMPARE(env.messages.size(), 2);
            QCOMPARE(env.messages.last().icon, Icon::Exclamation);
            QVERIFY2(env.messages.last().text.contains(reason),
                     qPrintable(env.messages.last().text));
            QCOMPARE(catalogueSnapshot(), before);
        }
    }

    // A file that passes every check but fails while its rows go in: the last table of
    // the full order repeats a serial number, after seven tables were already replaced.
    void failurePartwayRollsEverythingBack() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(3);
        QString sdest;
        const QString source = backUp(env, backup::fullBackup, QStringLiteral("twice.mdb"), sdest);
        QCOMPARE(sqlite(source,
                        QStringLiteral("create table t as select * from 归档库; drop table 归档库;"
                                       "alter table t rename to 归档库;"
                                       "insert into 归档库 select * from 归档库;"
                                       "select count(*) from 归档库")),
                 QStringLiteral("6"));
        emptyTables({QStringLiteral("合同协议库")});
        addRows(1, 70);
        const Snapshot before = catalogueSnapshot();
        restoreFrom(env, backup::fullRestore, source, sdest);
        QCOMPARE(env.messages.size(), 2);
        QCOMPARE(env.messages.last().icon, Icon::Exclamation);
        QVERIFY(!env.messages.last().text.contains(QStringLiteral("成功")));
        QCOMPARE(catalogueSnapshot(), before);
        QVERIFY(!QFile::exists(store::cataloguePath() + QStringLiteral(".restoring")));
    }

    void backupOfTheCatalogueItselfIsRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("catalogue") << "sys_kw.kwd";
        QTest::newRow("template") << "sy.mdb";
    }
    void backupOfTheCatalogueItselfIsRefused() {
        QFETCH(QString, name);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(2);
        const Snapshot before = catalogueSnapshot();
        QFile f(env.path(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        f.close();
        env.choose(env.path(QStringLiteral("./")) + name);
        QString sdest;
        backup::fullBackup(nullptr, sdest);
        QCOMPARE(env.messages.size(), 1); // no replace question first
        QCOMPARE(env.messages.first().icon, Icon::Exclamation);
        QVERIFY(env.messages.first().text.contains(QStringLiteral("不能选择")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), bytes);
        QCOMPARE(catalogueSnapshot(), before);
    }

    void missingTemplateFailsWithTheCopysDescription() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        QVERIFY(QFile::remove(env.path(QStringLiteral("sy.mdb"))));
        QString sdest;
        const QString target = backUp(env, backup::fullBackup, QStringLiteral("x.mdb"), sdest);
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages.first().icon, Icon::Exclamation);
        QCOMPARE(env.messages.first().text,
                 QStringLiteral("文件未找到: ") + env.path(QStringLiteral("sy.mdb")));
        QVERIFY(!QFile::exists(target));
    }

    // A copy that cannot be written out in full (a full disk) says so, and leaves neither
    // a partial file nor a changed catalogue.
    void unwrittenCopyFailsAndLeavesNothing_data() {
        QTest::addColumn<bool>("restore");
        QTest::newRow("full backup") << false;
        QTest::newRow("full restore") << true;
    }
    void unwrittenCopyFailsAndLeavesNothing() {
        QFETCH(bool, restore);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addManyRows();
        QString sdest;
        const QString source =
            restore ? backUp(env, backup::fullBackup, QStringLiteral("all.mdb"), sdest) : QString();
        addRows(1);
        const Snapshot before = catalogueSnapshot();
        env.clearMessages();
        const QString target = env.path(QStringLiteral("limited.mdb"));
        {
            const FileSizeLimit limit(256 * 1024);
            if (restore)
                restoreFrom(env, backup::fullRestore, source, sdest);
            else
                backUp(env, backup::fullBackup, QStringLiteral("limited.mdb"), sdest);
        }
        QVERIFY(!env.messages.isEmpty());
        QCOMPARE(env.messages.last().icon, Icon::Exclamation);
        QVERIFY2(!env.messages.last().text.contains(QStringLiteral("成功")),
                 qPrintable(env.messages.last().text));
        QVERIFY(!QFile::exists(target));
        QVERIFY(!QFile::exists(store::cataloguePath() + QStringLiteral(".restoring")));
        QCOMPARE(catalogueSnapshot(), before);
    }

    void pathWithAQuoteRoundTrips() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        addRows(2);
        QVERIFY(QDir(env.dir()).mkdir(QStringLiteral("it's")));
        QString sdest;
        const QString target =
            backUp(env, backup::documentBackup, QStringLiteral("it's/o'k.mdb"), sdest);
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("文件数据备份成功！")});
        QCOMPARE(rowsIn(target, QStringLiteral("文件发文库")), 2);
        const Snapshot original = catalogueSnapshot();
        emptyTables(store::documentTableOrder());
        restoreFrom(env, backup::documentTransferIn, target, sdest);
        QCOMPARE(env.messageTexts().last(), QStringLiteral("文件数据更新成功！"));
        QCOMPARE(catalogueSnapshot(), original);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
