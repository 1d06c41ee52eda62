#pragma once
// The grid model: the visible rows of a record set for a QTableView (QtCore only).
// Captions and alignment come from the window's grid layout.

#include <QAbstractTableModel>
#include <QList>

namespace store {

class Recordset;

class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(Recordset* recordset, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    void setCaption(int column, const QString& caption);
    void setAlignment(int column, Qt::Alignment alignment);
    // The bound column name of a grid column (the record set's field name).
    QString columnName(int column) const;
    Recordset* recordset() const;

private:
    void followRows();

    Recordset* rs_;
    QList<QString> captions_;
    QList<Qt::Alignment> alignments_;
    int rows_ = 0;
    int columns_ = 0;
};

} // namespace store
