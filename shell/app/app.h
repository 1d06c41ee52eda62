#pragma once
// Process-wide facts and services (QtCore only): the current user, the application
// directory, the clock, the settings and registry stores, program starts and the
// date and number texts that several windows share. Tests replace each of them.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <functional>

namespace app {

// The application title: message boxes without a title of their own show it, and the
// main window's placement is read under it.
QString title();

QString currentUser();
void setCurrentUser(const QString& user);

// The folder that holds the program, the catalogue, the templates and the reports.
QString appDir();
void setAppDir(const QString& dir);
// The application directory and a file name joined by exactly one "/".
QString appPath(const QString& fileName);

// The clock. Tests fix it with setNow(); an invalid value returns to the real clock.
QDateTime now();
QDate today();
void setNow(const QDateTime& fixed);

// 2004年3月5日: year, month and day without leading zeros.
QString dateText(const QDate& d);
// 2004-3-5, the register windows' display form.
QString ymdText(const QDate& d);
// The locale's short date form (2004/3/5 under a Chinese locale).
QString shortDate(const QDate& d);
// The long time form, 14:23:05.
QString longTime(const QTime& t);
// Hours and minutes in the locale's short time form (14:23 under a Chinese locale).
QString shortTime(const QTime& t);
// Today as year, month and day written one after another: 200435 for 5 March 2004.
QString compactDate(const QDate& d);

// A text made from data, with every character a file name cannot hold replaced by "-".
QString safeFileName(const QString& name);

// The value of the longest leading number of a text after leading blanks (sign, digits,
// decimal point and digits); 0 when it does not begin with a number.
double leadingNumber(const QString& text);

// Per-user settings: application, section, key, with a default (read only).
QString setting(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue);
// Tests point the settings store at a file of their own.
void setSettingsFile(const QString& iniPath);

// The registry under the local-machine root, read only. Its store is a system-scope
// settings file whose groups are the key paths ("SOFTWARE/Microsoft/Shared Tools/MSINFO").
// false with an empty keyVal when the key or value cannot be read.
bool getKeyValue(const QString& keyName, const QString& subKeyRef, QString& keyVal);
// Tests point the registry at a file of their own; an empty path is an unreadable registry.
void setRegistryFile(const QString& iniPath);

// Starting a separate program without waiting for it.
enum class WindowStyle { Normal, Minimized };
bool startProgram(const QString& program, const QStringList& args = {},
                  WindowStyle style = WindowStyle::Normal);
struct StartedProgram {
    QString program;
    QStringList args;
    WindowStyle style;
};
// Tests record starts instead of starting anything; the hook answers success or failure.
void setProgramStarter(std::function<bool(const StartedProgram&)> starter);

} // namespace app
