#pragma once
#include <QString>
#include <QtGlobal>
#include <exception>

namespace store {

// The engine's general failure code: a refused insert or update (unique or not-null).
inline constexpr qint64 kEngineFailure = 0x80004005;
// Permission denied: the file is in use or cannot be written.
inline constexpr qint64 kPermissionDenied = 70;

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
