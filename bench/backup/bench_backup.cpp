// A full backup and a full restore of a catalogue with 100,000 rows in each document
// table and 100,000 loans, beside the sqlite3 program's ".backup" of the same data into a
// plain file: the cost of merely copying it.

#include "shell/app/testing.h"
#include "store/backup.h"
#include "store/connection.h"
#include "store/error.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 3;
constexpr double kBackupGoal = 1.0;
constexpr double kRestoreGoal = 2.0;
constexpr double kPeerFactor = 3.0;

// Rows made by the engine itself, so filling takes a moment, not minutes.
QString documentRows(const QString& table, const QString& serialColumn, const QString& letter) {
    return QStringLiteral(
               "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
               "insert into %2 (%3, 年度, 责任者, 文号, 文件标题名, 发文时间, 文件页数, 保管期限, "
               "密级, 全宗号, 案卷目录号, 案卷号, 分卷号, 装订页号, 卷内件号, 归档时间, 备注) "
               "select '%4' || (2000 + i % 5) || '-' || i, '' || (2000 + i % 5), '办公室', "
               "'办[2004]' || i || '号', '关于第' || i || '项工作的通知', "
               "date('2004-01-01', '+' || (i % 366) || ' days'), '' || (i % 40 + 1), '永久', "
               "'秘密', '' || (i % 9), '' || (i % 7), '' || (i % 500), '1', '' || (i % 300), "
               "'' || (i % 50), '2004年3月' || (i % 28 + 1) || '日', '备注' || i from n")
        .arg(kRows)
        .arg(table, serialColumn, letter);
}

QString loanRows() {
    return QStringLiteral(
               "with recursive n(i) as (select 1 union all select i + 1 from n where i < %1) "
               "insert into 借阅记录库 (借阅编号, 文件资料编号, 文件资料名, 数量, 借阅人, 经办人, "
               "借阅时间, 归还时间, 状态, 备注) select (2000 + i / 10000) || '-' || "
               "substr('0000' || (i % 10000 + 1), -4), 'S2004-' || i, '关于第' || i || "
               "'项工作的通知', 1 + i % 3, '借阅人' || (i % 100), 'admin', '2004年3月5日', "
               "case when i % 2 = 0 then '2004-03-06' end, case when i % 2 = 0 then '已还' "
               "else '借阅' end, '' from n")
        .arg(kRows);
}

void fill() {
    auto c = store::openCatalogue();
    c->beginTransaction();
    c->execute(documentRows(QStringLiteral("文件收文库"), QStringLiteral("收文流水号"),
                            QStringLiteral("S")));
    c->execute(documentRows(QStringLiteral("文件发文库"), QStringLiteral("发文流水号"),
                            QStringLiteral("F")));
    c->execute(
        documentRows(QStringLiteral("归档库"), QStringLiteral("流水号"), QStringLiteral("G")));
    c->execute(loanRows());
    c->commit();
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return t.nsecsElapsed() / 1e9;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void report(const char* what, double s, double goal, double peer) {
    const double limit = kPeerFactor * peer;
    std::printf("%-34s %7.3f s  goal < %.1f s %s   %.1fx the copy (limit %.1fx) %s\n", what, s,
                goal, s < goal ? "met" : "MISSED", s / peer, kPeerFactor,
                s <= limit ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
    store::setBackupCheckerPath(QStringLiteral(MARROWIN_BACKUPCHECK));
    try {
        fill();
        const QString backup = env.path(QStringLiteral("bench.mdb"));
        const QString peerCopy = env.path(QStringLiteral("peer.db"));
        std::vector<double> backups, restores, peers, checks;
        for (int run = 0; run < kRuns; ++run) {
            backups.push_back(seconds([&] { store::backupTo(backup, store::BackupScope::Full); }));
            QFile::remove(peerCopy);
            peers.push_back(seconds([&] {
                QProcess p;
                p.start(QStringLiteral("sqlite3"),
                        {backup, QStringLiteral(".backup '%1'").arg(peerCopy)});
                p.waitForFinished(-1);
                if (p.exitCode() != 0)
                    throw std::runtime_error("sqlite3 .backup failed");
            }));
            checks.push_back(
                seconds([&] { store::checkBackupFile(backup, store::BackupScope::Full); }));
            restores.push_back(
                seconds([&] { store::restoreFrom(backup, store::BackupScope::Full); }));
        }
        const double peer = median(peers);
        std::printf("catalogue: %d rows in each of 文件收文库, 文件发文库, 归档库 and 借阅记录库; "
                    "backup file %.1f MB; median of %d runs\n",
                    kRows, QFileInfo(backup).size() / 1e6, kRuns);
        std::printf("%-34s %7.3f s\n", "sqlite3 .backup of the same data", peer);
        report("full backup", median(backups), kBackupGoal, peer);
        report("full restore (checker included)", median(restores), kRestoreGoal, peer);
        std::printf("%-34s %7.3f s\n", "  of which the file check", median(checks));
    } catch (const store::DbError& e) {
        std::fprintf(stderr, "failed: %s\n", qPrintable(e.description()));
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "failed: %s\n", e.what());
        return 1;
    }
    return 0;
}
