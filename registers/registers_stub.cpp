#include "registers/registers.h"
namespace registers {
QDialog* createSwsj(QWidget*) { return nullptr; }
QDialog* createFwsj(QWidget*) { return nullptr; }
QDialog* createGdsj(QWidget*) { return nullptr; }
QDialog* createHtsj(QWidget*) { return nullptr; }
QDialog* createDwbm(QWidget*) { return nullptr; }
} // namespace registers
