#include "store/connection.h"

#include "store/catalogue.h"
#include "store/engine_p.h"
#include "store/error.h"
#include "store/sqltext.h"

#include <QDate>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>

#include <openssl/evp.h>
#include <sqlcipher/sqlite3.h>

#include <cstdlib>
#include <mutex>
#include <optional>
#include <sys/mman.h>

namespace store {

namespace {

const QString kProvider = QStringLiteral("Microsoft.Jet.OLEDB.4.0");
// SQLCipher 3's key derivation: PBKDF2-HMAC-SHA1, 64000 rounds, a 256-bit key salted
// with the file's first 16 bytes.
constexpr int kKdfIterations = 64000;
constexpr int kKeyBytes = 32;
constexpr int kSaltBytes = 16;
constexpr int kBusyTimeoutMs = 2000;
// Page cache of each connection, in KiB: a register query sorts a whole table in memory.
constexpr int kCacheKiB = 32768;
const QByteArray kPlainHeader("SQLite format 3\0", 16);

struct ConnectionString {
    QString provider;
    QString dataSource;
    QString password;
};

ConnectionString parseConnectionString(const QString& text) {
    ConnectionString parsed;
    const QStringList pairs = text.split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (const QString& pair : pairs) {
        const qsizetype eq = pair.indexOf(QLatin1Char('='));
        if (eq < 0)
            continue;
        const QString key = pair.left(eq).trimmed().toLower();
        const QString value = pair.mid(eq + 1).trimmed();
        if (key == QLatin1String("provider"))
            parsed.provider = value;
        else if (key == QLatin1String("data source"))
            parsed.dataSource = value;
        else if (key == QLatin1String("jet oledb:database password"))
            parsed.password = value;
    }
    if (parsed.provider.compare(kProvider, Qt::CaseInsensitive) != 0)
        throw DbError(kBadConnectionString,
                      QStringLiteral("找不到提供程序“%1”：连接字符串须指定 %2。")
                          .arg(parsed.provider, kProvider));
    if (parsed.dataSource.isEmpty())
        throw DbError(kBadConnectionString, QStringLiteral("连接字符串没有指定数据源。"));
    return parsed;
}

// The raw key ("x'<key><salt>'") for a password and a file's salt. Deriving it costs
// tens of milliseconds, so each password and salt is derived once per process and every
// later connection opens with the raw key.
QByteArray rawKey(const QByteArray& password, const QByteArray& salt) {
    static std::mutex mutex;
    static QHash<QByteArray, QByteArray> cache;
    const QByteArray cacheKey = password + '\0' + salt;
    std::lock_guard lock(mutex);
    auto found = cache.constFind(cacheKey);
    if (found != cache.constEnd())
        return *found;
    unsigned char key[kKeyBytes];
    if (PKCS5_PBKDF2_HMAC_SHA1(password.constData(), int(password.size()),
                               reinterpret_cast<const unsigned char*>(salt.constData()),
                               int(salt.size()), kKdfIterations, kKeyBytes, key) != 1)
        throw DbError(kWrongPassword, QStringLiteral("无法由数据库密码生成密钥。"));
    const QByteArray raw = "x'" +
                           QByteArray(reinterpret_cast<const char*>(key), kKeyBytes).toHex() +
                           salt.toHex() + "'";
    cache.insert(cacheKey, raw);
    return raw;
}

// An encrypted file is whole pages of bytes that look random; a text or a truncated file
// is not, and is reported as no database rather than as a wrong password.
bool looksEncrypted(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size < 1024 || size % 512 != 0)
        return false;
    const QByteArray page = file.read(1024);
    bool seen[256] = {};
    int distinct = 0;
    for (char c : page) {
        auto& s = seen[static_cast<unsigned char>(c)];
        if (!s) {
            s = true;
            ++distinct;
        }
    }
    return distinct > 160;
}

QString unescapeLiteral(const QString& text) {
    QString plain = text;
    plain.replace(QLatin1String("''"), QLatin1String("'"));
    return plain;
}

QString canonicalPath(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

void runStatements(sqlite3* db, const QString& sql) {
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = utf8.constData();
    const char* end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* next = nullptr;
        int rc = sqlite3_prepare_v2(db, tail, int(end - tail), &stmt, &next);
        if (rc != SQLITE_OK)
            throw detail::engineError(db, rc, sql);
        if (!stmt) // only blanks or a comment were left
            break;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const DbError error = detail::engineError(db, rc, sql);
            sqlite3_finalize(stmt);
            throw error;
        }
        sqlite3_finalize(stmt);
        tail = next;
    }
}

// The two copy forms between database files.
struct CopyStatement {
    bool out = false;   // into the other file
    QString table;      // the target table
    QString selectHead; // "select … from " (copy in) or the whole select (copy out)
    QString source;     // the source table of a copy in
    QString file;
};

std::optional<CopyStatement> parseCopy(const QString& sql) {
    static const QRegularExpression copyOut(
        QStringLiteral(R"(^insert\s+into\s+(\S+)\s+in\s+'((?:[^']|'')*)'\s+(select\s.*?);?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression copyIn(
        QStringLiteral(
            R"(^insert\s+into\s+(\S+)\s+(select\s.*?\sfrom\s+)(\S+)\s+in\s+'((?:[^']|'')*)'\s*;?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (const auto m = copyOut.match(sql); m.hasMatch()) {
        CopyStatement copy;
        copy.out = true;
        copy.table = m.captured(1);
        copy.file = unescapeLiteral(m.captured(2));
        copy.selectHead = m.captured(3);
        return copy;
    }
    if (const auto m = copyIn.match(sql); m.hasMatch()) {
        CopyStatement copy;
        copy.table = m.captured(1);
        copy.selectHead = m.captured(2);
        copy.source = m.captured(3);
        copy.file = unescapeLiteral(m.captured(4));
        return copy;
    }
    return std::nullopt;
}

} // namespace

namespace detail {

DbError engineError(sqlite3* db, int rc, const QString& sql) {
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString();
    const int extended = db ? sqlite3_extended_errcode(db) : rc;
    switch (rc & 0xff) {
    case SQLITE_CONSTRAINT:
        if (extended == SQLITE_CONSTRAINT_NOTNULL)
            return DbError(kEngineFailure,
                           QStringLiteral("操作未完成：必填的字段没有值（%1）。").arg(message));
        return DbError(kEngineFailure,
                       QStringLiteral("操作未完成：值重复或不符合表的约束（%1）。").arg(message));
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return DbError(
            kPermissionDenied,
            QStringLiteral("拒绝的权限：数据库文件正被其他操作使用（%1）。").arg(message));
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_CANTOPEN:
    case SQLITE_AUTH:
        return DbError(kPermissionDenied,
                       QStringLiteral("拒绝的权限：数据库文件不能写入（%1）。").arg(message));
    case SQLITE_FULL:
        return DbError(kEngineFailure, QStringLiteral("磁盘已满，操作未完成（%1）。").arg(message));
    case SQLITE_IOERR:
        return DbError(kEngineFailure,
                       QStringLiteral("读写数据库文件出错，操作未完成（%1）。").arg(message));
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return DbError(kNotADatabase,
                       QStringLiteral("文件不是有效的数据库，或已经损坏（%1）。").arg(message));
    default:
        return DbError(kSqlError,
                       QStringLiteral("SQL 语句执行失败：%1。语句：%2").arg(message, sql));
    }
}

QString translateDialect(const QString& sql) {
    static const QRegularExpression deleteAll(QStringLiteral(R"(^(\s*delete)\s+\*\s+(from\s))"),
                                              QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression selectTop(
        QStringLiteral(R"(^(\s*select\s+(?:distinct\s+)?)top\s+(\d+)\s+(.*?);?\s*$)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    if (const auto m = deleteAll.match(sql); m.hasMatch())
        return m.captured(1) + QLatin1Char(' ') + m.captured(2) + sql.mid(m.capturedEnd(0));
    if (const auto m = selectTop.match(sql); m.hasMatch())
        return m.captured(1) + m.captured(3) + QStringLiteral(" limit ") + m.captured(2);
    return sql;
}

QString isoDate(const QString& text) {
    static const QRegularExpression numeric(
        QStringLiteral(R"(^(\d{4})\s*[-/.]\s*(\d{1,2})\s*[-/.]\s*(\d{1,2})$)"));
    static const QRegularExpression chinese(
        QStringLiteral(R"(^(\d{4})\s*年\s*(\d{1,2})\s*月\s*(\d{1,2})\s*日$)"));
    const QString trimmed = text.trimmed();
    auto m = numeric.match(trimmed);
    if (!m.hasMatch())
        m = chinese.match(trimmed);
    if (!m.hasMatch())
        return QString();
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

void* allocateHugePages(size_t bytes) {
    void* p = std::aligned_alloc(kHugePageBytes, bytes);
#ifdef MADV_HUGEPAGE
    if (p)
        madvise(p, bytes, MADV_HUGEPAGE);
#endif
    return p;
}

void writeNewDatabase(const QString& path, const QByteArray& key, const QStringList& statements) {
    if (QFileInfo::exists(path))
        throw DbError(kPermissionDenied, QStringLiteral("文件“%1”已经存在。").arg(path));
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db));
        sqlite3_close_v2(db);
        throw DbError(kPermissionDenied,
                      QStringLiteral("拒绝的权限：不能建立文件“%1”（%2）。").arg(path, message));
    }
    if (!key.isEmpty())
        sqlite3_key(db, key.constData(), int(key.size()));
    try {
        runStatements(db, QStringLiteral("begin"));
        for (const QString& statement : statements)
            runStatements(db, statement);
        runStatements(db, QStringLiteral("commit"));
    } catch (...) {
        sqlite3_close_v2(db);
        QFile::remove(path);
        throw;
    }
    sqlite3_close_v2(db);
}

} // namespace detail

namespace {

// Page slots for every connection's cache, from one block that the system may back with
// huge pages: a register's query reads tens of thousands of pages, and taking (and first
// touching) fresh memory for each costs more than decrypting it. Pages of other sizes, and
// pages beyond the block, come from the heap as usual. The engine takes this only before
// its first use in the process.
constexpr size_t kPageSlotsBytes = size_t(64) << 20;
constexpr int kCataloguePageBytes = 1024;

void configurePageSlots() {
    int header = 0;
    if (sqlite3_config(SQLITE_CONFIG_PCACHE_HDRSZ, &header) != SQLITE_OK)
        return;
    const size_t slot = (size_t(kCataloguePageBytes + header) + 7) / 8 * 8;
    void* block = detail::allocateHugePages(kPageSlotsBytes);
    if (!block)
        return;
    if (sqlite3_config(SQLITE_CONFIG_PAGECACHE, block, int(slot), int(kPageSlotsBytes / slot)) !=
        SQLITE_OK)
        std::free(block);
}

void prepareEngine() {
    static std::once_flag once;
    std::call_once(once, [] {
        configurePageSlots();
        if (sqlite3_initialize() == SQLITE_OK)
            detail::installPageCipher();
    });
}

// How many connections of this process are open on each file (by canonical path).
QHash<QString, int>& openFiles() {
    static QHash<QString, int> files;
    return files;
}

} // namespace

struct Connection::Impl {
    sqlite3* db = nullptr;
    QString path;
    QString canonical;
    QByteArray key;                   // the raw key the file opened with; empty for a plain file
    QHash<QString, QString> attached; // canonical path -> alias

    void requireOpen() const {
        if (!db)
            throw DbError(kSqlError, QStringLiteral("连接没有打开。"));
    }
};

Connection::Connection() : d(std::make_unique<Impl>()) {}

Connection::Connection(const QString& connectionString, FileAccess access) : Connection() {
    open(connectionString, access);
}

Connection::~Connection() {
    close();
}

void Connection::open(const QString& connectionString, FileAccess access) {
    close();
    prepareEngine();
    const ConnectionString parsed = parseConnectionString(connectionString);
    const QString& path = parsed.dataSource;
    const QFileInfo info(path);
    if (!info.exists())
        throw DbError(kFileNotFound, QStringLiteral("找不到数据库文件“%1”。").arg(path));
    if (!info.isFile() || info.size() == 0)
        throw DbError(kNotADatabase, QStringLiteral("“%1”不是数据库文件。").arg(path));
    if (!info.isWritable())
        throw DbError(kPermissionDenied,
                      QStringLiteral("拒绝的权限：数据库文件“%1”正在使用或不能写入。").arg(path));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(kPermissionDenied,
                      QStringLiteral("拒绝的权限：不能读取数据库文件“%1”。").arg(path));
    const QByteArray head = file.read(kSaltBytes);
    file.close();
    // A plain file (a backup or the template) opens without a key whatever the password.
    const bool plain = head == kPlainHeader;
    if (!plain && head.size() < kSaltBytes)
        throw DbError(kNotADatabase, QStringLiteral("“%1”不是数据库文件。").arg(path));

    sqlite3* db = nullptr;
    // Without SQLITE_OPEN_CREATE: opening never makes a new file. Each connection lives on
    // the one thread that made it, so the engine's own locking is only overhead.
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             access == FileAccess::Batched ? detail::batchedVfsName() : nullptr);
    auto fail = [&](const DbError& error) {
        sqlite3_close_v2(db);
        throw error;
    };
    if (rc != SQLITE_OK)
        fail(DbError(kPermissionDenied, QStringLiteral("拒绝的权限：不能打开数据库文件“%1”（%2）。")
                                            .arg(path, QString::fromUtf8(sqlite3_errmsg(db)))));
    QByteArray key;
    if (!plain && !parsed.password.isEmpty()) {
        key = rawKey(parsed.password.toUtf8(), head);
        sqlite3_key(db, key.constData(), int(key.size()));
    }
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    rc = sqlite3_exec(db, "select count(*) from sqlite_master", nullptr, nullptr, nullptr);
    if (rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT) {
        if (!plain && looksEncrypted(path))
            fail(DbError(kWrongPassword,
                         QStringLiteral("数据库密码不正确，不能打开数据库“%1”。").arg(path)));
        fail(DbError(kNotADatabase,
                     QStringLiteral("“%1”不是有效的数据库文件，或已经损坏。").arg(path)));
    }
    if (rc != SQLITE_OK)
        fail(detail::engineError(db, rc, QStringLiteral("open")));
    sqlite3_exec(db,
                 QByteArray("pragma cache_size = -" + QByteArray::number(kCacheKiB)).constData(),
                 nullptr, nullptr, nullptr);
    if (sqlite3_db_readonly(db, "main") == 1)
        fail(DbError(kPermissionDenied,
                     QStringLiteral("拒绝的权限：数据库文件“%1”不能写入。").arg(path)));
    d->db = db;
    d->path = path;
    d->key = key;
    d->canonical = canonicalPath(path);
    ++openFiles()[d->canonical];
}

void Connection::close() {
    if (!d->db)
        return;
    sqlite3_close_v2(d->db);
    d->db = nullptr;
    d->path.clear();
    d->key.clear();
    d->attached.clear();
    if (--openFiles()[d->canonical] <= 0)
        openFiles().remove(d->canonical);
    d->canonical.clear();
}

int Connection::openCount(const QString& path) {
    return openFiles().value(canonicalPath(path));
}

bool Connection::isOpen() const {
    return d->db != nullptr;
}

QString Connection::path() const {
    return d->path;
}

sqlite3* Connection::handle() const {
    return d->db;
}

void Connection::flushWrites(const QString& database) {
    d->requireOpen();
    const QByteArray name = database.toUtf8();
    const int rc =
        sqlite3_file_control(d->db, name.constData(), detail::kFlushBatchedWrites, nullptr);
    if (rc == SQLITE_OK || rc == SQLITE_NOTFOUND)
        return;
    const QString file = QString::fromUtf8(sqlite3_db_filename(d->db, name.constData()));
    if ((rc & 0xff) == SQLITE_FULL)
        throw DbError(kEngineFailure, QStringLiteral("磁盘已满，文件“%1”没有写完。").arg(file));
    throw DbError(kEngineFailure,
                  QStringLiteral("写入文件“%1”失败（错误 %2），文件没有写完。").arg(file).arg(rc));
}

void Connection::execute(const QString& sql) {
    d->requireOpen();
    const auto copy = parseCopy(sql.trimmed());
    if (!copy) {
        runStatements(d->db, detail::translateDialect(sql));
        return;
    }
    QString alias = attachedAlias(copy->file);
    const bool ownAttachment = alias.isEmpty();
    if (ownAttachment) {
        alias = QStringLiteral("jet_copy");
        attach(copy->file, alias);
    }
    const QString quotedAlias = QLatin1Char('"') + alias + QLatin1Char('"');
    const QString statement =
        copy->out
            ? QStringLiteral("insert into %1.%2 %3").arg(quotedAlias, copy->table, copy->selectHead)
            : QStringLiteral("insert into main.%1 %2%3.%4")
                  .arg(copy->table, copy->selectHead, quotedAlias, copy->source);
    try {
        runStatements(d->db, statement);
    } catch (...) {
        if (ownAttachment)
            detach(alias);
        throw;
    }
    if (ownAttachment)
        detach(alias);
}

void Connection::attach(const QString& path, const QString& alias) {
    // Backup files are plain SQLite files: the empty key attaches them unencrypted.
    attachFile(path, alias, QStringLiteral(" key ''"));
}

void Connection::attachEncrypted(const QString& path, const QString& alias) {
    // Without a key clause the engine attaches with this connection's own key.
    attachFile(path, alias, QString());
}

void Connection::attachFile(const QString& path, const QString& alias, const QString& keyClause) {
    d->requireOpen();
    if (inTransaction())
        throw DbError(
            kSqlError,
            QStringLiteral("事务进行中不能附加数据库文件“%1”：请在开始事务前附加。").arg(path));
    const QFileInfo info(path);
    if (!info.isFile())
        throw DbError(kFileNotFound, QStringLiteral("找不到数据库文件“%1”。").arg(path));
    const QString quotedAlias = QLatin1Char('"') + alias + QLatin1Char('"');
    runStatements(
        d->db,
        QStringLiteral("attach database %1 as %2%3").arg(sqlQuote(path), quotedAlias, keyClause));
    const int rc = sqlite3_exec(
        d->db, QStringLiteral("select count(*) from %1.sqlite_master").arg(quotedAlias).toUtf8(),
        nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error =
            rc == SQLITE_NOTADB || rc == SQLITE_CORRUPT
                ? DbError(kNotADatabase, QStringLiteral("“%1”不是有效的数据库文件。").arg(path))
                : detail::engineError(d->db, rc, path);
        sqlite3_exec(d->db, QStringLiteral("detach database %1").arg(quotedAlias).toUtf8(), nullptr,
                     nullptr, nullptr);
        throw error;
    }
    d->attached.insert(canonicalPath(path), alias);
}

void Connection::detach(const QString& alias) {
    d->requireOpen();
    runStatements(d->db, QStringLiteral("detach database \"%1\"").arg(alias));
    for (auto it = d->attached.begin(); it != d->attached.end();) {
        if (it.value() == alias)
            it = d->attached.erase(it);
        else
            ++it;
    }
}

QString Connection::attachedAlias(const QString& path) const {
    return d->attached.value(canonicalPath(path));
}

void Connection::beginTransaction() {
    d->requireOpen();
    runStatements(d->db, QStringLiteral("begin"));
}

void Connection::commit() {
    d->requireOpen();
    runStatements(d->db, QStringLiteral("commit"));
}

void Connection::rollback() {
    d->requireOpen();
    if (inTransaction())
        runStatements(d->db, QStringLiteral("rollback"));
}

bool Connection::inTransaction() const {
    return d->db && sqlite3_get_autocommit(d->db) == 0;
}

void Connection::writeEmptyCopy(const QString& path) const {
    d->requireOpen();
    QStringList schema;
    {
        sqlite3_stmt* stmt = nullptr;
        const char* sql = "select sql from sqlite_master where sql is not null and "
                          "name <> 'sqlite_sequence' order by rowid";
        if (sqlite3_prepare_v2(d->db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            throw detail::engineError(d->db, sqlite3_errcode(d->db), QString::fromUtf8(sql));
        while (sqlite3_step(stmt) == SQLITE_ROW)
            schema << QString::fromUtf8(
                reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
    }
    // The counters of AUTOINCREMENT tables go along, so that no number handed out before
    // is handed out again.
    QStringList counters;
    {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(d->db, "select name, seq from sqlite_sequence", -1, &stmt,
                               nullptr) == SQLITE_OK) {
            while (sqlite3_step(stmt) == SQLITE_ROW)
                counters << QStringLiteral(
                                "insert into sqlite_sequence (name, seq) values (%1, %2)")
                                .arg(sqlQuote(QString::fromUtf8(
                                    reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)))))
                                .arg(sqlite3_column_int64(stmt, 1));
        }
        sqlite3_finalize(stmt);
    }

    // The raw key holds the salt too: the copy opens with the same password and key.
    detail::writeNewDatabase(path, d->key, schema + counters);
}

std::unique_ptr<Connection> openCatalogue() {
    return std::make_unique<Connection>(catalogueConnectionString());
}

} // namespace store
