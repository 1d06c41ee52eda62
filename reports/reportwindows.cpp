#include "reports/reportwindows.h"

#include "reports/archivereportwindow.h"
#include "reports/contractreportwindow.h"
#include "reports/documentreportwindow.h"

namespace reports {

QDialog* createSwbb(QWidget* parent) {
    return new DocumentReportWindow(swbbSettings(), parent);
}
QDialog* createFwbb(QWidget* parent) {
    return new DocumentReportWindow(fwbbSettings(), parent);
}
QDialog* createHtbb(QWidget* parent) {
    return new ContractReportWindow(parent);
}
QDialog* createGdbb(QWidget* parent) {
    return new ArchiveReportWindow(parent);
}

} // namespace reports
