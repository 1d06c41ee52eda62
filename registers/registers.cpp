#include "registers/registers.h"

#include "registers/registerwindow.h"

namespace registers {

QDialog* createSwsj(QWidget* parent) {
    return new RegisterWindow(swsjSettings(), parent);
}
QDialog* createFwsj(QWidget* parent) {
    return new RegisterWindow(fwsjSettings(), parent);
}
QDialog* createGdsj(QWidget* parent) {
    return new RegisterWindow(gdsjSettings(), parent);
}
QDialog* createHtsj(QWidget* parent) {
    return new RegisterWindow(htsjSettings(), parent);
}
QDialog* createDwbm(QWidget* parent) {
    return new RegisterWindow(dwbmSettings(), parent);
}

} // namespace registers
