#include "shell/app/chinese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace app {

bool useChineseTexts(QCoreApplication& application) {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    // One translator for the whole process; installing it again is a no-op.
    static QTranslator* translator = nullptr;
    if (translator)
        return true;
    auto* t = new QTranslator(&application);
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!t->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"), dir)) {
        delete t;
        return false;
    }
    application.installTranslator(t);
    translator = t;
    return true;
}

} // namespace app
