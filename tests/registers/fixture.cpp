#include "fixture.h"

#include "registers/registers.h"
#include "store/connection.h"
#include "store/recordset.h"

#include <QApplication>
#include <QTimer>

namespace fixture {

const Kind& kind(const QString& name) {
    static const QList<Kind> kinds = {
        {"swsj", "文件收文库", "收文流水号", "txt1(0)", "txt1(3)", "文件标题名", "txt1(12)",
         "归档时间", registers::createSwsj},
        {"fwsj", "文件发文库", "发文流水号", "txt1(0)", "txt1(3)", "文件标题名", "txt1(12)",
         "归档时间", registers::createFwsj},
        {"gdsj", "归档库", "流水号", "txt1(0)", "txt1(3)", "文件标题名", "txt1(12)", "归档时间",
         registers::createGdsj},
        {"htsj", "合同协议库", "合同流水号", "txt1(0)", "txt1(3)", "名称", "txt1(7)", "入档时间",
         registers::createHtsj},
        {"dwbm", "发文单位管理", "发文单位", "txt1", "txt1", "发文单位", "", "",
         registers::createDwbm},
    };
    for (const Kind& k : kinds)
        if (k.name == name)
            return k;
    qFatal("no window %s", qPrintable(name));
}

QStringList kindNames() {
    return {"swsj", "fwsj", "gdsj", "htsj", "dwbm"};
}

void exec(const QString& sql) {
    auto c = store::openCatalogue();
    c->execute(sql);
}

QString value(const QString& sql) {
    auto c = store::openCatalogue();
    store::Recordset rs;
    rs.open(sql, *c);
    return rs.eof() ? QString() : rs.text(0);
}

int count(const QString& table) {
    return value(QStringLiteral("select count(*) from ") + table).toInt();
}

void fillTable(const Kind& k, const QStringList& keys) {
    auto c = store::openCatalogue();
    c->execute(QStringLiteral("delete * from ") + k.table);
    int i = 0;
    for (const QString& key : keys) {
        ++i;
        if (k.name == "dwbm") {
            c->execute(
                QStringLiteral("insert into 发文单位管理 (发文单位, 单位编码) values ('%1', '%2')")
                    .arg(key)
                    .arg(i));
        } else {
            // Filing dates in key order, so the grid's order is the order given.
            const QString filed = QDate(2004, 1, 1).addDays(i).toString(Qt::ISODate);
            c->execute(QStringLiteral("insert into %1 (%2, %3, %4) values ('%5', '标题%6', '%7')")
                           .arg(k.table, k.key, k.textColumn, k.dateColumn, key)
                           .arg(i)
                           .arg(filed));
        }
    }
}

Window::Window(const Kind& k) : w_(static_cast<registers::RegisterWindow*>(k.create(nullptr))) {
    w_->show();
}

QPushButton* Window::dep(int i) const {
    return w_->findChild<QPushButton*>(QStringLiteral("cmddep(%1)").arg(i));
}
QPushButton* Window::act(int i) const {
    return w_->findChild<QPushButton*>(QStringLiteral("cmdact(%1)").arg(i));
}
QLineEdit* Window::text(const QString& name) const {
    auto* box = w_->findChild<QLineEdit*>(name);
    if (!box || box->objectName() != name) // not the line edit inside a combo box
        return nullptr;
    return box;
}
QComboBox* Window::combo(const QString& name) const {
    return w_->findChild<QComboBox*>(name);
}
QDateEdit* Window::picker() const {
    return w_->findChild<QDateEdit*>("DTPicker1");
}
QTableView* Window::grid() const {
    return w_->findChild<QTableView*>("DataGrid1");
}

QString Window::depStates() const {
    QString out;
    for (int i = 0; i < 6; ++i)
        out += dep(i)->isEnabled() ? QLatin1Char('1') : QLatin1Char('0');
    return out;
}

QString Window::currentKey() const {
    if (rs()->bof() || rs()->eof())
        return QStringLiteral("<none>");
    return rs()->text(0);
}

void Window::type(const QString& box, const QString& text) const {
    if (QLineEdit* line = this->text(box)) {
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        line->insert(text);
        return;
    }
    QComboBox* c = combo(box);
    QVERIFY2(c, qPrintable(box));
    c->lineEdit()->selectAll();
    QTest::keyClick(c->lineEdit(), Qt::Key_Delete);
    c->lineEdit()->insert(text);
}

void whenFrmSqlShows(const std::function<void(FrmSql*)>& act) {
    QTimer::singleShot(0, [act] {
        auto* d = qobject_cast<FrmSql*>(QApplication::activeModalWidget());
        if (!d) {
            qWarning("FrmSql is not shown");
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        act(d);
        if (d->isVisible()) {
            qWarning("FrmSql left open");
            d->reject();
        }
    });
}

void find(const Window& w, int column, const QString& op, const QString& value) {
    whenFrmSqlShows([=](FrmSql* d) {
        d->findChild<QComboBox*>("CboField")->setCurrentIndex(column);
        auto* ops = d->findChild<QComboBox*>("Combo1");
        ops->setCurrentIndex(ops->findText(op));
        auto* txt = d->findChild<QLineEdit*>("TxtSQL");
        txt->clear();
        txt->insert(value); // typed: keyClicks takes Latin-1 only
        d->findChild<QPushButton*>("CmdSql(0)")->click();
    });
    w.dep(2)->click();
}

void cancelFind(const Window& w) {
    whenFrmSqlShows([](FrmSql* d) { d->findChild<QPushButton*>("CmdSql(1)")->click(); });
    w.dep(2)->click();
}

} // namespace fixture
