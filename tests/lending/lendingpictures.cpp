// Pictures of the archiving and lending windows over a small catalogue, for people to look
// at: swgd with documents, jygl with loans in the three states, and jydd open over jygl.
// Usage: lending_pictures FOLDER (offscreen is enough: each window paints itself).

#include "archiving/archiving.h"
#include "lending/lending.h"
#include "lendingfixture.h"
#include "shell/app/testing.h"
#include "tests/common/pictures.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <memory>

using namespace lendingtest;

namespace {

void seed() {
    clearTables();
    const char* const units[] = {"办公室", "财务科", "人事科", "市教育局"};
    const char* const titles[] = {
        "关于开展档案检查工作的通知", "二〇〇四年度工作计划", "关于调整办公用房的请示",
        "财务报表报送要求",           "人事任免决定",         "教育经费安排意见"};
    for (int i = 1; i <= 14; ++i) {
        exec(QStringLiteral("insert into 文件收文库 values ('S2004-%1','2004','%2','办[2004]%1号',"
                            "'%3','2004-%4-%5','%6','永久','秘密','Z01','M%7','J%8','1','%6','%1',"
                            "'2004-03-%9','')")
                 .arg(i)
                 .arg(QString::fromUtf8(units[i % 4]), QString::fromUtf8(titles[i % 6]))
                 .arg(i % 3 + 1, 2, 10, QLatin1Char('0'))
                 .arg(i + 5, 2, 10, QLatin1Char('0'))
                 .arg(i % 9 + 2)
                 .arg(i % 3 + 1)
                 .arg(i % 5 + 1)
                 .arg(i % 4 + 1, 2, 10, QLatin1Char('0')));
    }
    const char* const states[] = {"已还", "遗失", "借阅"};
    const char* const borrowers[] = {"李明", "王芳", "张伟", "刘洋", "陈静"};
    for (int i = 1; i <= 9; ++i)
        addLoan(QStringLiteral("2004-%1").arg(i, 4, 10, QLatin1Char('0')),
                QStringLiteral("S2004-%1").arg(i), QString::fromUtf8(states[i % 3]),
                QString::fromUtf8(borrowers[i % 5]));
    exec(QStringLiteral("update 借阅记录库 set 文件资料名='关于开展档案检查工作的通知'"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (!pictures::takeFolder(argc, argv))
        return 2;
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
    app::setCurrentUser(QStringLiteral("admin"));
    seed();

    std::unique_ptr<QDialog> swgd(archiving::createSwgd(nullptr));
    swgd->show();
    swgd->findChild<QTableView*>(QStringLiteral("DataGrid1"))->selectRow(2);
    pictures::processPending();
    pictures::save(swgd->grab(), QStringLiteral("swgd"));
    swgd->close();

    std::unique_ptr<QDialog> jygl(lending::createJygl(nullptr));
    jygl->show();
    pictures::processPending();
    pictures::save(jygl->grab(), QStringLiteral("jygl"));

    // The registration dialog as it stands over the loan window, filled in.
    QTimer::singleShot(0, [&jygl] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!d) {
            pictures::fail(QStringLiteral("jydd did not open"));
            return;
        }
        d->findChild<QLineEdit*>(QStringLiteral("Text1(8)"))->setText(QStringLiteral("1"));
        d->findChild<QLineEdit*>(QStringLiteral("Text1(9)"))->setText(QStringLiteral("赵磊"));
        pictures::processPending();
        QPixmap scene = jygl->grab();
        const QPixmap dialog = d->grab();
        QPainter p(&scene);
        p.fillRect(scene.rect(), QColor(0, 0, 0, 40));
        p.drawPixmap((scene.width() - dialog.width()) / 2, (scene.height() - dialog.height()) / 2,
                     dialog);
        p.setPen(QColor(60, 60, 60));
        p.drawRect((scene.width() - dialog.width()) / 2 - 1,
                   (scene.height() - dialog.height()) / 2 - 1, dialog.width() + 1,
                   dialog.height() + 1);
        p.end();
        pictures::save(scene, QStringLiteral("jydd"));
        d->reject();
    });
    jygl->findChild<QPushButton*>(QStringLiteral("cmdOK(0)"))->click();
    return pictures::exitCode();
}
