// makecatalogue <appdir>: writes the shipped files into the application directory, each
// only when it is not there yet, so a rebuild never replaces a user's catalogue.
//   sys_kw.kwd    the catalogue: encrypted, the eight tables and the shipped rows
//   sy.mdb        the backup template: the eight empty tables, no password
//   dotoexcle.xlt the report template

#include "reports/xls/shippedtemplate.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace {

QTextStream& err() {
    static QTextStream stream(stderr);
    return stream;
}

// Built under a temporary name and renamed, so an interrupted build leaves no half file.
void writeDatabase(const QString& path, const QString& password, bool withShippedRows) {
    const QString partial = path + QStringLiteral(".partial");
    QFile::remove(partial);
    store::createDatabaseFile(partial, password);
    try {
        if (withShippedRows) {
            store::Connection connection(
                QStringLiteral("PROVIDER=Microsoft.Jet.OLEDB.4.0;Data Source=%1;"
                               "Jet OLEDB:Database Password=%2;")
                    .arg(partial, password));
            store::insertShippedRows(connection);
        }
    } catch (...) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw store::DbError(store::kPermissionDenied, QStringLiteral("不能写入“%1”。").arg(path));
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QStringList args = application.arguments();
    if (args.size() != 2) {
        err() << "usage: makecatalogue <application directory>\n";
        return 2;
    }
    const QDir dir(args[1]);
    if (!dir.exists() && !QDir().mkpath(dir.path())) {
        err() << "makecatalogue: cannot make " << dir.path() << "\n";
        return 1;
    }
    const QString catalogue = dir.filePath(QStringLiteral("sys_kw.kwd"));
    const QString backupTemplate = dir.filePath(QStringLiteral("sy.mdb"));
    const QString reportTemplate = dir.filePath(QStringLiteral("dotoexcle.xlt"));
    try {
        if (!QFileInfo::exists(catalogue))
            writeDatabase(catalogue, store::databasePassword(), true);
        if (!QFileInfo::exists(backupTemplate))
            writeDatabase(backupTemplate, QString(), false);
    } catch (const store::DbError& e) {
        err() << "makecatalogue: " << e.description() << "\n";
        return 1;
    }
    if (!QFileInfo::exists(reportTemplate)) {
        QString error;
        // The report template has a writer of its own; the catalogue does not wait for it.
        if (!xls::writeShippedTemplate(reportTemplate, &error))
            err() << "makecatalogue: warning: " << reportTemplate << " not written: " << error
                  << "\n";
    }
    return 0;
}
