#pragma once
#include <QString>
#include <QtGlobal>
#include <exception>

namespace store {

// The engine's general failure code: a refused insert or update (unique or not-null).
inline constexpr qint64 kEngineFailure = 0x80004005;
// Permission denied: the file is in use or cannot be written.
inline constexpr qint64 kPermissionDenied = 70;
// The other failures, each with a number of its own (the description says what happened).
inline constexpr qint64 kFileNotFound = 3024;        // the database file does not exist
inline constexpr qint64 kWrongPassword = 3031;       // the password does not open the file
inline constexpr qint64 kNotADatabase = 3343;        // the file is no database
inline constexpr qint64 kBadConnectionString = 3706; // provider missing or unknown
inline constexpr qint64 kNoCurrentRecord = 3021;     // BOF, EOF or a deleted row
inline constexpr qint64 kBadFilter = 3001;           // a filter that cannot be read
inline constexpr qint64 kBadValue = 0x80040E07;      // a value the column's type refuses
inline constexpr qint64 kSqlError = 0x80040E14;      // a statement the engine refuses
inline constexpr qint64 kNotUpdatable = 3251;        // a field or record set that cannot be written

// Every failure of the record-set layer: a number and a Chinese description.
class DbError : public std::exception {
public:
    DbError(qint64 number, QString description);
    qint64 number() const noexcept { return number_; }
    const QString& description() const noexcept { return description_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    qint64 number_;
    QString description_;
    QByteArray utf8_;
};

} // namespace store
