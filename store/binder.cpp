#include "store/binder.h"

#include "store/error.h"
#include "store/gridmodel.h"
#include "store/recordset.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPointer>
#include <QTableView>

namespace store {

namespace {

constexpr int kTwipsPerPixel = 15;

// Keeps a view's selection and its record set's current row in step; lives as a child of
// the view, so a new binding replaces the old one.
class GridSync : public QObject {
public:
    GridSync(QTableView* view, GridModel* model, Recordset* rs)
        : QObject(view), view_(view), model_(model), rs_(rs) {
        setObjectName(QStringLiteral("store_gridsync"));
        connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex& current) { followSelection(current); });
        connect(rs, &Recordset::moveComplete, this, &GridSync::followRecordset);
        connect(rs, &Recordset::rowsReset, this, &GridSync::followRecordset);
        followRecordset();
    }

private:
    void followSelection(const QModelIndex& current) {
        if (syncing_ || !current.isValid() || current.row() == rs_->currentRow())
            return;
        syncing_ = true;
        try {
            rs_->setCurrentRow(current.row());
        } catch (const DbError&) {
            // The row being edited could not be written: the selection goes back to it.
            syncing_ = false;
            followRecordset();
            return;
        }
        syncing_ = false;
    }

    void followRecordset() {
        if (syncing_)
            return;
        syncing_ = true;
        QItemSelectionModel* selection = view_->selectionModel();
        const int row = rs_->currentRow();
        if (row < 0 || row >= model_->rowCount()) {
            selection->clear();
        } else {
            int column = 0;
            while (column < model_->columnCount() - 1 && view_->isColumnHidden(column))
                ++column;
            const QModelIndex index = model_->index(row, column);
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                  QItemSelectionModel::Rows);
            view_->scrollTo(index);
        }
        syncing_ = false;
    }

    QTableView* view_;
    GridModel* model_;
    Recordset* rs_;
    bool syncing_ = false;
};

} // namespace

GridModel* bindGrid(QTableView* view, Recordset* recordset) {
    if (auto* old =
            view->findChild<QObject*>(QStringLiteral("store_gridsync"), Qt::FindDirectChildrenOnly))
        delete old;
    QAbstractItemModel* oldModel = view->model();
    auto* model = new GridModel(recordset, view);
    view->setModel(model);
    if (qobject_cast<GridModel*>(oldModel) && oldModel->parent() == view)
        oldModel->deleteLater();
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    new GridSync(view, model, recordset);
    return model;
}

void applyGridLayout(QTableView* view, const QList<GridColumn>& columns, bool wrapText) {
    auto* model = qobject_cast<GridModel*>(view->model());
    for (int i = 0; i < columns.size(); ++i) {
        const GridColumn& c = columns[i];
        if (model) {
            model->setCaption(i, c.caption);
            model->setAlignment(i, c.alignment);
        }
        if (c.widthTwips <= 0) {
            view->setColumnHidden(i, true);
        } else {
            view->setColumnHidden(i, false);
            view->setColumnWidth(i, c.widthTwips / kTwipsPerPixel);
        }
    }
    view->setWordWrap(wrapText);
    view->setTextElideMode(wrapText ? Qt::ElideNone : Qt::ElideRight);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

struct ControlBinder::Binding {
    QPointer<QLineEdit> line;
    QPointer<QComboBox> combo;
    QString column;
    std::function<QString(const QVariant&)> format;
    bool listChanging = false; // the combo's list is being filled or emptied
};

ControlBinder::ControlBinder(Recordset* recordset, QObject* parent)
    : QObject(parent), rs_(recordset) {
    connect(rs_, &Recordset::moveComplete, this, &ControlBinder::refresh);
    connect(rs_, &Recordset::rowsReset, this, &ControlBinder::refresh);
    connect(rs_, &Recordset::valueChanged, this, [this](int row, int column) {
        if (writing_ || row != rs_->currentRow())
            return;
        const QString name = rs_->fieldName(column);
        for (Binding* b : bindings_)
            if (b->column.compare(name, Qt::CaseInsensitive) == 0)
                show(b);
    });
}

ControlBinder::~ControlBinder() {
    qDeleteAll(bindings_);
}

void ControlBinder::bind(QLineEdit* box, const QString& column,
                         std::function<QString(const QVariant&)> format) {
    auto* b = new Binding;
    b->line = box;
    b->column = column;
    b->format = std::move(format);
    bindings_ << b;
    connect(box, &QLineEdit::textChanged, this, [this, b](const QString& text) { write(b, text); });
    show(b);
}

void ControlBinder::bind(QComboBox* box, const QString& column) {
    auto* b = new Binding;
    b->combo = box;
    b->column = column;
    bindings_ << b;
    connect(box, &QComboBox::currentTextChanged, this,
            [this, b](const QString& text) { write(b, text); });
    watchList(b);
    show(b);
}

// Filling or emptying a combo's list is no edit of the row: the changes of text it causes
// are not written, and the row's value is shown again once the list is there.
void ControlBinder::watchList(Binding* b) {
    QAbstractItemModel* list = b->combo->model();
    auto begin = [b] { b->listChanging = true; };
    auto end = [this, b] {
        b->listChanging = false;
        show(b);
    };
    connect(list, &QAbstractItemModel::rowsAboutToBeInserted, this, begin);
    connect(list, &QAbstractItemModel::rowsAboutToBeRemoved, this, begin);
    connect(list, &QAbstractItemModel::modelAboutToBeReset, this, begin);
    connect(list, &QAbstractItemModel::rowsInserted, this, end);
    connect(list, &QAbstractItemModel::rowsRemoved, this, end);
    connect(list, &QAbstractItemModel::modelReset, this, end);
}

void ControlBinder::refresh() {
    for (Binding* b : bindings_)
        show(b);
}

void ControlBinder::show(Binding* b) {
    QString text;
    const int column = rs_->isOpen() ? rs_->fieldIndex(b->column) : -1;
    if (column >= 0 && rs_->currentRow() >= 0)
        text = b->format ? b->format(rs_->value(column)) : rs_->text(column);
    const bool wasShowing = showing_;
    showing_ = true;
    if (b->line) {
        if (b->line->text() != text)
            b->line->setText(text);
    } else if (b->combo) {
        const int index = b->combo->findText(text);
        if (b->combo->isEditable()) {
            if (index >= 0)
                b->combo->setCurrentIndex(index);
            if (b->combo->currentText() != text)
                b->combo->setEditText(text);
        } else {
            b->combo->setCurrentIndex(index);
        }
    }
    showing_ = wasShowing;
}

void ControlBinder::write(Binding* b, const QString& text) {
    if (showing_ || b->listChanging || !rs_->isOpen() || rs_->currentRow() < 0)
        return;
    writing_ = true;
    try {
        rs_->setValue(b->column, text);
    } catch (const DbError&) {
        // A column the record set cannot write keeps what the row holds.
    }
    writing_ = false;
}

} // namespace store
