// Lending and archiving over a large catalogue: 100,000 loans and 100,000 incoming
// documents. Opening jygl, choosing a tab, and a confirmed batch of 1,000 documents in swgd.

#include "archiving/archiving.h"
#include "lending/lending.h"
#include "shell/app/testing.h"
#include "store/connection.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int kLoans = 100000;
constexpr int kDocuments = 100000;
constexpr int kBatch = 1000;
constexpr int kRuns = 3;
const QStringList kBatchUnits = {QStringLiteral("办公室"), QStringLiteral("财务处"),
                                 QStringLiteral("人事处")};

// The batch units hold kBatch documents of 2004 each; the rest are spread over other
// years and units, so each batch selects from the whole table.
void fillCatalogue() {
    auto c = store::openCatalogue();
    for (const char* t : {"文件收文库", "归档库", "借阅记录库"})
        c->execute(QStringLiteral("delete * from ") + QString::fromUtf8(t));
    c->beginTransaction();
    for (int i = 1; i <= kDocuments; ++i) {
        const int group = i - 1;
        const bool batch = group < kBatch * kBatchUnits.size();
        const QString unit = batch ? kBatchUnits[group / kBatch]
                                   : QStringLiteral("单位%1").arg(i % 97);
        const QString year = batch ? QStringLiteral("2004") : QString::number(1990 + i % 14);
        const QDate issued = QDate(2000, 1, 1).addDays(i % 1500);
        c->execute(QStringLiteral("insert into 文件收文库 values ('S%1-%2','%1','%3','文[%1]%2号',"
                                  "'关于第%2项工作的通知','%4','%5','永久','秘密','1','2','%6',"
                                  "'1','%5','%6','%7','备注')")
                       .arg(year)
                       .arg(i)
                       .arg(unit, issued.toString(Qt::ISODate))
                       .arg(i % 40 + 1)
                       .arg(i % 300)
                       .arg(issued.addDays(3).toString(Qt::ISODate)));
    }
    static const char* const states[] = {"借阅", "已还", "遗失"};
    for (int i = 1; i <= kLoans; ++i) {
        c->execute(QStringLiteral("insert into 借阅记录库 (借阅编号,文件资料编号,文件资料名,数量,"
                                  "借阅人,经办人,借阅时间,归还时间,状态,备注) values "
                                  "('%1-%2','S2004-%3','关于第%3项工作的通知',1,'借阅人%4',"
                                  "'管理员','2004-03-01',null,'%5','')")
                       .arg(1990 + i / 10000)
                       .arg(i % 10000, 4, 10, QLatin1Char('0'))
                       .arg(i)
                       .arg(i % 50)
                       .arg(QString::fromUtf8(states[i % 3])));
    }
    c->commit();
}

struct Figure {
    double best = 1e9;
    double worst = 0;
    void add(double s) {
        best = std::min(best, s);
        worst = std::max(worst, s);
    }
};

double seconds(const std::function<void()>& action) {
    QElapsedTimer timer;
    timer.start();
    action();
    QApplication::processEvents();
    return timer.nsecsElapsed() / 1e9;
}

void print(const char* what, const Figure& f, double goal) {
    std::printf("%-44s best %.3f s, worst %.3f s of %d (goal < %.1f s) %s\n", what, f.best,
                f.worst, kRuns, goal, f.best < goal ? "met" : "MISSED");
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
    app::setCurrentUser(QStringLiteral("管理员"));
    fillCatalogue();

    Figure open, tab;
    for (int run = 0; run < kRuns; ++run) {
        std::unique_ptr<QDialog> jygl;
        open.add(seconds([&] {
            jygl.reset(lending::createJygl(nullptr));
            jygl->show();
        }));
        auto* tabs = jygl->findChild<QTabBar*>(QStringLiteral("TabStrip1"));
        tabs->setCurrentIndex(1);
        // Back to the incoming register: 100,000 items.
        tab.add(seconds([&] { tabs->setCurrentIndex(0); }));
        const int loans = jygl->findChild<QTableView*>(QStringLiteral("DataGrid1"))->model()->rowCount();
        const int items = jygl->findChild<QTableView*>(QStringLiteral("DataGrid2"))->model()->rowCount();
        if (loans != kLoans || items != kDocuments || !env.messages.isEmpty()) {
            std::fprintf(stderr, "jygl shows %d loans and %d items: %s\n", loans, items,
                         qPrintable(env.messageTexts().join(QLatin1Char('|'))));
            return 1;
        }
    }

    Figure batch;
    for (int run = 0; run < kRuns; ++run) {
        std::unique_ptr<QDialog> swgd(archiving::createSwgd(nullptr));
        swgd->show();
        swgd->findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(QStringLiteral("2004"));
        swgd->findChild<QComboBox*>(QStringLiteral("Combo1"))->setEditText(kBatchUnits[run]);
        env.clearMessages();
        env.answer(app::Answer::Yes);
        auto* command1 = swgd->findChild<QPushButton*>(QStringLiteral("Command1"));
        batch.add(seconds([&] { command1->click(); }));
        const int archived = swgd->findChild<QTableView*>(QStringLiteral("DataGrid2"))->model()->rowCount();
        if (env.messages.size() != 1 || archived != kBatch * (run + 1)) {
            std::fprintf(stderr, "the batch moved %d rows: %s\n", archived,
                         qPrintable(env.messageTexts().join(QLatin1Char('|'))));
            return 1;
        }
    }

    print("jygl opened (100,000 loans, 100,000 items)", open, 0.5);
    print("tab 文件收文 chosen (100,000 items)", tab, 0.3);
    print("swgd batch of 1,000 confirmed", batch, 1.0);
    return 0;
}
