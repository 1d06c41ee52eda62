#pragma once
class QDialog;
class QWidget;
namespace reports {
QDialog* createSwbb(QWidget* parent);
QDialog* createFwbb(QWidget* parent);
QDialog* createHtbb(QWidget* parent);
QDialog* createGdbb(QWidget* parent);
} // namespace reports
