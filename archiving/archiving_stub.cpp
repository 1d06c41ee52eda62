#include "archiving/archiving.h"
namespace archiving {
QDialog* createSwgd(QWidget*) { return nullptr; }
QDialog* createFwgd(QWidget*) { return nullptr; }
} // namespace archiving
