#pragma once
// The OLE2 compound file around a workbook, through libgsf: the workbook stream as
// bytes, every other stream or storage kept as an opaque copy to write back unchanged.

#include <QByteArray>
#include <QString>
#include <memory>

namespace xls::ole {

struct Extras; // the other streams, owned through shared_ptr

struct Contents {
    QByteArray workbook;
    std::shared_ptr<Extras> extras;
};

// Throws xls::Error.
Contents read(const QString& path);
void write(const QString& path, const QByteArray& workbook, const Extras* extras);

} // namespace xls::ole
