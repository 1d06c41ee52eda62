#include "registers/choicelists.h"

#include "store/connection.h"
#include "store/recordset.h"

namespace registers {

QStringList readList(const QString& sql) {
    auto connection = store::openCatalogue();
    store::Recordset rs;
    rs.open(sql, *connection);
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(0);
    rs.close();
    connection->close();
    return out;
}

} // namespace registers
