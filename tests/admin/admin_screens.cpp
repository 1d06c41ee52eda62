// Pictures of frmuser in both modes and of the full restore's question, for people to
// look at (run by tests/admin/adminpicture.sh from scripts/screenshot; not a test).
#include "admin/admin.h"
#include "shell/app/app.h"
#include "shell/app/testing.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QEventLoop>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

QString outDir;
int failures = 0;

void settle() {
    QEventLoop loop;
    QTimer::singleShot(300, &loop, &QEventLoop::quit);
    loop.exec();
}

void save(QWidget* w, const char* name) {
    settle();
    const QString file = QDir(outDir).filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    if (!w->grab().save(file)) {
        std::fprintf(stderr, "could not save %s\n", qPrintable(file));
        ++failures;
        return;
    }
    std::printf("%s\n", qPrintable(file));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    outDir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(outDir);
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR), QDateTime());

    std::unique_ptr<QDialog> frmuser(admin::createFrmuser(nullptr));
    frmuser->show();
    save(frmuser.get(), "frmuser");
    frmuser->findChild<QPushButton*>(QStringLiteral("cmdEdit"))->click();
    save(frmuser.get(), "frmuser-edit");
    env.answer(app::Answer::Yes);
    frmuser->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    frmuser->close();

    // The question as the full restore asks it, in a real box shown without a modal loop.
    const QString source = app::appPath(QStringLiteral("200435数据备份.mdb"));
    QMessageBox box(QMessageBox::Question, app::title(),
                    QStringLiteral("系统数据将全部丢失，确认要从数据文件") + source +
                        QStringLiteral("中恢复系统数据吗？"),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.show();
    save(&box, "restore-question");
    box.close();
    return failures == 0 ? 0 : 1;
}
