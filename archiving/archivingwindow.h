#pragma once
// The archiving window: the source register above, the archive below; documents leave
// the register for 归档库 in batches of one year and unit, or one at a time.

#include "archiving/archivingsettings.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableView;

namespace store {
class Connection;
class Recordset;
} // namespace store

namespace archiving {

class ArchivingWindow : public QDialog {
    Q_OBJECT
public:
    ArchivingWindow(const ArchivingSettings& settings, QWidget* parent = nullptr);
    ~ArchivingWindow() override;

private:
    // A record set and the connection it was opened on; a list is dropped before the
    // connection it may be the last user of.
    struct List {
        std::shared_ptr<store::Connection> connection;
        std::unique_ptr<store::Recordset> rs;
    };

    void buildControls();
    void load();
    void onBatchClicked();
    void onPickClicked();

    void ApplyArchivingGridLayout(QTableView* grid);
    void FillUnitList();
    void DisableArchiving();

    void replaceList(List& list, QTableView* grid, std::shared_ptr<store::Connection> connection,
                     const QString& sql);
    void rebindLists();
    // Appends the current source row to the archive list, writes it and deletes the
    // source row; the caller holds the transaction.
    void archiveCurrentRow();
    void moveBatch(int n);
    void movePick();
    // After a rolled-back move the lists are read again so that they show the tables.
    void reloadLists();
    bool sameConnection() const;
    void reportMoveFailure(const QString& serial, const QString& description);
    void clearBatchBoxes();

    const ArchivingSettings settings_;
    List source_;
    List archive_;

    QTableView* dataGrid1_ = nullptr;
    QTableView* dataGrid2_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
    QPushButton* command3_ = nullptr;
    QLineEdit* text1_ = nullptr;
    QComboBox* combo1_ = nullptr;
};

} // namespace archiving
