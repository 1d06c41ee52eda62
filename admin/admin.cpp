#include "admin/admin.h"

#include "admin/frmuser.h"

namespace admin {
QDialog* createFrmuser(QWidget* parent) {
    return new FrmUser(parent);
}
} // namespace admin
