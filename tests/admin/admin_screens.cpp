// Pictures of frmuser in both modes and of the full restore's question, for people to
// look at (run by tests/admin/adminpicture.sh from scripts/screenshot; not a test).
#include "admin/admin.h"
#include "shell/app/app.h"
#include "shell/app/testing.h"
#include "tests/common/pictures.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <memory>

namespace {

// Real time for the window to settle, as on the display scripts/screenshot uses.
void shoot(QWidget* w, const char* name) {
    pictures::waitFor(300);
    pictures::save(w->grab(), QString::fromLatin1(name));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (!pictures::takeFolder(argc, argv))
        return 2;
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR), QDateTime());

    std::unique_ptr<QDialog> frmuser(admin::createFrmuser(nullptr));
    frmuser->show();
    shoot(frmuser.get(), "frmuser");
    frmuser->findChild<QPushButton*>(QStringLiteral("cmdEdit"))->click();
    shoot(frmuser.get(), "frmuser-edit");
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
    shoot(&box, "restore-question");
    box.close();
    return pictures::exitCode();
}
