// The grid model, the grid binding and the control binder, offscreen.

#include "storefixture.h"

#include "store/binder.h"
#include "store/gridmodel.h"
#include "store/layouts.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QTableView>
#include <QTest>

using namespace store;

class TestStoreUi : public QObject {
    Q_OBJECT
private slots:
    void gridShowsVisibleRows();
    void layoutSetsCaptionsWidthsAndHides();
    void selectionAndCurrentRowFollowEachOther();
    void lineEditShowsAndWrites();
    void comboListFillWritesNothing();
    void comboSelectionWrites();

private:
    static void fill(StoreFixture& f) {
        f.addIncoming("S1", "1", "关于开会的通知", "3", "2004-03-05");
        f.addIncoming("S2", "2", "年度报告", "5", "2004-10-01");
        f.addIncoming("S3", "3", "放假通知", "1", "2004-11-20");
    }
};

void TestStoreUi::gridShowsVisibleRows() {
    StoreFixture f;
    fill(f);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    QTableView view;
    GridModel* model = bindGrid(&view, &rs);
    QCOMPARE(model->rowCount(), 3);
    QCOMPARE(model->columnCount(), 17);
    QCOMPARE(model->columnName(15), QStringLiteral("归档时间"));
    QCOMPARE(model->index(1, 15).data().toString(), QStringLiteral("2004-10-1"));
    rs.setFilter(QStringLiteral("文件标题名 like '*通知*'"));
    QCOMPARE(model->rowCount(), 2);
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("S3"));
    rs.addNew();
    QCOMPARE(model->rowCount(), 3);
    rs.setValue(QStringLiteral("文件标题名"), QStringLiteral("新的"));
    QCOMPARE(model->index(2, 4).data().toString(), QStringLiteral("新的"));
    QCOMPARE(view.editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(view.selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(view.selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(view.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

void TestStoreUi::layoutSetsCaptionsWidthsAndHides() {
    StoreFixture f;
    fill(f);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库"), *f.db);
    QTableView view;
    GridModel* model = bindGrid(&view, &rs);
    QList<GridColumn> layout = documentGridColumns(QStringLiteral("收文流水号"));
    layout[16].widthTwips = 0;
    applyGridLayout(&view, layout);
    QCOMPARE(model->headerData(4, Qt::Horizontal).toString(),
             QStringLiteral("              文件标题名"));
    QCOMPARE(view.columnWidth(4), 3600 / 15);
    QVERIFY(view.isColumnHidden(16));
    QCOMPARE(model->index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(),
             Qt::AlignCenter | Qt::AlignVCenter);
    // A requery and a filter keep the layout.
    rs.requery();
    rs.setFilter(QStringLiteral("文号 = '2'"));
    QCOMPARE(view.columnWidth(4), 3600 / 15);
    QVERIFY(view.isColumnHidden(16));
}

void TestStoreUi::selectionAndCurrentRowFollowEachOther() {
    StoreFixture f;
    fill(f);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    QTableView view;
    GridModel* model = bindGrid(&view, &rs);
    QCOMPARE(view.selectionModel()->currentIndex().row(), 0);
    rs.moveLast();
    QCOMPARE(view.selectionModel()->currentIndex().row(), 2);
    QVERIFY(view.selectionModel()->isRowSelected(2, QModelIndex()));
    view.selectionModel()->setCurrentIndex(model->index(1, 3), QItemSelectionModel::ClearAndSelect |
                                                                   QItemSelectionModel::Rows);
    QCOMPARE(rs.absolutePosition(), 2);
    QCOMPARE(rs.text(0), QStringLiteral("S2"));
    // A deleted row leaves the grid at once; the next move selects the row after it.
    rs.deleteCurrent();
    QCOMPARE(model->rowCount(), 2);
    QVERIFY(!view.selectionModel()->hasSelection());
    rs.moveNext();
    QCOMPARE(view.selectionModel()->currentIndex().row(), 1);
    QCOMPARE(model->index(1, 0).data().toString(), QStringLiteral("S3"));
}

void TestStoreUi::lineEditShowsAndWrites() {
    StoreFixture f;
    fill(f);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    QLineEdit title, filed, serial;
    ControlBinder binder(&rs);
    binder.bind(&title, QStringLiteral("文件标题名"));
    binder.bind(&filed, QStringLiteral("归档时间"));
    binder.bind(&serial, QStringLiteral("收文流水号"));
    QCOMPARE(title.text(), QStringLiteral("关于开会的通知"));
    QCOMPARE(filed.text(), QStringLiteral("2004-3-5"));
    QVERIFY(!rs.hasPendingChanges());
    rs.moveNext();
    QCOMPARE(title.text(), QStringLiteral("年度报告"));
    title.clear();
    QTest::keyClicks(&title, QStringLiteral("New title"));
    QCOMPARE(rs.text(QStringLiteral("文件标题名")), QStringLiteral("New title"));
    rs.update();
    // The program's own text goes into the row as well: a proposed serial number.
    rs.addNew();
    QCOMPARE(serial.text(), QString());
    serial.setText(QStringLiteral("S2004-4"));
    filed.setText(QStringLiteral("2004年3月5日"));
    QCOMPARE(filed.text(), QStringLiteral("2004年3月5日")); // typing is not rewritten
    rs.update();
    rs.requery();
    rs.setFilter(QStringLiteral("收文流水号 = 'S2004-4'"));
    QCOMPARE(serial.text(), QStringLiteral("S2004-4"));
    QCOMPARE(filed.text(), QStringLiteral("2004-3-5"));
    rs.setFilter(QString());
    Recordset check;
    check.open(QStringLiteral("select * from 文件收文库 where 收文流水号='S2'"), *f.db);
    QCOMPARE(check.text(QStringLiteral("文件标题名")), QStringLiteral("New title"));
    // CancelUpdate shows the row as it was.
    rs.moveFirst();
    title.setText(QStringLiteral("不要的"));
    rs.cancelUpdate();
    QCOMPARE(title.text(), rs.text(QStringLiteral("文件标题名")));
    QVERIFY(!rs.hasPendingChanges());
}

void TestStoreUi::comboListFillWritesNothing() {
    StoreFixture f;
    fill(f);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    QComboBox fixed, editable;
    editable.setEditable(true);
    ControlBinder binder(&rs);
    binder.bind(&fixed, QStringLiteral("保管期限"));
    binder.bind(&editable, QStringLiteral("责任者"));
    for (const char* item : {"短期", "永久", "长期"})
        fixed.addItem(QString::fromUtf8(item));
    for (const char* item : {"人事科", "办公室"})
        editable.addItem(QString::fromUtf8(item));
    QVERIFY(!rs.hasPendingChanges());
    QCOMPARE(fixed.currentText(), QStringLiteral("永久"));
    QCOMPARE(editable.currentText(), QStringLiteral("办公室"));
    fixed.clear();
    QVERIFY(!rs.hasPendingChanges());
}

void TestStoreUi::comboSelectionWrites() {
    StoreFixture f;
    fill(f);
    Recordset rs;
    rs.open(QStringLiteral("select * from 文件收文库 order by 归档时间"), *f.db);
    QComboBox fixed, editable;
    editable.setEditable(true);
    fixed.addItems({QStringLiteral("永久"), QStringLiteral("长期")});
    editable.addItems({QStringLiteral("办公室"), QStringLiteral("人事科")});
    ControlBinder binder(&rs);
    binder.bind(&fixed, QStringLiteral("保管期限"));
    binder.bind(&editable, QStringLiteral("责任者"));
    rs.addNew();
    QCOMPARE(fixed.currentIndex(), -1);
    fixed.setCurrentIndex(1);
    editable.setCurrentIndex(1);
    QCOMPARE(rs.text(QStringLiteral("保管期限")), QStringLiteral("长期"));
    QCOMPARE(rs.text(QStringLiteral("责任者")), QStringLiteral("人事科"));
    editable.setEditText(QStringLiteral("档案室"));
    QCOMPARE(rs.text(QStringLiteral("责任者")), QStringLiteral("档案室"));
}

QTEST_MAIN(TestStoreUi)
#include "tst_storeui.moc"
