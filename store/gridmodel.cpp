#include "store/gridmodel.h"

#include "store/recordset.h"

namespace store {

GridModel::GridModel(Recordset* recordset, QObject* parent)
    : QAbstractTableModel(parent), rs_(recordset) {
    connect(rs_, &Recordset::rowsReset, this, &GridModel::followRows);
    connect(rs_, &Recordset::valueChanged, this, [this](int row, int column) {
        if (row >= 0 && row < rows_)
            emit dataChanged(index(row, column), index(row, column));
    });
    rows_ = rs_->recordCount();
    columns_ = rs_->fieldCount();
}

// The visible rows were rebuilt. Rows are inserted or removed at the end and the rest is
// repainted, so that the view keeps its column widths, captions and hidden columns; only a
// change of the columns themselves resets the model.
void GridModel::followRows() {
    const int rows = rs_->isOpen() ? rs_->recordCount() : 0;
    const int columns = rs_->fieldCount();
    if (columns != columns_) {
        beginResetModel();
        rows_ = rows;
        columns_ = columns;
        endResetModel();
        return;
    }
    if (rows > rows_) {
        beginInsertRows(QModelIndex(), rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows(QModelIndex(), rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (rows_ > 0 && columns_ > 0)
        emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1));
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columns_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_)
        return QVariant();
    if (role == Qt::DisplayRole)
        return rs_->textAt(index.row(), index.column());
    if (role == Qt::TextAlignmentRole && index.column() < alignments_.size())
        return QVariant::fromValue(alignments_[index.column()]);
    return QVariant();
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columns_)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole) {
        if (section < captions_.size() && !captions_[section].isNull())
            return captions_[section];
        return rs_->fieldName(section);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::Alignment(Qt::AlignCenter));
    return QVariant();
}

void GridModel::setCaption(int column, const QString& caption) {
    if (column < 0)
        return;
    if (captions_.size() <= column)
        captions_.resize(column + 1);
    captions_[column] = caption;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void GridModel::setAlignment(int column, Qt::Alignment alignment) {
    if (column < 0)
        return;
    if (alignments_.size() <= column)
        alignments_.resize(column + 1, Qt::AlignLeft | Qt::AlignVCenter);
    alignments_[column] = alignment;
    if (rows_ > 0 && column < columns_)
        emit dataChanged(index(0, column), index(rows_ - 1, column), {Qt::TextAlignmentRole});
}

QString GridModel::columnName(int column) const {
    return column >= 0 && column < rs_->fieldCount() ? rs_->fieldName(column) : QString();
}

Recordset* GridModel::recordset() const {
    return rs_;
}

} // namespace store
