#pragma once
// The query builder "查找": one condition on one column of a table. The caller sets
// sqlado and intNumField, shows it modally with exec(), and reads intNumField (the
// chosen column's position, -1 for OK with an empty value, -2 for a cancel or any
// other close) and strSqlField (" = '12'", " like '*办*'", " >= #2004-5-3#").

#include <QDialog>
#include <QString>

class FrmSql : public QDialog {
    Q_OBJECT
public:
    explicit FrmSql(QWidget* parent = nullptr);
    ~FrmSql() override;

    QString sqlado;
    qint16 intNumField = 0;
    QString strSqlField;

    // Loads the column list of sqlado, then runs modally.
    int exec() override;

private:
    struct Impl;
    Impl* d;
};

namespace search {
struct Condition {
    int column;      // position, or -1 / -2
    QString operand; // strSqlField
};
// Shows FrmSql over parent for a table and a column count and returns its answer.
Condition askCondition(QWidget* parent, const QString& table, int fieldCount);
} // namespace search
