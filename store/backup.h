#pragma once
// Copies of catalogue data between the catalogue and backup files (plain SQLite files
// made from the template sy.mdb). Every failure throws store::DbError.
//
// The backup and restore files are named only inside the SQL statements; no dialog or
// message lives here: the main window's commands ask the questions.

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace store {

enum class BackupScope {
    Full,      // all eight tables, in fullTableOrder()
    Documents, // 文件发文库, 文件收文库
};

// The tables an operation of this scope copies, in the order it copies them.
QStringList backupTables(BackupScope scope);

// A file that may not be a backup target or a restore source (the catalogue itself, the
// backup template).
inline constexpr qint64 kProtectedFile = 75;
// A chosen restore source that is no usable backup of the catalogue.
inline constexpr qint64 kNotABackup = 3343;

// Refuses the catalogue and the backup template as a backup target or restore source.
void refuseProtectedFile(const QString& path);

// Copies the template sy.mdb onto target (replacing any file there), then inserts the
// scope's tables of the catalogue into it, one statement per table. A backup that fails
// after the copy is removed, so no half-written file passes for a backup.
void backupTo(const QString& target, BackupScope scope);

// Replaces the scope's tables of the catalogue with those of source. Refused (70) while
// any connection of this program is open on the catalogue. The source is first checked
// by the separate checker program (see checkBackupFile); then a new catalogue file is
// built beside the old one (the scope's tables by the deletes and inserts from source,
// the others copied) and renamed over it, so any failure leaves the catalogue as it was.
void restoreFrom(const QString& source, BackupScope scope);

// Checks an untrusted file in a separate process (the backupcheck program beside the
// main program): a sound SQLite file that holds every table of the scope with the
// catalogue's columns, and no triggers, views or virtual tables. Throws kNotABackup with
// the reason.
void checkBackupFile(const QString& path, BackupScope scope);

// Where the checker program is: by default "backupcheck" beside the running program,
// else in the application directory. Tests point it at the build's copy.
QString backupCheckerPath();
void setBackupCheckerPath(const QString& path);

} // namespace store
