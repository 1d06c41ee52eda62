#include "archiving/archiving.h"

#include "archiving/archivingsettings.h"
#include "archiving/archivingwindow.h"

namespace archiving {

QDialog* createSwgd(QWidget* parent) {
    return new ArchivingWindow(swgdSettings(), parent);
}
QDialog* createFwgd(QWidget* parent) {
    return new ArchivingWindow(fwgdSettings(), parent);
}

} // namespace archiving
