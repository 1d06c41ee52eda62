// Pictures of the register windows over a small catalogue, for people to look at: each of
// the five windows with rows, swsj once more in the edit state of an addition, and the
// query builder over swsj with a date column chosen.
// Usage: register_pictures FOLDER (offscreen is enough: each window paints itself).

#include "fixture.h"
#include "registers/registers.h"
#include "tests/common/pictures.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>

using namespace fixture;

namespace {

const QStringList kUnits = {"办公室", "财务科", "人事科", "市教育局", "市档案局"};
const QStringList kTitles = {
    "关于开展档案检查工作的通知", "二〇〇四年度工作计划", "关于调整办公用房的请示",
    "财务报表报送要求",           "人事任免决定",         "教育经费安排意见"};

void seedDocuments(const QString& table, const QString& prefix) {
    exec(QStringLiteral("delete * from ") + table);
    for (int i = 1; i <= 14; ++i)
        exec(QStringLiteral("insert into %1 values ('%2%3','2004','%4','办[2004]%3号','%5',"
                            "'2004-%6-%7','%8','永久','秘密','Z01','M%9','J%10','1','%8','%3',"
                            "'2004-03-%11','')")
                 .arg(table, prefix)
                 .arg(i)
                 .arg(kUnits[i % kUnits.size()], kTitles[i % kTitles.size()])
                 .arg(i % 3 + 1, 2, 10, QLatin1Char('0'))
                 .arg(i + 5, 2, 10, QLatin1Char('0'))
                 .arg(i % 9 + 2)
                 .arg(i % 3 + 1)
                 .arg(i % 5 + 1)
                 .arg(i % 4 + 1, 2, 10, QLatin1Char('0')));
}

void seed() {
    exec("delete * from 发文单位管理");
    for (int i = 0; i < kUnits.size(); ++i)
        exec(QStringLiteral("insert into 发文单位管理 values ('%1', 'DW%2')")
                 .arg(kUnits[i])
                 .arg(101 + i));
    seedDocuments("文件收文库", "S2004-");
    seedDocuments("文件发文库", "F2004-");
    seedDocuments("归档库", "S2003-");
    exec("delete * from 合同协议库");
    const QStringList parties = {"市建设公司", "华信科技有限公司", "市教育局", "联合印刷厂"};
    for (int i = 1; i <= 8; ++i)
        exec(QStringLiteral("insert into 合同协议库 values ('H2004-%1','2004-%1','H%2',"
                            "'办公设备采购合同','本单位','%3','2004%4','2004-03-%5','')")
                 .arg(i)
                 .arg(i % 3 + 1)
                 .arg(parties[i % parties.size()])
                 .arg(i + 1, 4, 10, QLatin1Char('0'))
                 .arg(i + 1, 2, 10, QLatin1Char('0')));
}

void shoot(const QString& name) {
    Window w(kind(name));
    w.grid()->selectRow(2);
    pictures::processPending();
    pictures::save(w.w()->grab(), name);
}

// The dialog drawn over the window that opened it, as the user sees the two.
QPixmap over(QWidget* below, QWidget* dialog) {
    QPixmap scene = below->grab();
    const QPixmap top = dialog->grab();
    const QPoint at((scene.width() - top.width()) / 2, (scene.height() - top.height()) / 3);
    QPainter p(&scene);
    p.fillRect(scene.rect(), QColor(0, 0, 0, 40));
    p.drawPixmap(at, top);
    return scene;
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (!pictures::takeFolder(argc, argv))
        return 2;
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
    seed();

    for (const QString& name : kindNames())
        shoot(name);

    {
        Window w(kind("swsj"));
        w.dep(0)->click();
        w.text("txt1(2)")->setText(QStringLiteral("办[2004]15号"));
        w.text("txt1(3)")->setText(QStringLiteral("关于报送档案目录的通知"));
        pictures::processPending();
        pictures::save(w.w()->grab(), QStringLiteral("swsj-edit"));
        env.answer(app::Answer::Yes);
        w.act(1)->click();

        whenFrmSqlShows([&w](FrmSql* d) {
            d->findChild<QComboBox*>("CboField")->setCurrentIndex(15); // 归档时间
            d->findChild<QComboBox*>("Combo1")->setCurrentIndex(2);
            pictures::processPending();
            pictures::save(over(w.w(), d), QStringLiteral("frmsql"));
            d->reject();
        });
        w.dep(2)->click();
    }
    if (!env.messages.isEmpty() && env.messages.size() != 1) {
        pictures::fail(QStringLiteral("unexpected messages: ") + env.messageTexts().join('|'));
    }
    return pictures::exitCode();
}
