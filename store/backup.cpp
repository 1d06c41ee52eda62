#include "store/backup.h"

#include "shell/app/app.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/sqltext.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace store {
namespace {

// The engine's own numbers for a failed file copy.
constexpr qint64 kCopyFileNotFound = 53;
constexpr qint64 kPathAccessError = 75;
constexpr int kCheckerTimeoutMs = 10 * 60 * 1000;
const QString kSourceAlias = QStringLiteral("restoresource");
const QString kTargetAlias = QStringLiteral("backuptarget");
const QString kCatalogueAlias = QStringLiteral("restorecatalogue");
// The new catalogue a restore builds beside the old one before it takes its place.
const QString kBuildingSuffix = QStringLiteral(".restoring");
// Page caches of a copy between files, in KiB. A copy reads and writes every page once,
// and a file written without a journal may write its pages as soon as they are full, so
// small caches serve: their pages are used again and again instead of new memory being
// taken (and first touched) for each of tens of thousands of pages.
constexpr int kReadCacheKiB = 2 * 1024;
constexpr int kWrittenCacheKiB = 8 * 1024;

QString& checkerOverride() {
    static QString path;
    return path;
}

// Both names lead to the same file (links and differently spelt paths included); a file
// that does not exist yet is compared by its absolute, canonical-folder path.
bool sameFile(const QString& a, const QString& b) {
    std::error_code ec;
    const std::filesystem::path pa(a.toStdU16String()), pb(b.toStdU16String());
    if (std::filesystem::exists(pa, ec) && std::filesystem::exists(pb, ec))
        return std::filesystem::equivalent(pa, pb, ec);
    auto normal = [](const QString& p) {
        const QFileInfo fi(p);
        const QString dir = QFileInfo(fi.absolutePath()).canonicalFilePath();
        return QDir::cleanPath((dir.isEmpty() ? fi.absolutePath() : dir) + QLatin1Char('/') +
                               fi.fileName());
    };
    return normal(a) == normal(b);
}

// The template copied over the target, as the file operation "copy over" does.
void copyTemplate(const QString& target) {
    const QString from = backupTemplatePath();
    if (!QFileInfo(from).isFile())
        throw DbError(kCopyFileNotFound, QStringLiteral("文件未找到: %1").arg(from));
    if (QFileInfo::exists(target) && !QFile::remove(target))
        throw DbError(kPermissionDenied, QStringLiteral("没有权限: %1").arg(target));
    QFile source(from);
    if (!source.copy(target)) {
        const QFileInfo dir(QFileInfo(target).absolutePath());
        if (dir.isDir() && !dir.isWritable())
            throw DbError(kPermissionDenied, QStringLiteral("没有权限: %1").arg(target));
        throw DbError(
            kPathAccessError,
            QStringLiteral("路径/文件访问错误: %1 (%2)").arg(target, source.errorString()));
    }
    // The copy keeps the template's permissions; a backup is the user's to change.
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                      QFile::ReadOther);
}

// The finished backup reaches the disk before it is reported written.
void syncToDisk(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || ::fsync(f.handle()) != 0)
        throw DbError(kPathAccessError,
                      QStringLiteral("路径/文件访问错误: %1 (%2)").arg(path, f.errorString()));
}

// Starts the disk writes of what a file has been given so far, without waiting for them:
// the copy goes on while the disk works, and the closing sync has less left to wait for.
class Writeback {
public:
    explicit Writeback(const QString& path)
        : fd_(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
    ~Writeback() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Writeback(const Writeback&) = delete;
    Writeback& operator=(const Writeback&) = delete;
    void start() const {
        if (fd_ >= 0)
            ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
    }

private:
    int fd_;
};

QString columnsArgument(const QString& table) {
    const TableDef* def = tableDef(table);
    QStringList names;
    if (def)
        for (const ColumnDef& c : def->columns)
            names << c.name;
    return table + QLatin1Char('=') + names.join(QLatin1Char(','));
}

DbError notABackup(const QString& path, const QString& reason) {
    return DbError(
        kNotABackup,
        QStringLiteral("文件 %1 不是本系统的备份文件，不能从它恢复：%2。系统数据未作改动。")
            .arg(QDir::toNativeSeparators(path), reason));
}

void restoreTables(Connection& c, const QString& source, const QStringList& tables,
                   const Writeback& writeback) {
    const QString quoted = sqlEscape(source);
    for (const QString& t : tables) {
        writeback.start();
        c.execute(QStringLiteral("delete * from ") + t);
        // The loan table's statement begins with a blank, as it always has.
        const QString lead = t == QStringLiteral("借阅记录库") ? QStringLiteral(" ") : QString();
        c.execute(lead + QStringLiteral("insert into ") + t + QStringLiteral(" select * from ") +
                  t + QStringLiteral(" in  '") + quoted + QStringLiteral("'"));
    }
}

// A restore while a window of this program has the catalogue open would leave that
// window's rows, which are written back by their row numbers, over rows they no longer
// are: the windows are closed first.
void refuseWhileCatalogueOpen() {
    if (Connection::openCount(cataloguePath()) > 0)
        throw DbError(kPermissionDenied,
                      QStringLiteral("数据库正在被数据窗口使用，请关闭所有数据窗口。"));
}

// A file a copy fills needs no journal: a copy that fails removes the file.
void prepareWrittenFile(Connection& c, const QString& database) {
    c.execute(QStringLiteral("pragma %1.journal_mode = off").arg(database));
    c.execute(QStringLiteral("pragma %1.synchronous = off").arg(database));
    c.execute(QStringLiteral("pragma %1.cache_size = -%2").arg(database).arg(kWrittenCacheKiB));
}

// Fills the new catalogue file: the restored tables from the source, by the restore's
// own statements, and every other table from the catalogue as it is. The new file needs
// no journal: a restore that fails removes it, and the catalogue was never touched.
void fillReplacement(const QString& building, const QString& catalogue, const QString& source,
                     const QStringList& restored) {
    Connection c(connectionStringFor(building), Connection::FileAccess::Batched);
    prepareWrittenFile(c, QStringLiteral("main"));
    QStringList carried = fullTableOrder();
    carried.removeIf([&](const QString& t) { return restored.contains(t); });
    if (!carried.isEmpty())
        c.attachEncrypted(catalogue, kCatalogueAlias);
    c.attach(source, kSourceAlias);
    const Writeback writeback(building);
    c.beginTransaction();
    restoreTables(c, source, restored, writeback);
    for (const QString& t : carried) {
        writeback.start();
        c.execute(
            QStringLiteral("insert into main.%1 select * from \"%2\".%1").arg(t, kCatalogueAlias));
    }
    c.commit();
    c.flushWrites(QStringLiteral("main"));
}

// Puts the new file in the catalogue's place in one step, with the old file's
// permissions; until the rename the old catalogue is whole, and after it the new one is.
void replaceFile(const QString& from, const QString& to) {
    QFile::setPermissions(from, QFile::permissions(to));
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0)
        throw DbError(kPathAccessError, QStringLiteral("路径/文件访问错误: %1 (%2)")
                                            .arg(to, QString::fromLocal8Bit(std::strerror(errno))));
    // The rename itself reaches the disk with the folder's entry.
    const QByteArray folder = QFile::encodeName(QFileInfo(to).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

QStringList backupTables(BackupScope scope) {
    return scope == BackupScope::Full ? fullTableOrder() : documentTableOrder();
}

void refuseProtectedFile(const QString& path) {
    if (sameFile(path, cataloguePath()))
        throw DbError(kProtectedFile,
                      QStringLiteral("不能选择系统数据库 %1 本身，请选择另外的备份文件。")
                          .arg(QDir::toNativeSeparators(path)));
    if (sameFile(path, backupTemplatePath()))
        throw DbError(kProtectedFile, QStringLiteral("不能选择备份模板 %1，请选择另外的备份文件。")
                                          .arg(QDir::toNativeSeparators(path)));
}

void backupTo(const QString& target, BackupScope scope) {
    refuseProtectedFile(target);
    copyTemplate(target);
    try {
        auto c = std::make_unique<Connection>(catalogueConnectionString(),
                                              Connection::FileAccess::Batched);
        // The copy statements find the target attached and reuse the attachment.
        c->attach(target, kTargetAlias);
        prepareWrittenFile(*c, kTargetAlias);
        c->execute(QStringLiteral("pragma main.cache_size = -") + QString::number(kReadCacheKiB));
        const QString quoted = sqlEscape(target);
        const Writeback writeback(target);
        for (const QString& t : backupTables(scope)) {
            writeback.start();
            c->execute(QStringLiteral("insert into ") + t + QStringLiteral(" in '") + quoted +
                       QStringLiteral("' select * from ") + t);
        }
        c->flushWrites(kTargetAlias);
        c->detach(kTargetAlias);
        c.reset();
        syncToDisk(target);
    } catch (...) {
        QFile::remove(target);
        throw;
    }
}

void checkBackupFile(const QString& path, BackupScope scope) {
    QStringList args{path};
    for (const QString& t : backupTables(scope))
        args << columnsArgument(t);
    QProcess checker;
    checker.setProcessChannelMode(QProcess::SeparateChannels);
    checker.start(backupCheckerPath(), args);
    if (!checker.waitForStarted())
        throw DbError(kNotABackup, QStringLiteral("无法启动备份文件检查程序 %1，未恢复任何数据。")
                                       .arg(QDir::toNativeSeparators(backupCheckerPath())));
    if (!checker.waitForFinished(kCheckerTimeoutMs)) {
        checker.kill();
        checker.waitForFinished();
        throw notABackup(path, QStringLiteral("检查超时"));
    }
    const QString out = QString::fromUtf8(checker.readAllStandardOutput()).trimmed();
    if (checker.exitStatus() != QProcess::NormalExit)
        throw notABackup(path, QStringLiteral("检查程序异常结束"));
    if (checker.exitCode() == 0 && out == QStringLiteral("ok"))
        return;
    if (checker.exitCode() == 1 && !out.isEmpty())
        throw notABackup(path, out);
    throw notABackup(path, QStringLiteral("检查程序出错 %1")
                               .arg(QString::fromUtf8(checker.readAllStandardError()).trimmed()));
}

void restoreFrom(const QString& source, BackupScope scope) {
    refuseProtectedFile(source);
    refuseWhileCatalogueOpen();
    checkBackupFile(source, scope);
    const QString catalogue = QFileInfo(cataloguePath()).canonicalFilePath();
    if (catalogue.isEmpty())
        throw DbError(kFileNotFound, QStringLiteral("找不到数据库文件“%1”。").arg(cataloguePath()));
    const QString building = catalogue + kBuildingSuffix;
    QFile::remove(building); // left by a restore that was cut off

    // Other programs may go on reading the catalogue, but may not write to it while its
    // replacement is built: what they wrote would be lost with the old file.
    auto guard = openCatalogue();
    guard->execute(QStringLiteral("begin immediate"));
    try {
        guard->writeEmptyCopy(building);
        fillReplacement(building, catalogue, source, backupTables(scope));
        syncToDisk(building);
        replaceFile(building, catalogue);
    } catch (...) {
        QFile::remove(building);
        try {
            guard->rollback();
        } catch (const DbError&) {
        }
        throw;
    }
    guard->rollback();
}

QString backupCheckerPath() {
    if (!checkerOverride().isEmpty())
        return checkerOverride();
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("backupcheck"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return app::appPath(QStringLiteral("backupcheck"));
}

void setBackupCheckerPath(const QString& path) {
    checkerOverride() = path;
}

} // namespace store
