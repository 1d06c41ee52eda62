#pragma once
// The four data operations of the main window's menu and toolbar. They run inside the
// main window, use its file dialog and set its sdest to the file they write.
#include <QString>
class QWidget;
namespace backup {
void fullBackup(QWidget* mainWindow, QString& sdest);
void documentBackup(QWidget* mainWindow, QString& sdest);
void fullRestore(QWidget* mainWindow, QString& sdest);
void documentTransferIn(QWidget* mainWindow, QString& sdest);
} // namespace backup
