#pragma once
// A record set: the rows of one query held on the client, a current row, a filter,
// and the writes back to the database (by rowid, through each result column's base
// table and column, so aliases such as "收文流水号 as 编号" write the right column).
//
// Positions follow the design's record sets: BOF before the first visible row, EOF
// after the last; AbsolutePosition counts visible rows from 1. Every failure throws
// DbError.

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <functional>
#include <memory>

namespace store {

class Connection;

// Field type codes callers test.
enum FieldType : int {
    kSmallInt = 2,
    kInteger = 3,
    kSingle = 4,
    kDouble = 5,
    kCurrency = 6,
    kDate = 7,
    kText = 202,
};

class Recordset : public QObject {
    Q_OBJECT
public:
    explicit Recordset(QObject* parent = nullptr);
    ~Recordset() override;

    // Runs the query (the design's dialect) on the connection, which must stay open
    // until close(); positions on the first row and emits moveComplete().
    void open(const QString& sql, Connection& connection);
    void close();
    bool isOpen() const;
    QString sql() const;

    // Fields of the current row, by 0-based index or by result column name.
    int fieldCount() const;
    QString fieldName(int index) const;
    int fieldType(int index) const;            // a FieldType code
    int fieldIndex(const QString& name) const; // -1 when absent
    // Null is an invalid QVariant; text is QString, whole numbers qlonglong, single and
    // double double, dates QDate. Throws at BOF/EOF or on a deleted row.
    QVariant value(int index) const;
    QVariant value(const QString& name) const;
    // The value as text: "" for null, dates as yyyy-M-d, numbers without trailing zeros.
    QString text(int index) const;
    QString text(const QString& name) const;
    // Sets a pending value of the current row. A DATE column accepts a QDate or a text
    // (ISO, yyyy-M-d, yyyy/M/d, 2004年3月5日); a text that is no date is kept and
    // refused by update() with an error naming the column. Null clears.
    void setValue(int index, const QVariant& value);
    void setValue(const QString& name, const QVariant& value);

    // Navigation over the visible rows.
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    bool eof() const;
    bool bof() const;
    int recordCount() const;      // visible rows, an appended row included
    int absolutePosition() const; // 1-based; -1 at BOF/EOF or with no rows
    void setAbsolutePosition(int position);

    using Bookmark = QVariant;
    Bookmark bookmark() const;
    void setBookmark(const Bookmark& bookmark);

    // Editing.
    void addNew();        // appends an empty current row, pending until written
    void update();        // writes the current row now
    void updateBatch();   // writes every pending row
    void cancelUpdate();  // drops the current row's pending changes (an appended row goes)
    void deleteCurrent(); // removes the current row from the database at once; an
                          // appended row not yet written is dropped. As in the design,
                          // the position stays on the deleted row until the next move.
    void requery();       // re-runs the query, keeps the filter, positions on the first row
    bool hasPendingChanges() const;

    // "column op literal": op one of = > >= < <= <> like; literals 'text' ('' a quote),
    // bare numbers, #date#; * and % are like-wildcards, _ one character. Compared by the
    // column's type. The empty string clears. Positions on the first visible row.
    void setFilter(const QString& filter);
    QString filter() const;

    // For the grid model: visible rows by 0-based index.
    QVariant valueAt(int row, int column) const;
    QString textAt(int row, int column) const;
    // 0-based index of the current visible row, or -1 at BOF/EOF.
    int currentRow() const;
    void setCurrentRow(int row);

    // Controls bound to this record set hold edits that are not yet values (a date being
    // typed); before every write and every move the record set asks them to hand those in.
    void addEditSource(QObject* owner, std::function<void()> flush);

Q_SIGNALS:
    // After the first positioning and after every change of the current row.
    void moveComplete();
    // The visible rows were rebuilt (open, requery, filter, append, delete).
    void rowsReset();
    // A value of a visible row changed.
    void valueChanged(int row, int column);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// The result columns of a query, named and typed as an opened record set would have them,
// read without fetching a single row (the query builder lists a table's columns).
struct FieldInfo {
    QString name;
    int type; // a FieldType code
};
QList<FieldInfo> queryFields(const QString& sql, Connection& connection);

} // namespace store
