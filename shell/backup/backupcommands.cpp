#include "shell/backup/backupcommands.h"

#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/backup.h"
#include "store/catalogue.h"
#include "store/error.h"

#include <QFileInfo>

namespace backup {
namespace {

const QString kFilter = QStringLiteral("(数据库)*.mdb (*.mdb)");
const QString kSuffix = QStringLiteral("mdb");
const QString kReplaceQuestion = QStringLiteral("文件已存在,确认替换它！");
const QString kBackupInUse = QStringLiteral("数据库正在使用，请关闭所有数据窗口，从新开始备份");
const QString kRestoreInUse = QStringLiteral("数据库正在使用，请关闭所有数据窗口，从新开始恢复");

// What tells one backup operation from the other.
struct BackupSettings {
    QString title;
    QString nameTail; // after the compact date in the proposed name
    QString success;
    store::BackupScope scope;
};
const BackupSettings kFullBackup{QStringLiteral("数据备份"), QStringLiteral("数据备份.mdb"),
                                 QStringLiteral("数据备份成功！"), store::BackupScope::Full};
const BackupSettings kDocumentBackup{QStringLiteral("文件数据备份"), QStringLiteral("文件备份.mdb"),
                                     QStringLiteral("文件数据备份成功！"),
                                     store::BackupScope::Documents};

struct RestoreSettings {
    QString title;
    QString questionHead; // the question is head + source + tail
    QString questionTail;
    QString success;
    store::BackupScope scope;
};
const RestoreSettings kFullRestore{QStringLiteral("数据恢复"),
                                   QStringLiteral("系统数据将全部丢失，确认要从数据文件"),
                                   QStringLiteral("中恢复系统数据吗？"),
                                   QStringLiteral("数据恢复成功！"), store::BackupScope::Full};
const RestoreSettings kDocumentTransferIn{
    QStringLiteral("文件数据恢复"), QStringLiteral("文件数据将更新，确认要从数据文件"),
    QStringLiteral("中恢复系统数据吗？"), QStringLiteral("文件数据更新成功！"),
    store::BackupScope::Documents};

// A name typed without an extension gets ".mdb" (the dialog does this too; a name that
// reaches us without one is mended the same way).
QString withSuffix(const QString& path) {
    return QFileInfo(path).suffix().isEmpty() ? path + QLatin1Char('.') + kSuffix : path;
}

void showFailure(QWidget* w, const store::DbError& e, const QString& inUseText) {
    app::inform(w, e.number() == store::kPermissionDenied ? inUseText : e.description(),
                app::Icon::Exclamation);
}

void runBackup(QWidget* w, QString& sdest, const BackupSettings& s) {
    for (;;) {
        app::FileDialogRequest request;
        request.title = s.title;
        request.directory = app::appDir();
        request.proposedName = app::compactDate(app::today()) + s.nameTail;
        request.filter = kFilter;
        request.save = true;
        request.defaultSuffix = kSuffix;
        const auto chosen = app::chooseFile(w, request);
        // A cancelled dialog still holds the proposed name.
        sdest = chosen ? withSuffix(*chosen) : request.proposedName;
        if (!chosen)
            return;
        try {
            store::refuseProtectedFile(sdest);
            if (QFileInfo::exists(sdest) && app::message(w, kReplaceQuestion, app::Buttons::YesNo,
                                                         app::Icon::Question) != app::Answer::Yes)
                continue;
            store::backupTo(sdest, s.scope);
            app::inform(w, s.success, app::Icon::Information);
        } catch (const store::DbError& e) {
            showFailure(w, e, kBackupInUse);
        }
        return;
    }
}

void runRestore(QWidget* w, QString& sdest, const RestoreSettings& s) {
    app::FileDialogRequest request;
    request.title = s.title;
    request.directory = app::appDir();
    request.filter = kFilter;
    request.mustExist = true;
    request.defaultSuffix = kSuffix;
    const auto chosen = app::chooseFile(w, request);
    sdest = store::cataloguePath();
    if (!chosen)
        return;
    const QString source = *chosen;
    try {
        if (app::message(w, s.questionHead + source + s.questionTail, app::Buttons::YesNo,
                         app::Icon::Question) != app::Answer::Yes)
            return;
        store::restoreFrom(source, s.scope);
        app::inform(w, s.success, app::Icon::Information);
    } catch (const store::DbError& e) {
        showFailure(w, e, kRestoreInUse);
    }
}

} // namespace

void fullBackup(QWidget* mainWindow, QString& sdest) {
    runBackup(mainWindow, sdest, kFullBackup);
}
void documentBackup(QWidget* mainWindow, QString& sdest) {
    runBackup(mainWindow, sdest, kDocumentBackup);
}
void fullRestore(QWidget* mainWindow, QString& sdest) {
    runRestore(mainWindow, sdest, kFullRestore);
}
void documentTransferIn(QWidget* mainWindow, QString& sdest) {
    runRestore(mainWindow, sdest, kDocumentTransferIn);
}

} // namespace backup
