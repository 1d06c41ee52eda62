#pragma once
// Binding widgets to a record set (the one widget-using part of the store): a grid that
// follows and sets the current row, and boxes that show a column of the current row and
// write the user's (and the program's) changes of their text into it.

#include <QList>
#include <QObject>
#include <QString>
#include <Qt>
#include <functional>

class QTableView;
class QLineEdit;
class QComboBox;

namespace store {

class Recordset;
class GridModel;

struct GridColumn {
    QString caption; // leading blanks belong to the caption
    int widthTwips;  // 15 twips a pixel; 0 hides the column
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

// Binds a view to a record set: a GridModel, selection of whole rows, the current row
// following the selection and the selection following moveComplete(). Fixed row height,
// no in-place editing, no row resizing. The binding belongs to the view.
GridModel* bindGrid(QTableView* view, Recordset* recordset);
// Captions, widths and alignment of each column; in-place editing off.
void applyGridLayout(QTableView* view, const QList<GridColumn>& columns, bool wrapText = false);

// Shows a column of the current row in a box and writes the box's text changes into it.
class ControlBinder : public QObject {
    Q_OBJECT
public:
    explicit ControlBinder(Recordset* recordset, QObject* parent = nullptr);
    ~ControlBinder() override;
    // format: how a value is shown (default: Recordset::text).
    void bind(QLineEdit* box, const QString& column,
              std::function<QString(const QVariant&)> format = {});
    void bind(QComboBox* box, const QString& column);
    // Shows the current row's values again (after the program changed the row).
    void refresh();

private:
    struct Binding;
    void show(Binding* binding);
    void write(Binding* binding, const QString& text);
    void watchList(Binding* binding);

    Recordset* rs_;
    QList<Binding*> bindings_;
    bool showing_ = false; // the binder itself is setting a box's text
    bool writing_ = false; // a box's text is being written into the row
};

} // namespace store
