#pragma once
// Shared inside the store: turning engine failures into DbError, the Jet dialect.

#include "store/error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>

struct sqlite3;

namespace store::detail {

// The failure of the last call on db, as the callers see it (constraint failures as the
// engine's general failure code, a busy or read-only file as 70).
DbError engineError(sqlite3* db, int rc, const QString& sql);

// "delete * from T" and "select top N …" in SQLite's words; other statements unchanged.
QString translateDialect(const QString& sql);

// A text as stored in a DATE column (ISO yyyy-MM-dd), or an empty string when it is no
// date: ISO, yyyy-M-d, yyyy/M/d and 2004年3月5日 are read.
QString isoDate(const QString& text);

// Memory the system may back with huge pages (2 MiB each), for blocks that are touched
// page after page; bytes is a multiple of kHugePageBytes. Free it with std::free;
// nullptr when there is none.
inline constexpr size_t kHugePageBytes = size_t(2) << 20;
void* allocateHugePages(size_t bytes);

// A new database file at path (which must not exist) made by statements in one
// transaction, keyed with key (a password or a raw key; empty: a plain file). A failure
// removes the file.
void writeNewDatabase(const QString& path, const QByteArray& key, const QStringList& statements);

// The name of a VFS whose database files read ahead a window at a time and gather
// consecutive writes, for copies between files; registered on the first call.
const char* batchedVfsName();
// The file control that sends what a batched file has gathered, answering the first write
// that failed (SQLITE_NOTFOUND from files of other VFSs).
inline constexpr int kFlushBatchedWrites = 0x4d524201;

// Has the engine encrypt and check pages with contexts kept keyed per thread, when its
// provider table is the one this build knows; otherwise leaves the engine's own. Called
// once, after the engine is configured and before any keyed connection opens.
void installPageCipher();

} // namespace store::detail
