#pragma once
class QDialog;
class QWidget;
namespace admin {
QDialog* createFrmuser(QWidget* parent); // user accounts
} // namespace admin
