#pragma once
#include <QString>
#include <memory>

struct sqlite3;

namespace store {

// One handle on one database file, opened with the design's connection string
// ("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=…;Jet OLEDB:Database Password=…;").
// Every failure throws DbError. A missing file is never created by open().
class Connection {
public:
    // How the connection's files (its own and those it attaches) are read and written:
    // a page at a time, or, for copies that read and write every page once, in large
    // pieces; a batched connection sends its writes with flushWrites().
    enum class FileAccess { PageByPage, Batched };

    Connection();
    explicit Connection(const QString& connectionString,
                        FileAccess access = FileAccess::PageByPage); // opens at once
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void open(const QString& connectionString, FileAccess access = FileAccess::PageByPage);
    void close();
    bool isOpen() const;
    QString path() const;

    // One statement in the design's dialect ("delete * from T", "select top 1 …",
    // "insert into T in 'file' select * from T", "insert into T select * from T in  'file'").
    void execute(const QString& sql);

    // One operation applied wholly or not at all.
    void beginTransaction();
    void commit();
    void rollback();
    bool inTransaction() const;

    // Another database file (a plain SQLite file: backups and the template) made visible
    // under alias. Attaching cannot happen inside a transaction, so an operation that
    // copies within one attaches first; execute()'s copy forms reuse an attachment of the
    // same file and leave it attached. A missing file is an error and is not created.
    void attach(const QString& path, const QString& alias);
    // A file encrypted as this connection's own (the same password and salt), attached
    // under alias in the same way.
    void attachEncrypted(const QString& path, const QString& alias);
    void detach(const QString& alias);
    // The alias under which path is attached, or an empty string.
    QString attachedAlias(const QString& path) const;

    sqlite3* handle() const;

    // Sends what a batched connection still holds for database ("main" or an alias), or
    // throws the DbError of a write that failed; nothing to do for other connections.
    void flushWrites(const QString& database);

    // Writes a new database file at path (which must not exist) with this file's tables,
    // indexes, AUTOINCREMENT counters and encryption, and no rows.
    void writeEmptyCopy(const QString& path) const;

    // How many connections of this process are open on the file at path.
    static int openCount(const QString& path);

private:
    void attachFile(const QString& path, const QString& alias, const QString& keyClause);
    struct Impl;
    std::unique_ptr<Impl> d;
};

// A new connection to the catalogue in the application directory.
std::unique_ptr<Connection> openCatalogue();

} // namespace store
