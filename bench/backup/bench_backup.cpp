// A full backup and a full restore of a catalogue with 100,000 rows in each document
// table and 100,000 loans, beside the sqlite3 program's ".backup" of the same data into a
// plain file: the cost of merely copying it.

#include "bench/common/catalogue_fill.h"
#include "shell/app/testing.h"
#include "store/backup.h"
#include "store/catalogue.h"
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

void fill() {
    store::Connection db(store::catalogueConnectionString());
    for (const char* table : {"文件收文库", "文件发文库", "归档库"})
        bench::fillDocuments(db, QString::fromUtf8(table), kRows);
    bench::fillLoans(db, kRows);
    bench::fillContracts(db, 2000);
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
        std::printf("catalogue: %d rows in each of 文件收文库, 文件发文库, 归档库 and 借阅记录库, "
                    "2000 contracts; "
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
