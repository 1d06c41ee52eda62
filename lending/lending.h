#pragma once
class QDialog;
class QWidget;
namespace lending {
QDialog* createJygl(QWidget* parent); // loan management
} // namespace lending
