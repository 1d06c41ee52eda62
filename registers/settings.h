#pragma once
// What one register window is: its table, queries, grid layout, edit panel and the
// few rules in which the five windows differ. Each window's table of settings lives in
// a file of its own; the pattern reads only this.

#include "store/binder.h"

#include <QList>
#include <QSize>
#include <QString>

namespace registers {

// How "新  增" proposes the serial column.
enum class SerialRule {
    None,    // nothing prefilled
    Counted, // prefix + year + "-" + row count, the new row counted
    Fixed,   // a fixed text
};

// Where the window goes after deleting a row or saving an addition.
enum class Landing { First, Last };

struct PanelControl {
    enum Kind {
        Text,        // a text box bound to a column
        DateText,    // a text box showing and accepting its date column as yyyy-M-d
        Choice,      // a combo box bound to a column, with a list the window fills
        FreeText,    // a combo box used as a text box: bound, its list stays empty
        ArchiveDate, // a locked text box whose text comes only from the date picker
        Picker,      // the date picker DTPicker1
    };
    QString name; // object name: "txt1(3)", "Combo1(0)", "DTPicker1", "txt2"
    Kind kind = Text;
    QString column;       // bound column; empty for the picker
    QString label;        // object name of its label, empty for none
    QString labelCaption; // "年  度:"
    int row = 0;          // panel row, top to bottom
    int stretch = 1;      // share of its row's width
};

struct RegisterSettings {
    QString objectName; // "swsj"
    QString caption;    // window caption
    QString table;      // also the table given to the query builder
    QString query;      // the record set's query
    int findFieldCount = 0;

    QString keyColumn;  // the serial column, or the unit name in dwbm
    QString keyControl; // the box bound to it
    SerialRule serialRule = SerialRule::None;
    QString serialPrefix; // Counted: "S"
    QString fixedSerial;  // Fixed: "F2000-0000"
    // The box that receives the current year on add (年度, 合同编号), empty for none.
    QString yearControl;
    // The box that receives the picker's date as 2004年3月5日, empty without a picker.
    QString archiveDateControl;
    // The three choice lists (units, retention periods, security levels) of Combo1(0..2).
    bool choiceLists = false;

    QList<store::GridColumn> grid;
    QList<PanelControl> panel;

    QString focusAfterAddEdit; // empty: the focus is not moved
    Landing afterDelete = Landing::First;
    Landing afterSavingAddition = Landing::First;
    bool filterDisablesDelete = true; // besides add, while a filter is applied
    QString duplicateKeyMessage;      // shown for the engine's failure code on save/cancel
    QString emptyKeyMessage;          // refuses saving an empty key box when set
    QString cancelledAdditionKey;     // written into the key column before dropping it

    QSize size;
};

RegisterSettings swsjSettings();
RegisterSettings fwsjSettings();
RegisterSettings gdsjSettings();
RegisterSettings htsjSettings();
RegisterSettings dwbmSettings();

} // namespace registers
