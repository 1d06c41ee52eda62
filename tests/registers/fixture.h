#pragma once
// A register window opened on a test catalogue, with short ways to reach its controls,
// to fill its table and to answer the query builder.

#include "registers/registerwindow.h"
#include "search/frmsql.h"
#include "shell/app/testing.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>
#include <functional>
#include <memory>

namespace fixture {

// What a test needs to know of each of the five windows.
struct Kind {
    QString name; // swsj …
    QString table;
    QString key;     // key column
    QString keyBox;  // its box
    QString textBox; // a plain text box
    QString textColumn;
    QString dateBox; // the archiving date box, empty for none
    QString dateColumn;
    QDialog* (*create)(QWidget*);
};
const Kind& kind(const QString& name);
QStringList kindNames();

// Statements on the test catalogue.
void exec(const QString& sql);
int count(const QString& table);
QString value(const QString& sql); // the first column of the first row, "" for none
// Empties the window's table and writes rows with these keys (and a text per row).
void fillTable(const Kind& k, const QStringList& keys);

class Window {
public:
    explicit Window(const Kind& k);
    registers::RegisterWindow* w() const { return w_.get(); }
    store::Recordset* rs() const { return w_->recordset(); }
    QPushButton* dep(int i) const;
    QPushButton* act(int i) const;
    QLineEdit* text(const QString& name) const;
    QComboBox* combo(const QString& name) const;
    QDateEdit* picker() const;
    QTableView* grid() const;
    // The enabled state of cmddep(0)..cmddep(5) as "111111".
    QString depStates() const;
    QString currentKey() const;
    void type(const QString& box, const QString& text) const; // replaces the box's text

private:
    std::unique_ptr<registers::RegisterWindow> w_;
};

// Acts on the query builder once the find button has shown it.
void whenFrmSqlShows(const std::function<void(FrmSql*)>& act);
// Runs a find: chooses column position, operator and value, presses OK.
void find(const Window& w, int column, const QString& op, const QString& value);
void cancelFind(const Window& w);

} // namespace fixture
