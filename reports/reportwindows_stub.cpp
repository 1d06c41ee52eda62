#include "reports/reportwindows.h"
namespace reports {
QDialog* createSwbb(QWidget*) { return nullptr; }
QDialog* createFwbb(QWidget*) { return nullptr; }
QDialog* createHtbb(QWidget*) { return nullptr; }
QDialog* createGdbb(QWidget*) { return nullptr; }
} // namespace reports
