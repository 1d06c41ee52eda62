// The archiving windows swgd and fwgd driven offscreen: the batch, the pick, the moves
// into 归档库 and their failures.

#include "archiving/archiving.h"
#include "shell/app/testing.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/recordset.h"
#include "tests/common/catalogue.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <memory>

using app::testing::TestEnv;

namespace {

struct Config {
    const char* window;
    QDialog* (*create)(QWidget*);
    QString caption;
    QString table;
    QString serialColumn;
    QChar letter;
};

const Config kConfigs[] = {
    {"swgd", archiving::createSwgd, QStringLiteral("文件收文归档窗口"),
     QStringLiteral("文件收文库"), QStringLiteral("收文流水号"), QLatin1Char('S')},
    {"fwgd", archiving::createFwgd, QStringLiteral("文件发文归档窗口"),
     QStringLiteral("文件发文库"), QStringLiteral("发文流水号"), QLatin1Char('F')},
};

const QStringList kDocumentColumns = {
    QStringLiteral("年度"),       QStringLiteral("责任者"),   QStringLiteral("文号"),
    QStringLiteral("文件标题名"), QStringLiteral("发文时间"), QStringLiteral("文件页数"),
    QStringLiteral("保管期限"),   QStringLiteral("密级"),     QStringLiteral("全宗号"),
    QStringLiteral("案卷目录号"), QStringLiteral("案卷号"),   QStringLiteral("分卷号"),
    QStringLiteral("装订页号"),   QStringLiteral("卷内件号"), QStringLiteral("归档时间"),
    QStringLiteral("备注"),
};

using testdb::count;
using testdb::exec;

// Every row of a query as texts, keyed by the first column.
QMap<QString, QStringList> rows(const QString& sql) {
    store::Connection c(store::catalogueConnectionString());
    store::Recordset rs;
    rs.open(sql, c);
    QMap<QString, QStringList> out;
    for (; !rs.eof(); rs.moveNext()) {
        QStringList values;
        for (int i = 1; i < rs.fieldCount(); ++i)
            values << rs.text(i);
        out.insert(rs.text(0), values);
    }
    return out;
}

QString select(const QString& serialColumn, const QString& table) {
    return QStringLiteral("select ") + serialColumn + QLatin1Char(',') +
           kDocumentColumns.join(QLatin1Char(',')) + QStringLiteral(" from ") + table;
}

// A document of a year and a unit; n tells the rows apart.
void addDocument(const Config& c, int n, const QString& year, const QString& unit,
                 const QString& issued = QStringLiteral("2004-01-05")) {
    const QString serial = QStringLiteral("%1%2-%3").arg(c.letter).arg(year).arg(n);
    exec(QStringLiteral("insert into %1 values ('%2','%3','%4','文%5号','标题%5','%6','%5','永久',"
                        "'秘密','Q%5','M%5','J%5','V%5','P%5','N%5','2003-12-%7','注%5')")
             .arg(c.table, serial, year,
                  QString(unit).replace(QLatin1Char('\''), QStringLiteral("''")))
             .arg(n)
             .arg(issued)
             .arg(n, 2, 10, QLatin1Char('0')));
}

class Fixture {
public:
    explicit Fixture(const Config& config) : config(config) {
        for (const char* t : {"文件收文库", "文件发文库", "归档库", "发文单位管理"})
            exec(QStringLiteral("delete * from ") + QString::fromUtf8(t));
        exec(QStringLiteral("insert into 发文单位管理 values ('办公室','01')"));
        exec(QStringLiteral("insert into 发文单位管理 values ('财务处','02')"));
    }
    void open() { window.reset(config.create(nullptr)); }
    template <class T> T* child(const QString& name) {
        T* w = window->findChild<T*>(name);
        if (!w)
            qFatal("no control %s", qPrintable(name));
        return w;
    }
    QTableView* grid1() { return child<QTableView>(QStringLiteral("DataGrid1")); }
    QTableView* grid2() { return child<QTableView>(QStringLiteral("DataGrid2")); }
    QLineEdit* year() { return child<QLineEdit>(QStringLiteral("Text1")); }
    QComboBox* unit() { return child<QComboBox>(QStringLiteral("Combo1")); }
    QPushButton* button(int i) { return child<QPushButton>(QStringLiteral("Command%1").arg(i)); }
    void batch(const QString& y, const QString& u) {
        year()->setText(y);
        unit()->setEditText(u);
        button(1)->click();
    }
    bool archivingEnabled() {
        return button(1)->isEnabled() && button(2)->isEnabled() && unit()->isEnabled() &&
               year()->isEnabled();
    }
    bool archivingDisabled() {
        return !button(1)->isEnabled() && !button(2)->isEnabled() && !unit()->isEnabled() &&
               !year()->isEnabled() && button(3)->isEnabled();
    }
    int sourceCount() { return count(config.table); }
    int archiveCount() { return count(QStringLiteral("归档库")); }
    // The grids show what the tables hold.
    void checkGridsMatch(int sourceRows) {
        QCOMPARE(grid1()->model()->rowCount(), sourceRows);
        QCOMPARE(grid2()->model()->rowCount(), archiveCount());
    }
    QString gridSerial(QTableView* grid, int row) {
        return grid->model()->index(row, 0).data().toString();
    }

    const Config& config;
    std::unique_ptr<QDialog> window;
};

} // namespace

class TestArchiving : public QObject {
    Q_OBJECT
private:
    void configColumn() {
        QTest::addColumn<int>("config");
        for (int i = 0; i < 2; ++i)
            QTest::newRow(kConfigs[i].window) << i;
    }

private slots:
    void load_data() { configColumn(); }
    void load() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 1, QStringLiteral("2004"), QStringLiteral("办公室"));
        addDocument(f.config, 2, QStringLiteral("2003"), QStringLiteral("财务处"));
        exec(QStringLiteral("insert into 归档库 select * from ") + f.config.table +
             QStringLiteral(" where 年度='2003'"));
        exec(QStringLiteral("update 归档库 set 流水号='A1'"));
        f.open();
        QCOMPARE(f.window->windowTitle(), f.config.caption);
        QStringList frames;
        for (auto* g : f.window->findChildren<QGroupBox*>())
            frames << g->title();
        for (const QString& t : {f.config.table, QStringLiteral("点选归档"),
                                 QStringLiteral("批量归档"), QStringLiteral("文件归档库")})
            QVERIFY2(frames.contains(t), qPrintable(t));
        QCOMPARE(f.button(1)->text(), QStringLiteral("归  档"));
        QCOMPARE(f.button(2)->text(), QStringLiteral("归  档"));
        QCOMPARE(f.button(3)->text(), QStringLiteral("退  出"));
        QVERIFY(f.unit()->isEditable());
        QCOMPARE(f.unit()->count(), 2);
        QCOMPARE(f.unit()->itemText(0), QStringLiteral("办公室"));
        QCOMPARE(f.unit()->itemText(1), QStringLiteral("财务处"));
        QVERIFY(f.archivingEnabled());
        QVERIFY(env.messages.isEmpty());
        f.checkGridsMatch(2);
        for (QTableView* g : {f.grid1(), f.grid2()}) {
            QAbstractItemModel* m = g->model();
            QCOMPARE(m->columnCount(), 17);
            QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), QStringLiteral("流水号"));
            QCOMPARE(m->headerData(4, Qt::Horizontal).toString(),
                     QStringLiteral("              文件标题名"));
            QCOMPARE(g->columnWidth(4), 3600 / 15);
            QCOMPARE(g->editTriggers(), QAbstractItemView::NoEditTriggers);
            for (int c = 0; c < 17; ++c) {
                const auto a = m->index(0, c).data(Qt::TextAlignmentRole).toInt();
                QVERIFY2(a & Qt::AlignHCenter, qPrintable(QString::number(c)));
            }
        }
        // Oldest filing date first.
        QCOMPARE(f.gridSerial(f.grid1(), 0),
                 QStringLiteral("%1%2-1").arg(f.config.letter).arg(2004));
    }

    void emptySourceStartsClosed_data() { configColumn(); }
    void emptySourceStartsClosed() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        f.open();
        QVERIFY(f.archivingDisabled());
    }

    void batchMissingInput_data() {
        QTest::addColumn<int>("config");
        QTest::addColumn<QString>("year");
        QTest::addColumn<QString>("unit");
        for (int i = 0; i < 2; ++i) {
            const QByteArray w = kConfigs[i].window;
            QTest::newRow(w + " no unit") << i << "2004"
                                          << "";
            QTest::newRow(w + " no year") << i << ""
                                          << "办公室";
            QTest::newRow(w + " neither") << i << ""
                                          << "";
        }
    }
    void batchMissingInput() {
        QFETCH(int, config);
        QFETCH(QString, year);
        QFETCH(QString, unit);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 1, QStringLiteral("2004"), QStringLiteral("办公室"));
        f.open();
        f.batch(year, unit);
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages[0].text, QStringLiteral("请把关键数据填写完整!"));
        QCOMPARE(env.messages[0].title, QStringLiteral("提示"));
        QCOMPARE(env.messages[0].icon, app::Icon::Exclamation);
        QCOMPARE(env.messages[0].buttons, app::Buttons::Ok);
        QVERIFY(f.year()->text().isEmpty());
        QCOMPARE(f.unit()->currentText(), unit);
        QCOMPARE(f.sourceCount(), 1);
        QCOMPARE(f.archiveCount(), 0);
        f.checkGridsMatch(1);
        QVERIFY(f.archivingEnabled());
    }

    void batchWithoutDocuments_data() { configColumn(); }
    void batchWithoutDocuments() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 1, QStringLiteral("2004"), QStringLiteral("办公室"));
        // Equality, not a pattern: 办 matches nothing.
        addDocument(f.config, 2, QStringLiteral("2004"), QStringLiteral("办"));
        exec(QStringLiteral("delete * from ") + f.config.table +
             QStringLiteral(" where 责任者='办'"));
        f.open();
        f.batch(QStringLiteral("2004"), QStringLiteral("财务处"));
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("没有记录!")});
        QCOMPARE(env.messages[0].icon, app::Icon::None);
        QCOMPARE(env.messages[0].title, app::title());
        QCOMPARE(f.grid1()->model()->rowCount(), 0);
        QCOMPARE(f.year()->text(), QStringLiteral("2004"));
        QCOMPARE(f.unit()->currentText(), QStringLiteral("财务处"));
        QVERIFY(f.archivingEnabled());
        QCOMPARE(f.sourceCount(), 1);

        // Nothing is current in the empty selection: the pick says so and moves nothing.
        env.clearMessages();
        env.answer(app::Answer::Yes);
        f.button(2)->click();
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages[0].buttons, app::Buttons::Ok);
        QVERIFY(env.messages[0].text.contains(QStringLiteral("没有选中")));
        QCOMPARE(f.sourceCount(), 1);
        QCOMPARE(f.archiveCount(), 0);
    }

    void batchAnsweredNo_data() { configColumn(); }
    void batchAnsweredNo() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        for (int n = 1; n <= 3; ++n)
            addDocument(f.config, n, QStringLiteral("2004"), QStringLiteral("办公室"));
        addDocument(f.config, 4, QStringLiteral("2004"), QStringLiteral("财务处"));
        f.open();
        env.answer(app::Answer::No);
        f.batch(QStringLiteral("2004"), QStringLiteral("办公室"));
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("确认加3条记录入归档库!")});
        QCOMPARE(env.messages[0].icon, app::Icon::Question);
        QCOMPARE(env.messages[0].buttons, app::Buttons::YesNo);
        QCOMPARE(f.sourceCount(), 4);
        QCOMPARE(f.archiveCount(), 0);
        QVERIFY(f.year()->text().isEmpty());
        QVERIFY(f.unit()->currentText().isEmpty());
        QCOMPARE(f.grid1()->model()->rowCount(), 3);
        QVERIFY(f.archivingEnabled());

        // A single document of the selection can still be picked.
        f.grid1()->selectRow(1);
        const QString chosen = f.gridSerial(f.grid1(), 1);
        env.answer(app::Answer::Yes);
        f.button(2)->click();
        QCOMPARE(f.archiveCount(), 1);
        QCOMPARE(count(QStringLiteral("归档库"), QStringLiteral("流水号='%1'").arg(chosen)), 1);
        QCOMPARE(f.sourceCount(), 3);
        f.checkGridsMatch(2);
    }

    void batchConfirmedMovesTheSelection_data() { configColumn(); }
    void batchConfirmedMovesTheSelection() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 1, QStringLiteral("2004"), QStringLiteral("办公室"), "2004-02-01");
        addDocument(f.config, 2, QStringLiteral("2004"), QStringLiteral("办公室"), "2004-01-01");
        addDocument(f.config, 15, QStringLiteral("2004"), QStringLiteral("办公室"), "2004-03-01");
        addDocument(f.config, 4, QStringLiteral("2003"), QStringLiteral("办公室"));
        addDocument(f.config, 5, QStringLiteral("2004"), QStringLiteral("财务处"));
        const auto before = rows(select(f.config.serialColumn, f.config.table));
        f.open();
        env.answer(app::Answer::Yes);
        f.batch(QStringLiteral("2004"), QStringLiteral("办公室"));
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("确认加3条记录入归档库!")});

        const auto archived = rows(select(QStringLiteral("流水号"), QStringLiteral("归档库")));
        const QString p = QStringLiteral("%1%2-").arg(f.config.letter).arg(2004);
        QCOMPARE(archived.keys(), (QStringList{p + "1", p + "15", p + "2"}));
        for (auto it = archived.cbegin(); it != archived.cend(); ++it) {
            QStringList expected = before.value(it.key());
            expected[14] = QStringLiteral("2004-3-5"); // 归档时间: today, not the source's
            QCOMPARE(it.value(), expected);
        }
        QCOMPARE(f.sourceCount(), 2);
        QCOMPARE(count(f.config.table, QStringLiteral("年度='2004' and 责任者='办公室'")), 0);
        QVERIFY(f.archivingDisabled());
        f.checkGridsMatch(0);
        QVERIFY(f.year()->text().isEmpty());
    }

    void batchValuesAreEscaped_data() { configColumn(); }
    void batchValuesAreEscaped() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 1, QStringLiteral("2004"), QStringLiteral("O'Neil办"));
        addDocument(f.config, 2, QStringLiteral("2004"), QStringLiteral("办公室"));
        f.open();
        env.answer(app::Answer::Yes);
        f.batch(QStringLiteral("2004"), QStringLiteral("O'Neil办"));
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("确认加1条记录入归档库!")});
        QCOMPARE(f.archiveCount(), 1);
        QCOMPARE(f.sourceCount(), 1);

        // A quote cannot widen the selection either.
        TestEnv env2(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture g(kConfigs[config]);
        addDocument(g.config, 1, QStringLiteral("2004"), QStringLiteral("办公室"));
        g.open();
        g.batch(QStringLiteral("2004' or '1'='1"), QStringLiteral("x' or '1'='1"));
        QCOMPARE(env2.messageTexts(), QStringList{QStringLiteral("没有记录!")});
        QCOMPARE(g.sourceCount(), 1);
    }

    // 归档库 already holds the second document's serial: the whole batch stays put.
    void batchFailureMovesNothing_data() { configColumn(); }
    void batchFailureMovesNothing() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 1, QStringLiteral("2004"), QStringLiteral("办公室"), "2004-01-01");
        addDocument(f.config, 2, QStringLiteral("2004"), QStringLiteral("办公室"), "2004-01-02");
        addDocument(f.config, 3, QStringLiteral("2004"), QStringLiteral("办公室"), "2004-01-03");
        const QString clash = QStringLiteral("%1%2-2").arg(f.config.letter).arg(2004);
        exec(QStringLiteral("insert into 归档库 select * from ") + f.config.table +
             QStringLiteral(" where ") + f.config.serialColumn + QStringLiteral("='") + clash +
             QStringLiteral("'"));
        const auto sourceBefore = rows(select(f.config.serialColumn, f.config.table));
        const auto archiveBefore = rows(select(QStringLiteral("流水号"), QStringLiteral("归档库")));
        f.open();
        env.answer(app::Answer::Yes);
        f.batch(QStringLiteral("2004"), QStringLiteral("办公室"));
        QCOMPARE(env.messages.size(), 2);
        QCOMPARE(env.messages[1].icon, app::Icon::Critical);
        QVERIFY2(env.messages[1].text.contains(clash), qPrintable(env.messages[1].text));
        QCOMPARE(rows(select(f.config.serialColumn, f.config.table)), sourceBefore);
        QCOMPARE(rows(select(QStringLiteral("流水号"), QStringLiteral("归档库"))), archiveBefore);
        f.checkGridsMatch(3);
        QVERIFY(f.archivingEnabled());
    }

    void pickMovesTheChosenRow_data() { configColumn(); }
    void pickMovesTheChosenRow() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        for (int n : {13, 14, 15})
            addDocument(f.config, n, QStringLiteral("2004"), QStringLiteral("办公室"));
        const auto before = rows(select(f.config.serialColumn, f.config.table));
        const QString s15 = QStringLiteral("%1%2-15").arg(f.config.letter).arg(2004);
        f.open();
        int row = -1;
        for (int r = 0; r < 3; ++r)
            if (f.gridSerial(f.grid1(), r) == s15)
                row = r;
        QVERIFY(row >= 0);
        f.grid1()->selectRow(row);
        env.answer(app::Answer::Yes);
        f.button(2)->click();
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("确认加此记录入归档库!")});
        QCOMPARE(env.messages[0].icon, app::Icon::Question);
        const auto archived = rows(select(QStringLiteral("流水号"), QStringLiteral("归档库")));
        QCOMPARE(archived.keys(), QStringList{s15});
        QStringList expected = before.value(s15);
        expected[14] = QStringLiteral("2004-3-5");
        QCOMPARE(archived.value(s15), expected);
        QCOMPARE(count(f.config.table, f.config.serialColumn + "='" + s15 + "'"), 0);
        QCOMPARE(f.sourceCount(), 2);
        f.checkGridsMatch(2);
        QVERIFY(f.archivingEnabled());

        // No moves nothing.
        env.answer(app::Answer::No);
        f.button(2)->click();
        QCOMPARE(f.sourceCount(), 2);

        // Picking the remaining rows one after the other ends in the closed state.
        env.answer(app::Answer::Yes);
        f.button(2)->click();
        QVERIFY(f.archivingEnabled());
        env.answer(app::Answer::Yes);
        f.button(2)->click();
        QCOMPARE(f.sourceCount(), 0);
        QCOMPARE(f.archiveCount(), 3);
        QVERIFY(f.archivingDisabled());
        f.checkGridsMatch(0);
    }

    void pickFailureLeavesBothTables_data() { configColumn(); }
    void pickFailureLeavesBothTables() {
        QFETCH(int, config);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        Fixture f(kConfigs[config]);
        addDocument(f.config, 7, QStringLiteral("2004"), QStringLiteral("办公室"));
        const QString serial = QStringLiteral("%1%2-7").arg(f.config.letter).arg(2004);
        exec(QStringLiteral("insert into 归档库 select * from ") + f.config.table);
        f.open();
        env.answer(app::Answer::Yes);
        f.button(2)->click();
        QCOMPARE(env.messages.size(), 2);
        QVERIFY2(env.messages[1].text.contains(serial), qPrintable(env.messages[1].text));
        QCOMPARE(f.sourceCount(), 1);
        QCOMPARE(f.archiveCount(), 1);
        f.checkGridsMatch(1);
        QVERIFY(f.archivingEnabled());
    }
};

QTEST_MAIN(TestArchiving)
#include "tst_archiving.moc"
