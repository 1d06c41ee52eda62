#include "store/lists.h"

#include "store/connection.h"
#include "store/recordset.h"

namespace store {

QStringList readList(const QString& sql) {
    auto connection = openCatalogue();
    Recordset rs;
    rs.open(sql, *connection);
    QStringList out;
    for (; !rs.eof(); rs.moveNext())
        out << rs.text(0);
    rs.close();
    connection->close();
    return out;
}

} // namespace store
