#pragma once
class QDialog;
class QWidget;
namespace archiving {
QDialog* createSwgd(QWidget* parent); // archiving of incoming documents
QDialog* createFwgd(QWidget* parent); // archiving of outgoing documents
} // namespace archiving
