#pragma once
class QDialog;
class QWidget;
// The register windows, each loaded afresh: incoming and outgoing documents, archive
// data, contracts, unit codes.
namespace registers {
QDialog* createSwsj(QWidget* parent);
QDialog* createFwsj(QWidget* parent);
QDialog* createGdsj(QWidget* parent);
QDialog* createHtsj(QWidget* parent);
QDialog* createDwbm(QWidget* parent);
} // namespace registers
